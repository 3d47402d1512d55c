#pragma once
// The file-system calls a benchmark made, printed beside its time: on a share
// every call is a round trip, so a change that adds calls shows here even
// where the local disk hides its cost.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <map>
#include <sstream>
#include <string>

#include "testing/fs_calls/fs_calls.h"

namespace korv::bench {

// The calls counted since the last fs_calls::Reset(), less those of `base`
// (counted alike, e.g. the same pass with nothing to do), each kind divided
// by `per` (a header, a send), as the benchmark's label: "open 1 lock 2 ...".
// The total per unit goes into the counter `calls/<unit>`, folder listings
// into `lists/<unit>`.
inline void ReportCalls(benchmark::State& state, double per, const std::string& unit,
                        const std::map<std::string, int64_t>& base = {}) {
  std::map<std::string, int64_t> counts = fs_calls::Counts();
  for (const auto& [kind, count] : base) counts[kind] -= count;
  std::ostringstream label;
  label.precision(3);
  int64_t total = 0;
  for (const auto& [kind, count] : counts) {
    total += count;
    if (count != 0) label << kind << " " << static_cast<double>(count) / per << " ";
  }
  label << "(a " << unit << ")";
  state.SetLabel(label.str());
  state.counters["calls/" + unit] = static_cast<double>(total) / per;
  state.counters["lists/" + unit] = static_cast<double>(counts["list"]) / per;
}

}  // namespace korv::bench
