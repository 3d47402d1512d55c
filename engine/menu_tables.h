#pragma once
// The menu button files under DataRoot and the rows of the in-memory button
// tables made from their records. The order engine loads them at start-up;
// korvtool prints them the same way.

#include <string>
#include <string_view>
#include <vector>

#include "common/record_tables.h"
#include "platform/files/file_system.h"

namespace korv {

constexpr int kButtonRecordLength = 500;
constexpr char kMainButtonsFile[] = "ini\\MainButtons.dat";
constexpr char kQuickButtonsFile[] = "ini\\ButtonFB.dat";

// "ini\Button<page>.dat", the item page of category `page`.
std::string PageButtonFile(int page);

// The printer route of an item from its routing digits (fields 11 and 12):
// 0,1 is 0; 1,0 is 1; 1,1 is 2; 0,0 (and blank) is 3; a second digit of 3 to
// 8 is that number whatever the first; anything else is 0.
int RouteCode(const ButtonRecord& record);

// A MainButtonTable row: Val of field 1, field 2, field 4, field 3.
std::vector<std::string> MainButtonRow(const ButtonRecord& record);

// A ButtonFBTable or page table row of 16 columns; the caption (column 1) is
// trimmed for the quick item table only.
std::vector<std::string> ItemButtonRow(const ButtonRecord& record, bool trim_caption);

// Reads records 1 to count of a button file with the whole file locked, so a
// station rewriting the menu is not read half-way. Records past the end of a
// short file read as blanks. A missing file raises 53 and is not created; a
// lock held elsewhere raises 70. No file is left open.
std::vector<ButtonRecord> ReadButtonFile(FileSystem& files, const std::string& path, int count);

// Records 1 to count of a button file's content, as ReadButtonFile cuts them.
std::vector<ButtonRecord> ButtonRecordsOf(std::string_view content, int count);

}  // namespace korv
