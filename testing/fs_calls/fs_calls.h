#pragma once
// Counts the file-system calls of a process by kind, and can kill it before
// its N-th call: the crash tests stop the station at every call of a send in
// turn, and the benchmarks print what a pass costs in round trips to a share.
//
// It works by interposing the C library's calls. Built as a shared library
// (korv_fs_calls) it is loaded into a program with LD_PRELOAD; linked into an
// executable (korv_fs_calls_static) it counts that executable's own calls.
// Only calls into the C library are seen; what the C library does inside
// itself (fopen's own open) is not counted twice.
//
// Environment (read once, at the first counted call):
//   KORV_FS_KILL_AT=N      SIGKILL the process before its N-th counted call
//   KORV_FS_COUNT_FILE=P   at a normal exit, write "kind count" lines and
//                          "total count" to P
//   KORV_FS_COUNT_AFTER=S  count nothing until a path containing S is opened
//                          (that open is the first call counted), so a test
//                          can leave the start-up out
//   KORV_FS_TIME_SHIFT=S   the program's time() reads S seconds later than
//                          the system's (a restart that comes minutes after
//                          the crash, without waiting for them)
//   KORV_FS_FAIL_AT=N      the N-th counted call fails instead of being made,
//                          with the error KORV_FS_FAIL_ERRNO (ENOSPC, EIO or
//                          EACCES; EIO when not given); with
//                          KORV_FS_FAIL_FROM_ON=1 every counted call from the
//                          N-th on fails (a disk that stays full). Writes to
//                          standard output and error never fail, so what the
//                          program says can be read. KORV_FS_FAIL_SAY=1 says
//                          on standard error which call failed, and
//                          KORV_FS_FAIL_TRACE=1 adds where it was made from
//                          (addr2line turns the addresses into lines).
//
// Kinds: open close read write truncate sync rename link unlink mkdir stat
// lock list copy attr. "stat" is every look at a name or an open file (stat,
// lstat, fstat, access); "lock" every whole-file or claim lock and unlock;
// "list" every folder opened for listing (not its entries); "attr" every
// change of a file's permissions, owner or times.

#include <cstdint>
#include <map>
#include <string>

namespace korv::fs_calls {

// The calls counted so far, by kind; kinds never called are absent.
std::map<std::string, int64_t> Counts();
int64_t Total();
// Starts counting again from zero (and counts from now on, whatever
// KORV_FS_COUNT_AFTER says).
void Reset();

}  // namespace korv::fs_calls
