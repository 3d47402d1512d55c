#include "platform/print/escpos_renderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "platform/print/character_size.h"
#include "platform/print/code_page.h"
#include "platform/print/control_font.h"
#include "platform/print/escpos_reader.h"
#include "testing/fakes.h"
#include "testing/temp_dir.h"

namespace korv {
namespace {

namespace fs = std::filesystem;
using testing::ReadHostFile;
using testing::WriteHostFile;

const std::string kRule(57, '_');

fs::path Golden(const std::string& name) {
  return fs::path(__FILE__).parent_path() / "testdata" / name;
}

// Compares with the golden file byte for byte. KORV_UPDATE_GOLDEN=1 rewrites
// it instead (then check the change with a hex dump before committing).
void ExpectGolden(const std::string& name, const std::string& bytes) {
  if (const char* update = std::getenv("KORV_UPDATE_GOLDEN"); update && *update == '1') {
    WriteHostFile(Golden(name), bytes);
    return;
  }
  std::string golden = ReadHostFile(Golden(name));
  ASSERT_FALSE(golden.empty()) << "missing golden file " << Golden(name);
  ASSERT_EQ(bytes.size(), golden.size()) << name;
  for (size_t i = 0; i < bytes.size(); ++i)
    ASSERT_EQ(bytes[i], golden[i]) << name << ": first difference at byte " << i;
}

// The paper cut as the ticket code sends it (after the ticket's document has
// ended), then the switch back to the station printer that sends it out.
void CutAndSwitchBack(PrintService& p) {
  std::string font = p.FontName();
  p.SetFontSize(10);
  p.SetFontName(kControlFont);
  p.PrintLine({"P"});
  p.SetFontName(font);
  p.Select(p.PrinterCount() - 1);
}

// One buffer line of a kitchen ticket with its bold and red rules.
void BufferLine(PrintService& p, const std::string& line, bool item, bool highlighted) {
  p.SetBold(false);
  p.SetFontSize(10);
  p.SetBold(item);
  if (highlighted) {
    p.SetForeColor(kRed);
    p.SetBold(true);
  }
  p.PrintLine({line});
  p.SetForeColor(kButtonText);
  p.SetBold(false);
}

void TakeOutBanner(PrintService& p, const std::string& customer) {
  p.SetBold(true);
  p.PrintLine({customer});
  p.SetFontSize(36);
  p.PrintLine({"TAKE OUT"});
  p.SetFontSize(10);
  p.PrintLine({"Station -", "STATION7"});
}

// A main kitchen ticket for a phone order (base size 10), with two
// highlighted instructions and a Windows-1252 item name, then the cut.
std::vector<Document> KitchenTicket() {
  std::vector<Document> printed;
  PrintService p(testing::RecordingPrinters({"KITCHEN1", "OFFICE"}, &printed));
  p.SetFontName("Arial");
  p.SetBold(true);
  p.SetItalic(false);
  p.SetFontSize(10);
  p.PrintLine({"KITCHEN"});
  p.SetFontSize(25);
  p.PrintLine({"ORDER"});
  p.SetFontSize(40);
  p.PrintLine({"K-17"});
  p.SetFontSize(10);
  p.SetBold(false);
  BufferLine(p, "Phone IN 12", false, false);
  p.PrintLine({kRule});
  BufferLine(p, "SMITH JOHN  555-0123", false, false);
  BufferLine(p, "2 Cheeseburger", true, false);
  BufferLine(p, "* no onions", false, false);
  BufferLine(p, "* {{ ALLERGY: NUTS }}", false, true);
  BufferLine(p,
             "1 Cr\xE8me br\xFBl\xE9"
             "e",
             true, false);
  BufferLine(p, "*  {{ serve at 7 pm }}", false, true);
  p.SetBold(false);
  p.PrintLine();
  p.PrintLine({kRule});
  p.PrintLine();
  p.PrintLine();
  TakeOutBanner(p, "SMITH JOHN  555-0123");
  p.SetBold(false);
  p.SetItalic(true);
  p.SetFontSize(8);
  p.PrintLine({"DELAYED order for SMITH JOHN 555-0123           "});
  p.SetItalic(false);
  p.SetFontSize(10);
  p.PrintLine({"..... END Order K-17"});
  p.PrintLine();
  p.EndDoc();
  CutAndSwitchBack(p);
  return printed;
}

// A bar ticket for a phone order (base size 10) with the take-out banner,
// then the cut.
std::vector<Document> BarTicket() {
  std::vector<Document> printed;
  PrintService p(testing::RecordingPrinters({"BAR", "OFFICE"}, &printed));
  p.SetFontName("Arial");
  p.SetBold(true);
  p.SetFontSize(10);
  p.SetItalic(false);
  p.PrintLine({"Beverage"});
  p.SetFontSize(30);
  p.PrintLine({"ORDER"});
  p.SetFontSize(10);
  p.PrintLine({"Phone IN 12"});
  p.PrintLine({kRule});
  p.PrintLine();
  for (const char* line : {"2 Cola", "1 Iced tea", "* no ice"}) {
    p.SetBold(line[0] != '*');
    p.PrintLine({line});
  }
  p.PrintLine();
  p.PrintLine({kRule});
  p.PrintLine({"OrderNumber"});
  p.SetFontSize(25);
  p.PrintLine({"42"});
  p.SetFontSize(5);
  p.PrintLine({kRule});
  TakeOutBanner(p, "SMITH JOHN  555-0123");
  p.PrintLine({"12/8/2026", "   ", "7:30:00 PM"});
  p.PrintLine();
  p.SetBold(false);
  p.PrintLine();
  p.EndDoc();
  CutAndSwitchBack(p);
  return printed;
}

// The bytes the printer receives for a run of documents.
std::string Jobs(const std::vector<Document>& docs, bool red) {
  std::string bytes;
  for (const Document& doc : docs) bytes += RenderEscPos(doc, {.red_ribbon = red});
  return bytes;
}

TEST(EscPosRendererTest, TicketsMatchTheirGoldenBytes) {
  std::vector<Document> kitchen = KitchenTicket();
  ASSERT_EQ(kitchen.size(), 2u) << "the ticket, then the cut";
  ExpectGolden("kitchen_ticket_red.escpos", Jobs(kitchen, true));

  std::vector<Document> bar = BarTicket();
  ASSERT_EQ(bar.size(), 2u);
  ExpectGolden("bar_ticket_take_out.escpos", Jobs(bar, false));

  // The cut alone, as it follows every ticket: reset, code page, cut.
  EXPECT_EQ(RenderEscPos(kitchen[1], {.red_ribbon = true}),
            std::string("\x1b@\x1bt\x10\x1dVB\0", 9));
}

TEST(EscPosRendererTest, RedOnlyOnTwoColourPrintersAndOnlyForRed) {
  std::string red = RenderEscPos(KitchenTicket()[0], {.red_ribbon = true});
  std::string black = RenderEscPos(KitchenTicket()[0], {});
  EXPECT_NE(red.find("\x1br\x01* {{ ALLERGY: NUTS }}\n\x1br", 0), std::string::npos);
  EXPECT_EQ(black.find("\x1br"), std::string::npos) << "no colour commands for a black printer";
  EXPECT_NE(black.find("\x1b"
                       "E\x01* {{ ALLERGY: NUTS }}\n"),
            std::string::npos)
      << "the instruction stays bold";

  Document other{"KITCHEN1", {}};
  other.lines.push_back(PrintedLine{{"blue"}, "Arial", 10, false, false, Rgb(0, 0, 255)});
  other.lines.push_back(PrintedLine{{"system"}, "Arial", 10, false, false, kButtonText});
  EXPECT_EQ(RenderEscPos(other, {.red_ribbon = true}).find("\x1br"), std::string::npos);
}

TEST(EscPosRendererTest, SizesFollowOneTableAndOnlyCommandLinesCommand) {
  EXPECT_EQ(EscPosCharacterSize(8), 0x00);
  EXPECT_EQ(EscPosCharacterSize(12), 0x00);
  EXPECT_EQ(EscPosCharacterSize(12.5), 0x01);
  EXPECT_EQ(EscPosCharacterSize(20), 0x01);
  EXPECT_EQ(EscPosCharacterSize(25), 0x11);
  EXPECT_EQ(EscPosCharacterSize(31), 0x22);
  EXPECT_EQ(EscPosCharacterSize(72), 0x22);

  Document doc{"K", {}};
  doc.lines.push_back(PrintedLine{{"X"}, "CONTROL", 10, false, false, kBlack});
  doc.lines.push_back(PrintedLine{{"P"}, "Control", 10, false, false, kBlack});
  doc.lines.push_back(PrintedLine{{"P"}, "Arial", 10, false, false, kBlack});
  EXPECT_EQ(RenderEscPos(doc, {}), std::string("\x1b@\x1bt\x10\x1dVB\0P\n", 11));
  // A tab or an ESC in a damaged name prints as a blank, never as a command.
  Document damaged{"K",
                   {PrintedLine{{"A\tB\x1b"
                                 "E\x01"}}}};
  EXPECT_EQ(ReadEscPos(RenderEscPos(damaged, {})), (std::vector<TicketLine>{{.text = "A B E"}}));
}

TEST(EscPosRendererTest, NamesPrintInThePrintersCodePageNeverAsQuestionMarks) {
  std::string every;
  for (int b = 0x20; b < 0x100; ++b) every += static_cast<char>(b);
  for (CodePage page : {CodePage::k858, CodePage::k437}) {
    std::string plain = PlainForCodePage(every, page);
    EXPECT_EQ(DecodeFromCodePage(EncodeForCodePage(plain, page), page), plain)
        << "every character printed is one the page has";
    EXPECT_EQ(std::count(plain.begin(), plain.end(), '?'), 1) << "only the question mark itself";
  }

  const std::string name =
      "Cr\xE8me br\xFBl\xE9"
      "e \x8Cufs \x8Akoda \x80"
      "5 \xC3ngela";
  const struct {
    CodePage page;
    char table;
    std::string printed;
  } pages[] = {
      {CodePage::k1252, 16, name},
      {CodePage::k858, 19,
       "Cr\xE8me br\xFBl\xE9"
       "e OEufs Skoda \x80"
       "5 \xC3ngela"},
      {CodePage::k437, 0,
       "Cr\xE8me br\xFBl\xE9"
       "e OEufs Skoda EUR5 Angela"},
  };
  for (const auto& p : pages) {
    std::string job = RenderEscPos(Document{"K", {PrintedLine{{name}}}}, {.code_page = p.page});
    EXPECT_EQ(job.substr(0, 5), std::string("\x1b@\x1bt") + p.table);
    EXPECT_EQ(ReadEscPos(job), (std::vector<TicketLine>{{.text = p.printed}}));
  }
}

}  // namespace
}  // namespace korv
