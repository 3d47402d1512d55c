#pragma once
// The record tables the stations share. Offsets and widths are written out
// as the tables give them, so that a slip in one entry shows as a gap.

#include "common/config_fields.h"
#include "common/fixed_record.h"

namespace korv {

// C:\Korvain\KorvINI.dat, record 1: 2300 bytes, 161 fields.
const RecordLayout& StationConfigLayout();
// data\CustData.dat: 2000 bytes, 20 fields; record number = customer number.
const RecordLayout& CustomerRecordLayout();
// ini\*.dat menu button files: 500 bytes, 20 fields.
const RecordLayout& ButtonRecordLayout();

// The station's fields are read and written by name only (config_fields.h);
// ConfigField{n} names field n where a number comes from outside.
class StationConfig : public FixedRecord {
 public:
  StationConfig() : FixedRecord(StationConfigLayout()) {}
  explicit StationConfig(std::string_view bytes) : FixedRecord(StationConfigLayout(), bytes) {}

  std::string Raw(ConfigField f) const { return FixedRecord::Raw(Index(f)); }
  std::string Text(ConfigField f) const { return FixedRecord::Text(Index(f)); }
  double Number(ConfigField f) const { return FixedRecord::Number(Index(f)); }
  void Set(ConfigField f, std::string_view text) { FixedRecord::Set(Index(f), text); }
  bool Fits(ConfigField f, std::string_view text) const {
    return FixedRecord::Fits(Index(f), text);
  }

 private:
  static int Index(ConfigField f) { return static_cast<int>(f); }
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
