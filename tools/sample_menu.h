#pragma once
// A sample menu for a new station: the menu button files of a small
// restaurant, so the order engine has categories, quick items and item pages
// to load.

#include <string>
#include <vector>

#include "platform/files/file_system.h"

namespace korv {

struct MenuFile {
  std::string path;   // under data_root
  std::string bytes;  // its whole content
};

// The sample menu's button files under data_root, as WriteSampleMenu
// writes them.
std::vector<MenuFile> SampleMenuFiles(const std::string& data_root);

// Writes ini\MainButtons.dat, ini\ButtonFB.dat and ini\Button0.dat ..
// ini\Button9.dat under data_root (a Windows path ending in a backslash),
// creating the ini folder. Existing files of those names are replaced whole.
// Raises the file layer's RuntimeError when a file cannot be written.
void WriteSampleMenu(FileSystem& files, const std::string& data_root);

}  // namespace korv
