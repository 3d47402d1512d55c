#include "platform/print/print_service.h"

#include <gtest/gtest.h>

#include "common/runtime_error.h"
#include "platform/print/control_font.h"
#include "platform/print/dir_destination.h"
#include "testing/fakes.h"
#include "testing/temp_dir.h"

namespace korv {
namespace {

using testing::RecordingPrinters;

// A line with its output state: text|font|size|bold|italic|colour.
std::string Describe(const PrintedLine& l) {
  return l.Text() + "|" + l.font + "|" + std::to_string(static_cast<int>(l.size)) + "|" +
         (l.bold ? "B" : "") + "|" + (l.italic ? "I" : "") + "|" + std::to_string(l.color);
}

TEST(PrintServiceTest, LinesReachThePrinterInOrderWithTheirStyles) {
  std::vector<Document> printed;
  PrintService printer(RecordingPrinters({"KITCHEN1", "BAR"}, &printed), 1);
  EXPECT_EQ(printer.CurrentName(), "BAR");
  printer.SetFontName("Times New Roman");
  printer.SetFontSize(20);
  printer.SetBold(true);
  printer.PrintLine({"KITCHEN"});
  printer.SetFontSize(10);
  printer.SetBold(false);
  printer.SetItalic(true);
  printer.SetForeColor(kRed);
  printer.PrintLine({"1 ", "Soup", "  $4.50"});
  printer.PrintLine();
  ASSERT_TRUE(printed.empty()) << "nothing goes out before the document ends";
  printer.EndDoc();
  printer.EndDoc();  // nothing open: no empty document

  ASSERT_EQ(printed.size(), 1u);
  EXPECT_EQ(printed[0].printer, "BAR");
  std::vector<std::string> lines;
  for (const PrintedLine& l : printed[0].lines) lines.push_back(Describe(l));
  // Until a colour is set, the colour every ticket line returns to.
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "KITCHEN|Times New Roman|20|B||" + std::to_string(kButtonText),
                       "1 Soup  $4.50|Times New Roman|10||I|255", "|Times New Roman|10||I|255"}));
}

TEST(PrintServiceTest, SelectingAnotherPrinterEndsTheOpenDocumentThere) {
  std::vector<Document> printed;
  PrintService printer(RecordingPrinters({"KITCHEN1", "KITCHEN2"}, &printed));
  printer.PrintLine({"first ticket"});
  printer.Select(0);  // the same printer: the document stays open
  EXPECT_TRUE(printed.empty());
  printer.Select(1);
  ASSERT_EQ(printed.size(), 1u);
  EXPECT_EQ(printed[0].printer, "KITCHEN1");
  EXPECT_EQ(printed[0].lines[0].Text(), "first ticket");
  printer.PrintLine({"second ticket"});
  printer.EndDoc();
  ASSERT_EQ(printed.size(), 2u);
  EXPECT_EQ(printed[1].printer, "KITCHEN2");
  ASSERT_EQ(printed[1].lines.size(), 1u);
  EXPECT_THROW(printer.Select(2), RuntimeError);

  // A first printer that fails still lets the selection move on.
  static_cast<testing::RecordingDestination&>(*printer.printer(1).destination).fail_with = 57;
  printer.PrintLine({"lost"});
  EXPECT_THROW(printer.Select(0), RuntimeError);
  EXPECT_EQ(printer.Current(), 0);
  EXPECT_FALSE(printer.DocumentOpen());
}

// A send killed in the middle and then resumed ends the same documents in
// the same order; each reaches the printer's folder once.
TEST(PrintServiceTest, UnderALedgerAResumedSendDeliversNoDocumentTwice) {
  testing::TempDir tmp;
  const std::filesystem::path folder = tmp.path() / "kitchen";
  auto send = [&](testing::MemoryLedger& ledger) {
    std::vector<InstalledPrinter> printers;
    printers.push_back(
        InstalledPrinter{"KITCHEN", std::make_unique<DirDestination>(folder, "dir")});
    PrintService printer(std::move(printers));
    printer.SetLedger(&ledger);
    printer.PrintLine({"ticket one"});
    printer.EndDoc();
    printer.SetFontName(kControlFont);
    printer.PrintLine({"P"});  // the cut after it, a document of its own
    printer.EndDoc();
    printer.SetFontName("Arial");
    printer.PrintLine({"ticket two"});
    printer.EndDoc();
  };
  testing::MemoryLedger ledger;
  send(ledger);
  EXPECT_EQ(testing::ReadHostFile(folder / "000001.txt"), "ticket one\r\n[cut]\r\n");
  EXPECT_EQ(testing::ReadHostFile(folder / "000002.txt"), "ticket two\r\n");
  ASSERT_EQ(ledger.entries.size(), 3u);
  EXPECT_EQ(ledger.entries[2].ref, 1) << "the cut ends ticket one";

  // Killed while publishing ticket two: its .html is out, its .txt is not.
  std::filesystem::remove(folder / "000002.txt");
  ledger.entries[3].done = ledger.entries[3].delivered = false;
  send(ledger);
  EXPECT_EQ(testing::ReadHostFile(folder / "000001.txt"), "ticket one\r\n[cut]\r\n");
  EXPECT_EQ(testing::ReadHostFile(folder / "000002.txt"), "ticket two\r\n");
  EXPECT_TRUE(ledger.entries[3].delivered);

  // Killed after publishing it, before the ledger knew: it is there already.
  ledger.entries[3].done = false;
  send(ledger);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 4)
      << "two tickets, each a .txt and an .html; nothing more";
  EXPECT_TRUE(ledger.entries[3].done);
}

}  // namespace
}  // namespace korv
