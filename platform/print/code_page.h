#pragma once
// The character tables a ticket printer prints text in. The station's text is
// Windows-1252 as stored; a printer that has no Windows-1252 table prints it
// through code page 858 or 437 (printers.conf "codepage="). A character the
// page lacks is printed as its nearest plain letters ("Š" as "S", "Œ" as
// "OE", "€" as "EUR"), so a name never turns into "?".

#include <optional>
#include <string>
#include <string_view>

namespace korv {

enum class CodePage { k1252 = 1252, k858 = 858, k437 = 437 };

// The page of a printers.conf number; none for a page the station cannot print.
std::optional<CodePage> CodePageNumbered(int number);

// n of ESC t n, the ESC/POS selection of the page.
unsigned char EscPosCodeTable(CodePage page);
// The page ESC t n selects; none for a table this station never selects.
std::optional<CodePage> CodePageOfEscPosTable(unsigned char n);

// The text with its control characters (a tab, an ESC from a damaged file) as
// blanks, as a ticket printer is sent them: one column each, a place to wrap,
// and never a command to the printer.
std::string BlankControlCharacters(std::string text);

// Windows-1252 text with every character the page lacks replaced by its
// plain letters; the text stays Windows-1252 and may grow longer.
std::string PlainForCodePage(std::string_view text, CodePage page);

// Windows-1252 text as the page's bytes. A character the page lacks must
// have gone through PlainForCodePage; here it becomes a blank.
std::string EncodeForCodePage(std::string_view text, CodePage page);

// The page's bytes back as Windows-1252; a character Windows-1252 lacks (a
// box-drawing piece) reads as "?".
std::string DecodeFromCodePage(std::string_view bytes, CodePage page);

}  // namespace korv
