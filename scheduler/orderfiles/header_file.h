#pragma once
// Header files (.PH): one quoted-list line of six fields. A delayed header
// names its order "DS<k>" in field 4; a phone order header holds the phone-in
// number there. The archived header of a sent delayed order has a seventh
// field, the note.

#include <string>
#include <vector>

#include "platform/files/file_system.h"

namespace korv {

struct OrderHeader {
  std::string phone;
  std::string customer_number;  // record number in CustData.dat, may carry blanks
  std::string customer_name;    // may be blank-padded; readers trim it
  std::string order_id;
  std::string send_date;
  std::string send_time;

  std::vector<std::string> Fields() const;
  // The first six fields; a shorter list raises 62, as reading a short file.
  static OrderHeader FromFields(const std::vector<std::string>& fields);
  // The first six fields of a header's text read already; 62 when fewer.
  static OrderHeader FromText(std::string text);
};

// Closes all open files, reads the six fields under a whole-file lock and
// closes the file. Raises 53 for a missing file and 62 for fewer than six
// fields. stamp, when given, receives the file's change stamp as it was
// opened; read, the text read with its stamp (also when it is too short).
OrderHeader ReadHeader(FileSystem& files, const std::string& path, ChangeStamp* stamp = nullptr,
                       std::optional<FileRead>* read = nullptr);
// The same for a header already open for input, which stays open: its
// whole-file lock is let go again (a claim on it stays).
OrderHeader ReadOpenHeader(FileSystem& files, int file, std::optional<FileRead>* read);

// Closes all open files and writes the header (and the note as a seventh
// field when one is given) under a whole-file lock, replacing the file.
void WriteHeader(FileSystem& files, const std::string& path, const OrderHeader& header,
                 const std::string* note = nullptr);

}  // namespace korv
