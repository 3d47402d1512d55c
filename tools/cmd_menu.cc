// korvtool menu: the menu button tables as the order engine loads them.

#include <functional>
#include <iostream>
#include <string>

#include "common/runtime_error.h"
#include "common/station.h"
#include "common/val.h"
#include "engine/menu_tables.h"
#include "engine/station_config.h"
#include "tools/korvtool.h"

namespace korv::tool {
namespace {

std::string Cell(const std::string& text, int width) {
  return PadRight(Trim(text), static_cast<size_t>(width));
}

// The button's index and its stored number, right-aligned.
std::string RowNumbers(size_t index, const std::string& number) {
  std::string i = std::to_string(index);
  return std::string(i.size() < 3 ? 3 - i.size() : 0, ' ') + i + " " +
         std::string(number.size() < 3 ? 3 - number.size() : 0, ' ') + number + "  ";
}

void PrintCategories(const std::vector<ButtonRecord>& records, bool all) {
  std::cout << "  #  No  Caption             Second caption        Shown\n";
  for (size_t i = 0; i < records.size(); ++i) {
    std::vector<std::string> row = MainButtonRow(records[i]);
    if (!all && row[2] != "T") continue;
    std::cout << RowNumbers(i, row[0]) << Cell(row[1], 18) << "  " << Cell(row[3], 20) << "  "
              << Trim(row[2]) << "\n";
  }
}

void PrintItems(const std::vector<ButtonRecord>& records, bool quick, bool all) {
  std::cout << "  #  No  Caption             Item name             Kitchen text        "
               "Price     Price 2   Tax Route Course\n";
  for (size_t i = 0; i < records.size(); ++i) {
    std::vector<std::string> row = ItemButtonRow(records[i], quick);
    if (!all && row[2] != "T") continue;
    std::cout << RowNumbers(i, row[0]) << Cell(row[1], 18) << "  " << Cell(row[4], 20) << "  "
              << Cell(row[5], 18) << "  " << Cell(row[7], 8) << "  " << Cell(row[10], 8) << "  "
              << Cell(row[8], 3) << " " << Cell(row[9], 5) << " " << row[13] << "\n";
  }
}

// Prints one file; returns false when it could not be read.
bool PrintFile(FileSystem& files, const std::string& root, const std::string& name,
               const std::string& title, int count, bool optional,
               const std::function<void(const std::vector<ButtonRecord>&)>& print) {
  std::string path = root + name;
  if (optional && !files.Exists(path)) return true;
  std::cout << "\n" << title << " (" << path << ")\n";
  try {
    print(ReadButtonFile(files, path, count));
  } catch (const RuntimeError& e) {
    std::cerr << "korvtool: " << path << ": " << e.description() << "\n";
    return false;
  }
  return true;
}

int RunMenu(const Args& args) {
  if (!args.positional.empty()) return UsageError("menu takes no arguments");
  FileSystem files{PathMap(args.Root())};
  Station station;
  try {
    ReadStationConfigFile(station, files);
  } catch (const RuntimeError& e) {
    return Fail("cannot read the station configuration: " + e.description());
  }
  // The engine reads the menu from the station's own folder when no shared
  // folder is configured.
  std::string root = station.DataRoot.empty() ? "c:\\korvain\\" : station.DataRoot;
  bool all = args.Has("--all");
  auto categories = [all](const std::vector<ButtonRecord>& r) { PrintCategories(r, all); };
  auto quick = [all](const std::vector<ButtonRecord>& r) { PrintItems(r, true, all); };
  auto page = [all](const std::vector<ButtonRecord>& r) { PrintItems(r, false, all); };
  std::cout << "Menu of the station under " << root << "\n";
  bool ok = PrintFile(files, root, kMainButtonsFile, "Categories", 12, false, categories);
  ok &= PrintFile(files, root, kQuickButtonsFile, "Quick items", 5, false, quick);
  for (int p = 0; p < 12; ++p) {
    ok &= PrintFile(files, root, PageButtonFile(p), "Category " + std::to_string(p) + " items", 12,
                    p >= 10, page);
  }
  return ok ? 0 : 1;
}

const Registration kMenu{ToolCommand{
    "menu",
    "menu [--all] [--root DIR]",
    "print the menu button tables as the order engine loads them",
    "Reads the station configuration and prints the category buttons\n"
    "(ini\\MainButtons.dat), the quick item buttons (ini\\ButtonFB.dat)\n"
    "and the item pages (ini\\Button0.dat .. ini\\Button11.dat) of the\n"
    "shared data folder, with the columns the order engine loads:\n"
    "caption, item name, kitchen text, prices, tax flag, route code and\n"
    "course. Buttons that are not shown are left out unless --all is\n"
    "given. Exit status 1 when a required file cannot be read.",
    {},
    RunMenu,
}};

}  // namespace
}  // namespace korv::tool
