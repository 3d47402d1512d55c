#pragma once
// Several stations at once, as child processes of one test: each runs
// body(index) and exits with its result, never returning into the test.

#include <functional>

namespace korv::testing {

// Forks `count` children that run body(0) .. body(count - 1) at the same
// time, and waits for all of them. True when every child exited with 0. A
// child must not touch the parent's open files or use test assertions; it
// reports through its exit status and the files it writes.
bool RunInChildren(int count, const std::function<int(int index)>& body);

}  // namespace korv::testing
