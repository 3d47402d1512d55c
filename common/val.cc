#include "common/val.h"

#include <cctype>
#include <cmath>
#include <cstdio>

namespace korv {

double Val(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  std::string number;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) number += text[i++];
  bool point = false;
  bool digits = false;
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (std::isdigit(static_cast<unsigned char>(c))) {
      digits = true;
      number += c;
    } else if (c == '.' && !point) {
      point = true;
      number += c;
    } else {
      break;
    }
  }
  if (!digits) return 0.0;
  // Very long digit runs still parse: strtod handles any length.
  double v = std::strtod(number.c_str(), nullptr);
  return std::isfinite(v) ? v : 0.0;
}

std::string PlainNumber(double value) {
  if (value == 0.0) return "0";  // also folds -0
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15g", value);
  return buf;
}

std::string Str(double value) {
  std::string plain = PlainNumber(value);
  bool negative = plain[0] == '-';
  std::string digits = negative ? plain.substr(1) : plain;
  if (digits.size() > 1 && digits[0] == '0' && digits[1] == '.') digits.erase(0, 1);
  return (negative ? "-" : " ") + digits;
}

std::string Trim(std::string_view text) {
  size_t b = 0, e = text.size();
  while (b < e && text[b] == ' ') ++b;
  while (e > b && text[e - 1] == ' ') --e;
  return std::string(text.substr(b, e - b));
}

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

bool EqualsNoCase(std::string_view a, std::string_view b) { return Lower(a) == Lower(b); }

std::string Left(std::string_view text, size_t n) { return std::string(text.substr(0, n)); }

std::string Right(std::string_view text, size_t n) {
  return n >= text.size() ? std::string(text) : std::string(text.substr(text.size() - n));
}

std::string PadRight(std::string_view text, size_t width) {
  std::string out(text.substr(0, width));
  out.resize(width, ' ');
  return out;
}

std::string Printable(std::string_view text) {
  std::string out;
  for (char c : text) {
    const unsigned char b = static_cast<unsigned char>(c);
    const bool undefined = b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
    if (b >= 0x20 && b != 0x7F && !undefined) {
      out += c;
      continue;
    }
    char escaped[5];
    std::snprintf(escaped, sizeof escaped, "\\x%02X", b);
    out += escaped;
  }
  return out;
}

}  // namespace korv
