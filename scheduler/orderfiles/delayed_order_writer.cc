#include "scheduler/orderfiles/delayed_order_writer.h"

#include <algorithm>
#include <cctype>

#include "common/order_paths.h"
#include "common/runtime_error.h"
#include "scheduler/orderfiles/line_file.h"

namespace korv {
namespace {

constexpr int kErrFileAlreadyExists = 58;

// The k of "DS<k>.ext"; 0 when the name is not of that form.
long DelayedNumber(const std::string& name) {
  size_t dot = name.find('.');
  if (dot == std::string::npos || dot <= 2 || dot > 11) return 0;
  for (size_t i = 2; i < dot; ++i)
    if (!std::isdigit(static_cast<unsigned char>(name[i]))) return 0;
  return std::stol(name.substr(2, dot - 2));
}

long HighestIn(FileSystem& files, const std::string& folder) {
  long highest = 0;
  for (const std::string& name : files.List(folder, "DS*.*"))
    highest = std::max(highest, DelayedNumber(name));
  return highest;
}

}  // namespace

std::string NextFreeDelayedOrderId(FileSystem& files, const std::string& data_root) {
  std::string folder = PhoneOrdersFolder(data_root);
  long highest = std::max(HighestIn(files, folder), HighestIn(files, ArchiveFolder(data_root)));
  return "DS" + std::to_string(highest + 1);
}

void WriteDelayedOrder(FileSystem& files, const std::string& data_root, const OrderHeader& header,
                       const std::vector<std::string>& rows) {
  const std::string& id = header.order_id;
  std::string header_path = DelayedHeaderPath(data_root, id);
  std::string lines_path = DelayedLinesPath(data_root, id);
  if (files.Exists(header_path) || files.Exists(lines_path))
    throw RuntimeError(kErrFileAlreadyExists, "File already exists: delayed order " + id);
  WriteLineFile(files, lines_path, rows);
  // Written under a name the watched pattern does not match, then put in
  // place whole.
  std::string staging = PhoneOrdersFolder(data_root) + "~" + id + ".tmp";
  WriteHeader(files, staging, header);
  try {
    files.Copy(staging, header_path);
  } catch (...) {
    files.Kill(staging);
    throw;
  }
  files.Kill(staging);
}

}  // namespace korv
