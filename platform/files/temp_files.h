#pragma once
// Files written whole under a temporary name and only then given their real
// one, so that no station ever finds a new file empty or half written.
//
// Every temporary of the program is named by TempPathIn:
//   .korv-<host>-<pid>-<seq>.korvtmp
// a name no folder's pattern matches (DS*.PH, *.PH, *.Pio, *.dat, *.txt,
// *.html, *.job), that says which station and which process wrote it. A
// process killed between writing a temporary and naming it leaves it
// behind; the next start of the station clears what processes of its own
// host that no longer run left (ClearDeadTemporaries). Another station's
// temporaries, and those of a process still running, are never touched.

#include <filesystem>
#include <string_view>

#include "platform/files/held_folders.h"

namespace korv {

// A fresh temporary's path in folder (not created).
std::filesystem::path TempPathIn(const std::filesystem::path& folder);

// Removes from folder the temporaries of this host's processes that no
// longer run, and the older programs' temporaries (".korv-copy-*",
// ".korv-new-*", ".korv-*.tmp", ".writing-*") that have not changed for an
// hour. Returns how many it removed; a missing folder has none.
int ClearDeadTemporaries(const std::filesystem::path& folder);

// Gives a finished temporary the name target unless a file of that name
// exists; false (and the temporary left as it is) when it does. Given, the
// temporary's own name is gone. A rename that never replaces claims the name
// atomically; where the file system has none, a hard link does (and the
// temporary's name is then removed), and where it has no links either (some
// shares), an existence test and a rename. Raises the file layer's
// RuntimeError for any other failure.
bool PublishNew(const std::filesystem::path& temp, const std::filesystem::path& target);
// The same, each file named from its folder (held_folders.h).
bool PublishNew(const FileAt& temp, const FileAt& target);

// Writes all bytes at the file's offset, however many writes it takes.
void WriteAll(int fd, std::string_view bytes);

// Writes a new file (never one that exists), on disk (fsync) before it
// returns; removes it again when anything fails.
void WriteNewFile(const std::filesystem::path& path, std::string_view bytes);

// Makes the folder's entries (a new, renamed or removed name) durable.
// Errors are ignored: a folder that cannot be synced is no worse than before.
void SyncFolder(const std::filesystem::path& folder);

}  // namespace korv
