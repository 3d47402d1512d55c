#pragma once
// The record tables the stations share. Offsets and widths are written out
// as the tables give them, so that a slip in one entry shows as a gap.

#include "common/fixed_record.h"

namespace korv {

// C:\Korvain\KorvINI.dat, record 1: 2300 bytes, 161 fields.
const RecordLayout& StationConfigLayout();
// data\CustData.dat: 2000 bytes, 20 fields; record number = customer number.
const RecordLayout& CustomerRecordLayout();
// ini\*.dat menu button files: 500 bytes, 20 fields.
const RecordLayout& ButtonRecordLayout();

class StationConfig : public FixedRecord {
 public:
  StationConfig() : FixedRecord(StationConfigLayout()) {}
  explicit StationConfig(std::string_view bytes) : FixedRecord(StationConfigLayout(), bytes) {}
};

class CustomerRecord : public FixedRecord {
 public:
  CustomerRecord() : FixedRecord(CustomerRecordLayout()) {}
  explicit CustomerRecord(std::string_view bytes) : FixedRecord(CustomerRecordLayout(), bytes) {}
};

class ButtonRecord : public FixedRecord {
 public:
  ButtonRecord() : FixedRecord(ButtonRecordLayout()) {}
  explicit ButtonRecord(std::string_view bytes) : FixedRecord(ButtonRecordLayout(), bytes) {}
};

}  // namespace korv
