#include "scheduler/orderfiles/header_file.h"

#include "common/quoted_list.h"
#include "common/runtime_error.h"
#include "platform/files/open_file_guard.h"

namespace korv {

std::vector<std::string> OrderHeader::Fields() const {
  return {phone, customer_number, customer_name, order_id, send_date, send_time};
}

OrderHeader OrderHeader::FromFields(const std::vector<std::string>& f) {
  if (f.size() < 6) throw RuntimeError(kErrInputPastEnd);
  return OrderHeader{f[0], f[1], f[2], f[3], f[4], f[5]};
}

OrderHeader OrderHeader::FromText(std::string text) {
  return FromFields(QuotedReader(std::move(text)).ReadFields(6));
}

namespace {

OrderHeader ReadLockedHeader(FileSystem& files, int file, std::optional<FileRead>* read) {
  files.Lock(file);
  if (read) {
    files.Eof(file);  // reads the text
    *read = files.WhatWasRead(file);
  }
  return OrderHeader::FromFields(files.ReadFields(file, 6));
}

}  // namespace

OrderHeader ReadHeader(FileSystem& files, const std::string& path, ChangeStamp* stamp,
                       std::optional<FileRead>* read) {
  files.CloseAll();
  int file = files.Open(path, OpenMode::kInput);
  OpenFileGuard guard(files, file);
  if (stamp) *stamp = files.ChangeStampOf(file);
  // The guard's close lets the lock go; an unlock before it would only add
  // a round trip to the share.
  return ReadLockedHeader(files, file, read);
}

OrderHeader ReadOpenHeader(FileSystem& files, int file, std::optional<FileRead>* read) {
  struct Unlock {
    FileSystem& files;
    int file;
    ~Unlock() { files.Unlock(file); }
  } unlock{files, file};
  return ReadLockedHeader(files, file, read);
}

void WriteHeader(FileSystem& files, const std::string& path, const OrderHeader& header,
                 const std::string* note) {
  std::vector<std::string> fields = header.Fields();
  if (note) fields.push_back(*note);
  WriteLockedText(files, path, OpenMode::kOutput, QuotedLine(fields));
}

}  // namespace korv
