#pragma once
// Line files (.Pio): one order line a text line, each a single quoted field
// holding one order line row: quantity|item name|line amount|kitchen text|
// route text|tax flag|sent flag. No header or count line.

#include <string>
#include <vector>

#include "platform/files/file_system.h"

namespace korv {

// One item as an order-entry station puts it on an order.
struct OrderLineItem {
  int quantity = 1;
  std::string name;  // kept as given, padding included
  double unit_price = 0;
  std::string kitchen_text;  // trimmed into the row
  int route = 1;             // printer route number
  std::string course;
  std::string tax_flag = "T";   // "T", "Y" or blank: taxable; anything else not
  std::string sent_flag = "N";  // "Y" once sent to the kitchen
};

// The row of an item: " 2|Burger              |$17.00|no onions| 1 - Mains|T|N".
// Raises 5 (with a description) for a field holding "|", a name that is blank
// or shorter than 2 characters, or flags that are not one character (the
// tax flag may be empty).
std::string OrderLineRow(const OrderLineItem& item);

// Closes all open files and reads every row under a whole-file lock.
// Raises 53 when the file does not exist.
// read, when given, receives the text read with its stamp.
std::vector<std::string> ReadLineRows(FileSystem& files, const std::string& path,
                                      std::optional<FileRead>* read = nullptr);
// The same, with no rows when the file does not exist: the open tells, where
// a look first would cost a round trip more.
std::vector<std::string> ReadLineRowsIfAny(FileSystem& files, const std::string& path,
                                           std::optional<FileRead>* read = nullptr);

// The rows of a line file's text, as a read of the file gives them.
std::vector<std::string> LineRows(const std::string& text);

// Closes all open files and writes the rows, replacing the file, under a
// whole-file lock.
void WriteLineFile(FileSystem& files, const std::string& path,
                   const std::vector<std::string>& rows);

}  // namespace korv
