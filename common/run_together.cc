#include "common/run_together.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

namespace korv {

void RunTogether(size_t count, size_t in_flight, const std::function<void(size_t)>& work) {
  std::atomic<size_t> next{0};
  auto worker = [&] {
    for (size_t i; (i = next.fetch_add(1)) < count;) work(i);
  };
  std::vector<std::thread> helpers;
  const size_t wanted = std::min(count, in_flight);
  for (size_t t = 1; t < wanted; ++t) {
    try {
      helpers.emplace_back(worker);
    } catch (const std::system_error&) {
      break;  // the machine's limit on threads: fewer at once, nothing left undone
    }
  }
  worker();
  for (std::thread& t : helpers) t.join();
}

void AllAtOnce(const std::vector<std::function<void()>>& pieces) {
  std::vector<std::exception_ptr> thrown(pieces.size());
  auto run = [&](size_t i) {
    try {
      pieces[i]();
    } catch (...) {
      thrown[i] = std::current_exception();
    }
  };
  std::vector<std::thread> helpers;
  size_t started = 1;
  for (; started < pieces.size(); ++started) {
    try {
      helpers.emplace_back(run, started);
    } catch (const std::system_error&) {
      break;  // the machine's limit on threads: the rest on this one
    }
  }
  if (!pieces.empty()) run(0);
  for (size_t i = started; i < pieces.size(); ++i) run(i);
  for (std::thread& t : helpers) t.join();
  for (const std::exception_ptr& e : thrown)
    if (e) std::rethrow_exception(e);
}

}  // namespace korv
