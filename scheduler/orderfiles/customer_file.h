#pragma once
// The customer file data\CustData.dat: random access, 2000-byte records,
// record number = customer number (the first record is number 1).

#include "common/record_tables.h"
#include "common/station.h"
#include "platform/files/file_system.h"

namespace korv {

// DataRoot\data\CustData.dat.
std::string CustomerFilePath(const std::string& data_root);

// Reads record CustRecNo (raised to 1 when below 1) under a whole-file lock
// into Customer, and its fields into CustName (3), CustPhone (2), CustNumber
// and CustNumberCopy (1), trimmed. A record past the end of the file, or a
// missing file, reads as blanks; the missing file is not created. Closes all
// open files first; raises 70 when another station holds the lock.
void ReadCustomer(Station& station, FileSystem& files);
// The same read of record record_number (1 or more), the station left as it
// is.
CustomerRecord ReadCustomerRecord(FileSystem& files, const std::string& data_root,
                                  int record_number);

// The record a header's customer number names, or 0 when it names none: 0
// or blank, below 1, not a whole number, beyond 32 bits, or past the end of
// the customer file (a missing file holds no record). The caller treats 0 as
// an unknown customer, never as record 1.
int CustomerRecordNumber(FileSystem& files, const std::string& data_root, std::string_view number);

// Writes a customer record at its record number under a whole-file lock,
// as the stations' customer editor does. Records between the end of the file
// and this one are written as blanks, so they read as empty customers.
// Raises 63 for a record number below 1.
void WriteCustomer(FileSystem& files, const std::string& data_root, int record_number,
                   const CustomerRecord& record);

}  // namespace korv
