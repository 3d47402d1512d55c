#include "common/steps.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace korv {
namespace {

TEST(Steps, EachPolicyDecidesWhatAFailingStepDoesToTheNext) {
  std::vector<int> ran;
  Steps skip = Steps::Skip();
  EXPECT_FALSE(skip([&] { throw RuntimeError(53); }));
  EXPECT_FALSE(skip([&] { throw std::out_of_range("x"); }));
  EXPECT_TRUE(skip([&] { ran.push_back(1); }));
  EXPECT_EQ(ran, std::vector<int>{1});

  std::vector<int> seen;
  Steps handle = Steps::Handle([&](const RuntimeError& e) { seen.push_back(e.number()); });
  handle([] { throw RuntimeError(70); });
  handle([] { throw std::out_of_range("x"); });
  handle([&] { ran.push_back(2); });
  EXPECT_EQ(seen, (std::vector<int>{70, 5}));
  EXPECT_EQ(ran, (std::vector<int>{1, 2}));

  EXPECT_THROW(Steps::Propagate()([] { throw RuntimeError(57); }), RuntimeError);
}

}  // namespace
}  // namespace korv
