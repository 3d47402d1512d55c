#include "platform/host/loaded_library.h"

#include <gtest/gtest.h>

namespace korv {
namespace {

// A library that is not there, or lacks a call, is said by name, so that
// its caller can say why it cannot go on instead of the program crashing at
// the call.
TEST(LoadedLibrary, AMissingLibraryOrCallIsSaidByName) {
  int (*absolute)(int) = nullptr;
  LoadedLibrary missing("libkorv-missing.so.1");
  missing.Bind(absolute, "abs");
  EXPECT_EQ(absolute, nullptr);
  EXPECT_EQ(missing.problem().rfind("libkorv-missing.so.1 cannot be loaded: ", 0), 0u)
      << missing.problem();

  LoadedLibrary libc("libc.so.6");
  libc.Bind(absolute, "abs");
  ASSERT_NE(absolute, nullptr);
  EXPECT_EQ(absolute(-3), 3);
  EXPECT_EQ(libc.problem(), "");
  int (*none)() = nullptr;
  libc.Bind(none, "korv_no_such_call");
  EXPECT_EQ(libc.problem(), "libc.so.6 has no korv_no_such_call");
}

}  // namespace
}  // namespace korv
