#pragma once
// Many independent pieces of work with a few of them under way at once. On
// a share each file request waits a round trip and the server answers many
// at a time, so work that waits on one file after another waits the sum.

#include <cstddef>
#include <functional>
#include <vector>

namespace korv {

// Calls work(i) for every i below count, on up to in_flight threads (the
// calling one among them), and returns when every call has returned. Each
// call must touch only what belongs to its own i, and must not throw. Where
// no further thread can be started, the threads there are do the rest.
void RunTogether(size_t count, size_t in_flight, const std::function<void(size_t)>& work);

// A few pieces of work that do not depend on each other, all under way at
// once: the first on the calling thread, each other one on a thread of its
// own (on the calling thread after the first where no thread can be
// started). Returns when every one has ended, whatever the others did; then
// what a piece threw is thrown again: the first such piece's, in the order
// given. Each piece but the first must touch only what is its own, or what
// is safe from several threads.
void AllAtOnce(const std::vector<std::function<void()>>& pieces);

}  // namespace korv
