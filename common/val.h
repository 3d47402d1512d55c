#pragma once
// Numbers from text and numbers to text, as the station's procedures use them.

#include <string>
#include <string_view>

namespace korv {

// The value of the leading numeric part: blanks before it are ignored, then an
// optional sign, digits and one decimal point. Blank or non-numeric text is 0
// (" .0825" is 0.0825, " 12abc" is 12, "" is 0). Never fails.
double Val(std::string_view text);

// The number-to-text conversion with a sign position: a blank before a
// non-negative number (" 17", "-3"). As on the original platform, a fraction
// below one has no leading zero (" .5").
std::string Str(double value);

// The plain conversion that captions receive: up to 15 significant digits, no
// trailing zeros ("17", "12.3", "-0.5").
std::string PlainNumber(double value);

// Text helpers that several procedures share.
std::string Trim(std::string_view text);
std::string Upper(std::string_view text);
std::string Lower(std::string_view text);
bool StartsWith(std::string_view text, std::string_view prefix);
bool EqualsNoCase(std::string_view a, std::string_view b);
// First n characters (all when shorter), as the platform's Left does.
std::string Left(std::string_view text, size_t n);
// Last n characters (all when shorter).
std::string Right(std::string_view text, size_t n);
// Pads with blanks on the right to width, cutting longer text.
std::string PadRight(std::string_view text, size_t width);

// Text from a file made safe to show on a terminal or in the error text:
// control characters, DEL and the bytes Windows-1252 leaves undefined become
// \xNN; every other byte (printable Windows-1252 text) stays as it is.
std::string Printable(std::string_view text);

}  // namespace korv
