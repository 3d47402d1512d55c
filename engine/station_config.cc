#include "engine/station_config.h"

#include <utility>

#include "common/config_fields.h"
#include "common/order_paths.h"
#include "common/runtime_error.h"
#include "common/val.h"
#include "platform/host/access_problem.h"

namespace korv {

void ReadStationConfigFile(Station& station, FileSystem& files, KeptFiles* kept) {
  station.LocalRoot = "C:\\Korvain\\";
  station.WorkPath = station.LocalRoot + "KorvINI.dat";
  if (kept) {
    std::string content;
    try {
      content = kept->Content(files, station.WorkPath);
    } catch (const RuntimeError& e) {
      if (e.number() == kErrFileNotFound) return;
      throw;
    }
    ApplyStationConfig(station, StationConfig(PadRight(content.substr(0, 2300), 2300)));
    return;
  }
  if (!files.Exists(station.WorkPath)) return;
  files.CloseAll();
  std::string record;
  try {
    int f = files.Open(station.WorkPath, OpenMode::kRandom, 2300);
    files.Lock(f);
    record = files.GetRecord(f, 1);
    files.Unlock(f);
  } catch (...) {
    files.CloseAll();
    throw;
  }
  files.CloseAll();
  ApplyStationConfig(station, StationConfig(record));
}

std::string ConfigFileProblem(const FileSystem& files, const std::string& path) {
  if (!files.Exists(path)) {
    // Absent, or hidden from this user: the fix differs.
    std::string problem = AccessProblem(files.HostPath(path), Access::kRead);
    return problem.empty() ? "is not a file" : problem;
  }
  const int64_t length = files.FileLen(path);
  const int64_t record = StationConfig().layout().length();
  if (length == 0) return "is empty";
  if (length < record)
    return "holds " + std::to_string(length) + " bytes, not the " + std::to_string(record) +
           " of a station record";
  return {};
}

std::string RootTextProblem(const std::string& value, const std::string& example) {
  if (value.empty()) return "is blank";
  if (value.back() != '\\')
    return "\"" + value + "\" does not end with a backslash: the station would use " + value +
           example;
  return {};
}

std::string StationConfigProblem(Station& station, FileSystem& files) {
  try {
    ReadStationConfigFile(station, files);
  } catch (const RuntimeError& e) {
    return station.WorkPath + " cannot be read: " +
           ExplainedFileError(e, files.HostPath(station.WorkPath), Access::kRead);
  }
  const std::string& path = station.WorkPath;
  if (std::string problem = ConfigFileProblem(files, path); !problem.empty())
    return path + " " + problem;
  const std::string& root = station.DataRoot;
  const std::string data_root =
      "DataRoot (field " + std::to_string(FieldNumber(ConfigField::DataRoot)) + ") of " + path;
  if (std::string problem = RootTextProblem(root, "PhoneOrders\\"); !problem.empty())
    return data_root + " " + problem;
  const std::pair<std::string, std::string> folders[] = {
      {root, data_root}, {PhoneOrdersFolder(root), "the delayed orders' folder"}};
  for (const auto& [folder, what] : folders)
    if (!files.FolderExists(folder)) {
      std::string problem = AccessProblem(files.HostPath(folder), Access::kRead);
      return folder + " (" + files.HostPath(folder).string() + "), " + what + ": " +
             (problem.empty() ? "is not a folder" : problem);
    }
  return {};
}

}  // namespace korv
