#include "common/run_together.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>

namespace korv {
namespace {

// Every piece runs to its end even when another fails, the first on the
// caller's thread, and the failure raised is the first failing piece's in
// the order given, not the first to fail in time: a caller names the file of
// the step that came first.
TEST(AllAtOnce, EveryPieceEndsAndTheFirstFailureInOrderIsRaised) {
  std::atomic<int> ended{0};
  const std::thread::id caller = std::this_thread::get_id();
  std::thread::id first;
  try {
    AllAtOnce({[&] {
                 first = std::this_thread::get_id();
                 ++ended;
               },
               [&] {
                 ++ended;
                 throw std::runtime_error("second");
               },
               [&] {
                 ++ended;
                 throw std::runtime_error("third");
               }});
    ADD_FAILURE() << "nothing raised";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "second");
  }
  EXPECT_EQ(ended, 3);
  EXPECT_EQ(first, caller) << "the first piece may touch what only the caller's thread may";
  EXPECT_NO_THROW(AllAtOnce({}));
}

}  // namespace
}  // namespace korv
