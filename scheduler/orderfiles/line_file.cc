#include "scheduler/orderfiles/line_file.h"

#include "common/bar_row.h"
#include "common/currency.h"
#include "common/quoted_list.h"
#include "common/runtime_error.h"
#include "common/val.h"
#include "platform/files/open_file_guard.h"

namespace korv {
namespace {

void RequireNoBar(const std::string& what, const std::string& text) {
  if (text.find('|') != std::string::npos)
    throw RuntimeError(kErrInvalidCall, what + " may not hold \"|\": " + text);
}

void CheckItem(const OrderLineItem& item) {
  RequireNoBar("item name", item.name);
  RequireNoBar("kitchen text", item.kitchen_text);
  RequireNoBar("course", item.course);
  if (item.name.size() < 2 || Trim(item.name).empty())
    throw RuntimeError(kErrInvalidCall, "item name must hold at least 2 characters");
  if (item.tax_flag.size() > 1 || item.tax_flag == "|")
    throw RuntimeError(kErrInvalidCall, "tax flag must be one character");
  if (item.sent_flag != "N" && item.sent_flag != "Y")
    throw RuntimeError(kErrInvalidCall, "sent flag must be N or Y");
}

}  // namespace

std::string OrderLineRow(const OrderLineItem& item) {
  CheckItem(item);
  Currency amount = Currency::FromDouble(item.unit_price) * static_cast<double>(item.quantity);
  return JoinBarRow({Str(item.quantity), item.name, FormatCurrency(amount.ToDouble()),
                     Trim(item.kitchen_text), Str(item.route) + " - " + item.course, item.tax_flag,
                     item.sent_flag});
}

std::vector<std::string> ReadLineRows(FileSystem& files, const std::string& path,
                                      std::optional<FileRead>* read) {
  files.CloseAll();
  int file = files.Open(path, OpenMode::kInput);
  OpenFileGuard guard(files, file);
  files.Lock(file);
  std::vector<std::string> rows;
  while (!files.Eof(file)) rows.push_back(files.ReadField(file));
  if (read) *read = files.WhatWasRead(file);
  return rows;  // the guard's close lets the lock go
}

std::vector<std::string> LineRows(const std::string& text) {
  QuotedReader reader(text);
  std::vector<std::string> rows;
  while (!reader.AtEnd()) rows.push_back(reader.ReadField());
  return rows;
}

std::vector<std::string> ReadLineRowsIfAny(FileSystem& files, const std::string& path,
                                           std::optional<FileRead>* read) {
  try {
    return ReadLineRows(files, path, read);
  } catch (const RuntimeError& e) {
    if (e.number() != kErrFileNotFound) throw;
    return {};
  }
}

void WriteLineFile(FileSystem& files, const std::string& path,
                   const std::vector<std::string>& rows) {
  std::string text;
  for (const std::string& row : rows) text += QuotedLine({row});
  WriteLockedText(files, path, OpenMode::kOutput, text);
}

}  // namespace korv
