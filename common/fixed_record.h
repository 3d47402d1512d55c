#pragma once
// Fixed-width records: single-byte text fields, left-aligned and blank-padded,
// no separators, in random-access files of fixed-length records.

#include <string>
#include <string_view>
#include <vector>

namespace korv {

struct FieldSpec {
  int offset;
  int width;
};

// A record layout from its table. Field numbers start at 1, as the tables
// number them.
class RecordLayout {
 public:
  RecordLayout(int length, std::vector<FieldSpec> fields);
  int length() const { return length_; }
  int field_count() const { return static_cast<int>(fields_.size()); }
  // Raises error 5 for a field number outside the table.
  const FieldSpec& field(int number) const;
  // True when the fields follow one another without gap or overlap and end
  // exactly at the record length.
  bool IsContiguous() const;

 private:
  int length_;
  std::vector<FieldSpec> fields_;
};

// One record's bytes. A record read short (past the end of its file, or from
// a truncated file) is padded with blanks, so every field reads as text.
class FixedRecord {
 public:
  explicit FixedRecord(const RecordLayout& layout);
  FixedRecord(const RecordLayout& layout, std::string_view bytes);

  const RecordLayout& layout() const { return *layout_; }
  const std::string& bytes() const { return bytes_; }
  // The field as stored, padding included.
  std::string Raw(int number) const;
  // The field with surrounding blanks removed, as readers take it.
  std::string Text(int number) const;
  // The field's leading number (blank is 0).
  double Number(int number) const;
  // Stores text left-aligned and blank-padded; longer text is cut to the
  // width, as a fixed-length field of the platform does.
  void Set(int number, std::string_view text);
  // True when text fits the field's width.
  bool Fits(int number, std::string_view text) const;

 private:
  const RecordLayout* layout_;
  std::string bytes_;
};

}  // namespace korv
