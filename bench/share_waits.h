#pragma once
// The share's round trips waited on one after another, from the mount's
// trace (KORV_SHARE_TRACE): every request waits the same delay from the
// moment it comes, so the time during which at least one request waits,
// divided by that delay, is how many waits lay in a row. Requests waiting at
// the same time count once; the station's own disk and its own work count
// not at all.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace korv::bench {

// The waits in a row among the requests that came within [from, to]
// (steady_clock, which the mount's trace also keeps).
inline double WaitsInARow(const std::filesystem::path& trace,
                          std::chrono::steady_clock::time_point from,
                          std::chrono::steady_clock::time_point to, int delay_us) {
  const auto seconds = [](std::chrono::steady_clock::time_point t) {
    return std::chrono::duration<double>(t.time_since_epoch()).count();
  };
  const double begin = seconds(from), end = seconds(to), delay = delay_us / 1e6;
  if (delay <= 0) return 0;
  std::ifstream in(trace);
  std::string line;
  double waited = 0, waiting_until = begin;
  while (std::getline(in, line)) {
    double came = 0;
    if (std::sscanf(line.c_str(), "%lf", &came) != 1 || came < begin || came > end) continue;
    // Requests are written as they come, so each ends no earlier than the
    // one before it began: only what reaches past the last wait is new.
    waited += std::max(0.0, came + delay - std::max(came, waiting_until));
    waiting_until = std::max(waiting_until, came + delay);
  }
  return waited / delay;
}

}  // namespace korv::bench
