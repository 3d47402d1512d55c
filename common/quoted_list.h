#pragma once
// Quoted-list text: every text file the stations share with fields (headers,
// counters, line files, the log). Each field in double quotes, commas between
// fields, CR LF after a line.
//
// A double quote inside a field cannot be written in this form: the older
// stations' reader would end the field there and lose the rest of it. The
// writer therefore stores it as an apostrophe, which keeps the field's length
// (so padded names keep their width) and reads the same on every station.
// Fields without quotes are written byte for byte as given.

#include <string>
#include <string_view>
#include <vector>

namespace korv {

// One field in its quoted form, without separator.
std::string QuoteField(std::string_view field);

// One line: the quoted fields joined by commas, then CR LF.
std::string QuotedLine(const std::vector<std::string>& fields);

// Reads fields one at a time, as the stations' own reader does:
// - blanks before a field are skipped;
// - a quoted field runs to its closing quote and may hold commas; a quote
//   closes it only when a comma, a line end or the end of the text follows
//   (blanks between are allowed), so a stray quote inside a field written by
//   another station does not shift the fields after it; a field whose quote
//   never closes ends at the line end;
// - an unquoted field runs to the next comma or line end, trailing blanks
//   trimmed (numbers written without quotes read as their text);
// - a line end is CR LF, CR or LF; an empty line reads as one empty field;
// - the last line may lack its line end.
// Reading past the end raises error 62. Any bytes, NUL and bytes above 127
// included, are taken as they are.
class QuotedReader {
 public:
  explicit QuotedReader(std::string text) : text_(std::move(text)) {}
  bool AtEnd() const { return pos_ >= text_.size(); }
  const std::string& text() const { return text_; }
  std::string ReadField();
  // Reads n fields; a missing field raises error 62 like a single read.
  std::vector<std::string> ReadFields(size_t n);

 private:
  std::string ReadQuoted();
  std::string ReadBare();
  void SkipDelimiter();
  bool ClosesAt(size_t quote_pos) const;
  std::string text_;
  size_t pos_ = 0;
};

}  // namespace korv
