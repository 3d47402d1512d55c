#include "common/quoted_list.h"

#include "common/runtime_error.h"

namespace korv {
namespace {

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

}  // namespace

std::string QuoteField(std::string_view field) {
  std::string out;
  out.reserve(field.size() + 2);
  out += '"';
  for (char c : field) out += (c == '"') ? '\'' : c;
  out += '"';
  return out;
}

std::string QuotedLine(const std::vector<std::string>& fields) {
  std::string out;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) out += ',';
    out += QuoteField(fields[i]);
  }
  out += "\r\n";
  return out;
}

std::string QuotedReader::ReadField() {
  if (AtEnd()) throw RuntimeError(kErrInputPastEnd);
  while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t')) ++pos_;
  std::string field = (pos_ < text_.size() && text_[pos_] == '"') ? ReadQuoted() : ReadBare();
  SkipDelimiter();
  return field;
}

std::vector<std::string> QuotedReader::ReadFields(size_t n) {
  std::vector<std::string> out;
  out.reserve(n);
  for (size_t i = 0; i < n; ++i) out.push_back(ReadField());
  return out;
}

bool QuotedReader::ClosesAt(size_t q) const {
  size_t i = q + 1;
  while (i < text_.size() && (text_[i] == ' ' || text_[i] == '\t')) ++i;
  return i >= text_.size() || text_[i] == ',' || IsLineEnd(text_[i]);
}

std::string QuotedReader::ReadQuoted() {
  size_t start = ++pos_;  // past the opening quote
  size_t i = start;
  while (i < text_.size() && !IsLineEnd(text_[i])) {
    if (text_[i] == '"' && ClosesAt(i)) {
      pos_ = i + 1;
      return text_.substr(start, i - start);
    }
    ++i;
  }
  pos_ = i;  // no closing quote on this line: the field ends with the line
  return text_.substr(start, i - start);
}

std::string QuotedReader::ReadBare() {
  size_t start = pos_;
  while (pos_ < text_.size() && text_[pos_] != ',' && !IsLineEnd(text_[pos_])) ++pos_;
  size_t end = pos_;
  while (end > start && (text_[end - 1] == ' ' || text_[end - 1] == '\t')) --end;
  return text_.substr(start, end - start);
}

void QuotedReader::SkipDelimiter() {
  while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t')) ++pos_;
  if (pos_ >= text_.size()) return;
  if (text_[pos_] == ',') {
    ++pos_;
    return;
  }
  if (text_[pos_] == '\r') {
    ++pos_;
    if (pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
  } else if (text_[pos_] == '\n') {
    ++pos_;
  }
}

}  // namespace korv
