// korvtool init: a new station tree, and with --demo the demo restaurant.

#include <filesystem>
#include <iostream>

#include "common/config_fields.h"
#include "common/runtime_error.h"
#include "common/station.h"
#include "common/val.h"
#include "engine/station_config.h"
#include "platform/clock/clock.h"
#include "platform/host/access_problem.h"
#include "tools/korvtool.h"
#include "tools/station_setup.h"

namespace korv::tool {
namespace {

constexpr char kConfig[] = "C:\\Korvain\\KorvINI.dat";

// Why init cannot make or fill the station's own folder and the shared
// tree; empty when it can. Looked at before anything is written, so a
// refused init leaves nothing half made.
std::string WriteProblem(const FileSystem& files, const std::string& data_root) {
  for (const std::string& folder : {std::string("C:\\Korvain\\"), data_root}) {
    if (std::string problem = MakeProblem(files.HostPath(folder)); !problem.empty())
      return folder + " (" + files.HostPath(folder).string() + ") " + problem;
  }
  return {};
}

// The DataRoot of a configuration init keeps: the shared tree the station
// uses is the one to make folders and a menu in. Empty, with the reason in
// `error`, when the kept one cannot serve or --data-root asks for another.
std::string KeptDataRoot(const Args& args, FileSystem& files, std::string& error) {
  Station station;
  try {
    ReadStationConfigFile(station, files);
  } catch (const RuntimeError& e) {
    error = std::string(kConfig) + " cannot be read: " + ExplainedError(e);
    return {};
  }
  const std::string field =
      "DataRoot (field " + std::to_string(FieldNumber(ConfigField::DataRoot)) + ") of " + kConfig;
  if (std::string problem = RootTextProblem(station.DataRoot, "PhoneOrders\\"); !problem.empty()) {
    error = field + " " + problem + "; set it with: korvtool config set " +
            std::to_string(FieldNumber(ConfigField::DataRoot)) + " 'F:\\KORVAIN\\'";
    return {};
  }
  auto asked = args.Option("--data-root");
  if (asked && Upper(*asked) != Upper(station.DataRoot) &&
      Upper(*asked + "\\") != Upper(station.DataRoot)) {
    error = std::string(kConfig) + " is kept, and its DataRoot is " + station.DataRoot + ", not " +
            *asked + ": give --replace to write a new configuration";
    return {};
  }
  return station.DataRoot;
}

// The demo's customers and orders would go into a restaurant's own files,
// and its orders would print on the restaurant's printers.
std::string DemoProblem(const FileSystem& files, const std::string& data_root) {
  for (const std::string& path : {std::string(kConfig), data_root + "data\\CustData.dat"})
    if (files.Exists(path))
      return "the demo restaurant goes into a new station tree only, and " + path + " (" +
             files.HostPath(path).string() + ") is there; choose another --root";
  return {};
}

int Run(const Args& args) {
  if (!args.positional.empty()) return UsageError("init takes no arguments");
  std::string data_root = args.Option("--data-root").value_or("F:\\KORVAIN\\");
  if (data_root.empty() || data_root.back() != '\\') data_root += '\\';
  if (std::string problem = MakeProblem(args.Root()); !problem.empty())
    return Fail("the station root " + args.Root() + " " + problem);
  std::error_code made;
  std::filesystem::create_directories(args.Root(), made);
  if (made) return Fail("cannot make the station root " + args.Root() + ": " + made.message());
  FileSystem files{PathMap(args.Root())};
  const bool replace = args.Has("--replace");
  if (args.Has("--demo"))
    if (std::string problem = DemoProblem(files, data_root); !problem.empty()) return Fail(problem);
  if (!replace && files.Exists(kConfig)) {
    std::string error;
    data_root = KeptDataRoot(args, files, error);
    if (data_root.empty()) return Fail(error);
  }
  if (std::string problem = WriteProblem(files, data_root); !problem.empty()) return Fail(problem);
  const DateTime now = SystemClock().Now();
  try {
    std::cout << "station root " << args.Root() << ":\n"
              << InitStation(files, data_root,
                             replace ? ExistingFile::kReplaceKeepingACopy : ExistingFile::kKeep,
                             now);
    if (args.Has("--demo")) std::cout << "demo orders:\n" << WriteDemoOrders(files, data_root, now);
  } catch (const RuntimeError& e) {
    return Fail("cannot make the station: " + ExplainedError(e));
  }
  return 0;
}

const Registration kInit({
    "init",
    "init --root DIR [--data-root PATH] [--demo] [--replace]",
    "make a new station tree (and the demo restaurant)",
    "Makes the station's own folder C:\\Korvain\\ under DIR with\n"
    "KorvINI.dat (LocalRoot C:\\KORVAIN\\, DataRoot PATH, default\n"
    "F:\\KORVAIN\\) and printers.conf (dir: printers under\n"
    "C:\\Korvain\\printed\\), the shared folders PhoneOrders\\Deleted\\,\n"
    "data\\, ini\\, KitMonitor\\ and Delivery\\LastOrder\\ under PATH, and a\n"
    "sample menu.\n"
    "A file that is there is never overwritten: init says what it kept,\n"
    "and an existing configuration's DataRoot is the shared tree it\n"
    "fills. The menu is kept whole when any ini\\*Button*.dat is there.\n"
    "--replace replaces them with the new station's, keeping a copy of\n"
    "each beside it as NAME.YYYYMMDD-HHMMSS.bak.\n"
    "--demo also writes three customers and five delayed orders: three\n"
    "due now (one for an unknown customer), one later today and one\n"
    "tomorrow; it is refused where a configuration or a customer file is\n"
    "already there.",
    {"--data-root"},
    Run,
    false,
});

}  // namespace
}  // namespace korv::tool
