// korvtool init: a new station tree, and with --demo the demo restaurant.

#include <filesystem>
#include <iostream>

#include "common/runtime_error.h"
#include "common/val.h"
#include "platform/clock/clock.h"
#include "tools/korvtool.h"
#include "tools/station_setup.h"

namespace korv::tool {
namespace {

int Run(const Args& args) {
  if (!args.positional.empty()) return UsageError("init takes no arguments");
  std::string data_root = args.Option("--data-root").value_or("F:\\KORVAIN\\");
  if (data_root.empty() || data_root.back() != '\\') data_root += '\\';
  std::filesystem::create_directories(args.Root());
  FileSystem files{PathMap(args.Root())};
  try {
    std::cout << "station root " << args.Root() << ":\n"
              << InitStation(files, data_root, args.Has("--replace") || args.Has("--demo"));
    if (args.Has("--demo")) {
      std::cout << "demo orders:\n" << WriteDemoOrders(files, data_root, SystemClock().Now());
    }
  } catch (const RuntimeError& e) {
    return Fail("cannot make the station: " + e.description());
  }
  return 0;
}

const Registration kInit({
    "init",
    "init --root DIR [--data-root PATH] [--demo] [--replace]",
    "make a new station tree (and the demo restaurant)",
    "Makes the station's own folder C:\\Korvain\\ under DIR with KorvINI.dat (LocalRoot\n"
    "C:\\KORVAIN\\, DataRoot PATH, default F:\\KORVAIN\\) and printers.conf (dir: printers\n"
    "under C:\\Korvain\\printed\\), the shared folders PhoneOrders\\Deleted\\, data\\, ini\\,\n"
    "KitMonitor\\ and Delivery\\LastOrder\\ under PATH, and a sample menu.\n"
    "An existing KorvINI.dat or printers.conf is kept unless --replace.\n"
    "--demo also writes three customers and five delayed orders: three due now\n"
    "(one for an unknown customer), one later today and one tomorrow.",
    {"--data-root"},
    Run,
});

}  // namespace
}  // namespace korv::tool
