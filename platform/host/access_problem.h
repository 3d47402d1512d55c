#pragma once
// Why this process may not use a host file or folder, told apart from its
// absence, with who may and how to let this user in: what a technician
// needs to fix a station whose root belongs to another user (the service's
// korvain, a desktop operator).

#include <filesystem>
#include <string>

#include "common/runtime_error.h"

namespace korv {

// What the caller means to do with the path.
enum class Access {
  kRead,       // read a file, or list a folder
  kWrite,      // write a file, or make and remove files in a folder
  kReadWrite,  // both
};

// Empty when this process may reach the path (enter every folder on the way)
// and use it as `access` says. Otherwise one of:
//   "does not exist"
//   "does not exist (/var/lib/korvain/f is missing)" for a missing folder on the way
//   "is on a read-only file system"
//   "cannot be used: user operator may not enter /var/lib/korvain (owner korvain,
//    group korvain, mode 0750); run as korvain, or add operator to the group
//    korvain (sudo adduser operator korvain, then log in again)"
// and the like for reading or writing the path itself. A relative path is
// taken from the working folder.
std::string AccessProblem(const std::filesystem::path& path, Access access);

// Why this process cannot make the file or folder at path (with the folders
// above it), or read and write it when it is there; empty when it can. The
// folder named is the nearest one that is there.
std::string MakeProblem(const std::filesystem::path& path);

// The file layer's error on a host path as a person reads it: a permission
// error (70) that this user's rights explain says who may and how; any other,
// or a 70 from a lock another program holds, is ExplainedError's text.
std::string ExplainedFileError(const RuntimeError& e, const std::filesystem::path& path,
                               Access access);

// The name of the user this process runs as ("operator"; the number when the
// user has no name).
std::string ProcessUserName();

}  // namespace korv
