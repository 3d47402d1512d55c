#include "platform/print/code_page.h"

#include <array>

namespace korv {
namespace {

using HighHalf = std::array<unsigned char, 128>;

// The page's byte for each Windows-1252 byte 0x80..0xFF; 0 where it lacks it.
// clang-format off
constexpr HighHalf k437 = {
    0x00, 0x00, 0x00, 0x9F, 0x00, 0x00, 0x00, 0x00,  // 80
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // 88
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // 90
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // 98
    0xFF, 0xAD, 0x9B, 0x9C, 0x00, 0x9D, 0x00, 0x00,  // A0
    0x00, 0x00, 0xA6, 0xAE, 0xAA, 0x00, 0x00, 0x00,  // A8
    0xF8, 0xF1, 0xFD, 0x00, 0x00, 0xE6, 0x00, 0xFA,  // B0
    0x00, 0x00, 0xA7, 0xAF, 0xAC, 0xAB, 0x00, 0xA8,  // B8
    0x00, 0x00, 0x00, 0x00, 0x8E, 0x8F, 0x92, 0x80,  // C0
    0x00, 0x90, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // C8
    0x00, 0xA5, 0x00, 0x00, 0x00, 0x00, 0x99, 0x00,  // D0
    0x00, 0x00, 0x00, 0x00, 0x9A, 0x00, 0x00, 0xE1,  // D8
    0x85, 0xA0, 0x83, 0x00, 0x84, 0x86, 0x91, 0x87,  // E0
    0x8A, 0x82, 0x88, 0x89, 0x8D, 0xA1, 0x8C, 0x8B,  // E8
    0x00, 0xA4, 0x95, 0xA2, 0x93, 0x00, 0x94, 0xF6,  // F0
    0x00, 0x97, 0xA3, 0x96, 0x81, 0x00, 0x00, 0x98,  // F8
};

constexpr HighHalf k858 = {
    0xD5, 0x00, 0x00, 0x9F, 0x00, 0x00, 0x00, 0x00,  // 80
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // 88
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // 90
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // 98
    0xFF, 0xAD, 0xBD, 0x9C, 0xCF, 0xBE, 0xDD, 0xF5,  // A0
    0xF9, 0xB8, 0xA6, 0xAE, 0xAA, 0xF0, 0xA9, 0xEE,  // A8
    0xF8, 0xF1, 0xFD, 0xFC, 0xEF, 0xE6, 0xF4, 0xFA,  // B0
    0xF7, 0xFB, 0xA7, 0xAF, 0xAC, 0xAB, 0xF3, 0xA8,  // B8
    0xB7, 0xB5, 0xB6, 0xC7, 0x8E, 0x8F, 0x92, 0x80,  // C0
    0xD4, 0x90, 0xD2, 0xD3, 0xDE, 0xD6, 0xD7, 0xD8,  // C8
    0xD1, 0xA5, 0xE3, 0xE0, 0xE2, 0xE5, 0x99, 0x9E,  // D0
    0x9D, 0xEB, 0xE9, 0xEA, 0x9A, 0xED, 0xE8, 0xE1,  // D8
    0x85, 0xA0, 0x83, 0xC6, 0x84, 0x86, 0x91, 0x87,  // E0
    0x8A, 0x82, 0x88, 0x89, 0x8D, 0xA1, 0x8C, 0x8B,  // E8
    0xD0, 0xA4, 0x95, 0xA2, 0x93, 0xE4, 0x94, 0xF6,  // F0
    0x9B, 0x97, 0xA3, 0x96, 0x81, 0xEC, 0xE7, 0x98,  // F8
};

// The plain letters of each Windows-1252 character 0x80..0xFF that code
// page 858 or 437 lacks; null for those both pages have. The five bytes
// Windows-1252 leaves undefined print as a blank.
constexpr std::array<const char*, 128> kPlain = {
    "EUR", " ",  ",",  nullptr, "\"", "...", "+",   "+",      // 80
    "^",   "%",  "S",  "<",     "OE", " ",   "Z",   " ",      // 88
    " ",   "'",  "'",  "\"",    "\"", "*",   "-",   "-",      // 90
    "~",   "TM", "s",  ">",     "oe", " ",   "z",   "Y",      // 98
    nullptr, nullptr, nullptr, nullptr, "*", nullptr, "|", "S",  // A0
    "\"",  "(C)", nullptr, nullptr, nullptr, "-", "(R)", "-",  // A8
    nullptr, nullptr, nullptr, "3", "'", nullptr, "P", nullptr,  // B0
    ",",   "1",  nullptr, nullptr, nullptr, nullptr, "3/4", nullptr,  // B8
    "A",   "A",  "A",  "A",     nullptr, nullptr, nullptr, nullptr,  // C0
    "E",   nullptr, "E", "E",   "I",  "I",   "I",   "I",      // C8
    "D",   nullptr, "O", "O",   "O",  "O",   nullptr, "x",    // D0
    "O",   "U",  "U",  "U",     nullptr, "Y", "TH", nullptr,  // D8
    nullptr, nullptr, nullptr, "a", nullptr, nullptr, nullptr, nullptr,  // E0
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,  // E8
    "d",   nullptr, nullptr, nullptr, nullptr, "o", nullptr, nullptr,  // F0
    "o",   nullptr, nullptr, nullptr, nullptr, "y", "th", nullptr,  // F8
};
// clang-format on

const HighHalf* TableOf(CodePage page) {
  switch (page) {
    case CodePage::k858:
      return &k858;
    case CodePage::k437:
      return &k437;
    case CodePage::k1252:
      break;
  }
  return nullptr;
}

}  // namespace

std::optional<CodePage> CodePageNumbered(int number) {
  for (CodePage page : {CodePage::k1252, CodePage::k858, CodePage::k437})
    if (static_cast<int>(page) == number) return page;
  return std::nullopt;
}

unsigned char EscPosCodeTable(CodePage page) {
  switch (page) {
    case CodePage::k858:
      return 19;
    case CodePage::k437:
      return 0;
    case CodePage::k1252:
      break;
  }
  return 16;
}

std::optional<CodePage> CodePageOfEscPosTable(unsigned char n) {
  for (CodePage page : {CodePage::k1252, CodePage::k858, CodePage::k437})
    if (EscPosCodeTable(page) == n) return page;
  return std::nullopt;
}

std::string BlankControlCharacters(std::string text) {
  for (char& c : text)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  return text;
}

std::string PlainForCodePage(std::string_view text, CodePage page) {
  const HighHalf* table = TableOf(page);
  if (!table) return std::string(text);
  std::string out;
  for (char c : text) {
    unsigned char b = static_cast<unsigned char>(c);
    if (b < 0x80 || (*table)[b - 0x80] != 0) {
      out += c;
    } else {
      out += kPlain[b - 0x80];
    }
  }
  return out;
}

std::string EncodeForCodePage(std::string_view text, CodePage page) {
  const HighHalf* table = TableOf(page);
  if (!table) return std::string(text);
  std::string out;
  for (char c : text) {
    unsigned char b = static_cast<unsigned char>(c);
    if (b >= 0x80) b = (*table)[b - 0x80] ? (*table)[b - 0x80] : ' ';
    out += static_cast<char>(b);
  }
  return out;
}

std::string DecodeFromCodePage(std::string_view bytes, CodePage page) {
  const HighHalf* table = TableOf(page);
  if (!table) return std::string(bytes);
  std::array<char, 128> back;
  back.fill('?');
  for (int i = 0; i < 128; ++i)
    if ((*table)[i] != 0) back[(*table)[i] - 0x80] = static_cast<char>(0x80 + i);
  std::string out;
  for (char c : bytes) {
    unsigned char b = static_cast<unsigned char>(c);
    out += b < 0x80 ? c : back[b - 0x80];
  }
  return out;
}

}  // namespace korv
