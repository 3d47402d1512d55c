// The demo restaurant's tickets, and an order with long names, long item
// texts and modifiers, sent and pre-printed as the station does, then
// printed on ticket printers of 48, 42 and 32 columns and read back from the
// bytes the printers receive.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "common/record_tables.h"
#include "common/val.h"
#include "platform/print/character_size.h"
#include "platform/print/control_font.h"
#include "platform/print/escpos_reader.h"
#include "platform/print/escpos_renderer.h"
#include "scheduler/korv_delayed_send.h"
#include "scheduler/orderfiles/customer_file.h"
#include "scheduler/orderfiles/delayed_order_writer.h"
#include "scheduler/orderfiles/line_file.h"
#include "testing/test_station.h"
#include "tools/station_setup.h"

namespace korv {
namespace {

const std::string kRoot = "F:\\KORVAIN\\";
const std::string kConfigFile = "C:\\Korvain\\KorvINI.dat";
const std::string kRuleCharacters = "_=-.*~";

std::string LongOrderRow(int quantity, const char* name, const char* kitchen, int route) {
  return OrderLineRow(
      OrderLineItem{quantity, PadRight(name, 20), 9.50, kitchen, route, "Main Course", "T"});
}

std::string Modifier(const std::string& text) {
  return "*|" + PadRight("* " + text, 20) + "||" + text + "|4 - Main Course|T|N";
}

// A due order whose every text is longer than a narrow paper's line.
void WriteLongOrder(FileSystem& files) {
  CustomerRecord customer;
  customer.Set(1, "4");
  customer.Set(2, "207-555-0123");
  customer.Set(3, "Bartholomew Featherstonehaugh");
  WriteCustomer(files, kRoot, 4, customer);
  WriteDelayedOrder(
      files, kRoot,
      OrderHeader{"207-555-0123", " 4", "Bartholomew Featherstonehaugh", "DS90", "12/24/2026",
                  "6:00 PM"},
      {LongOrderRow(2, "Double Bacon Burger",
                    "DOUBLE BACON CHEESEBURGER WITH AGED CHEDDAR, CARAMELIZED ONIONS AND "
                    "SWEET POTATO FRIES",
                    4),
       Modifier("NO PICKLES, NO TOMATO, EXTRA MAYONNAISE ON THE SIDE PLEASE"),
       Modifier("{{ ALLERGY: SEVERE PEANUT AND TREE NUT ALLERGY - CLEAN GRILL AND GLOVES }}"),
       LongOrderRow(1, "Platter", "SUPERCALIFRAGILISTICEXPIALIDOCIOUSPLATTERWITHEVERYTHING", 0),
       LongOrderRow(1, "Creme brulee",
                    "CR\xC8ME BR\xDBL\xC9"
                    "E WITH RASPBERRIES AND CHANTILLY CREAM",
                    0),
       LongOrderRow(3, "Sparkling Lemonade", "SPARKLING LEMONADE", 1)});
}

// Every document the station prints for the demo orders and the long order,
// and the pre-print of an order that is not due yet, with the tickets' size
// step (configuration field 23) at `size_step`.
const std::vector<Document>& PrintedDocuments(const std::string& size_step) {
  static std::map<std::string, std::vector<Document>> printed;
  if (printed.count(size_step)) return printed[size_step];
  testing::TestStation t({"KITCHEN1 TM-U220", "KITCHEN2 TM-U220", "BAR TM-T88", "GRILL TM-T20",
                          "PIZZA TM-T20", "OFFICE"});
  t.clock.Set(DateTime{Date{2026, 12, 25}, 18 * 3600 + 30 * 60});
  InitStation(t.files, kRoot, ExistingFile::kReplaceKeepingACopy, t.clock.Now());
  StationConfig config(t.Read(kConfigFile));
  config.Set(ConfigField::TicketSizeStep, size_step);
  t.Write(kConfigFile, config.bytes());
  WriteDemoOrders(t.files, kRoot, t.clock.Now());
  WriteLongOrder(t.files);
  t.Write(kRoot + "data\\RED.DAT", "");  // the instructions print red
  KORVdelayedSend1 window(t.station, t.platform, "test");
  window.Form_Load();
  window.Timer1_Timer();
  window.MList1.RowClick(0);
  window.SSCommand7.Click();
  return printed[size_step] = t.printed;
}

// What a stretch of ticket between two cuts shows: its non-blank characters
// in order (a run of a rule character counted once, as its length is the
// paper's), and the same of its red and its bold lines.
struct Shown {
  std::string text, red, bold;
  std::vector<std::string> words;  // every word, in order
};

std::string Visible(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == ' ') continue;
    if (!out.empty() && out.back() == c && kRuleCharacters.find(c) != std::string::npos) continue;
    out += c;
  }
  return out;
}

std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  for (char c : text + ' ') {
    if (c != ' ') {
      word += c;
    } else if (!word.empty()) {
      words.push_back(std::move(word));
      word.clear();
    }
  }
  return words;
}

// The stretches of a printer's lines, one more than it has cuts.
template <typename Line, typename View>
std::vector<Shown> Stretches(const std::vector<Line>& lines, View view) {
  std::vector<Shown> shown(1);
  for (const Line& line : lines) {
    auto [cut, text, red, bold] = view(line);
    if (cut) {
      shown.emplace_back();
      continue;
    }
    shown.back().text += text + ' ';
    if (red) shown.back().red += text + ' ';
    if (bold) shown.back().bold += text + ' ';
    for (std::string& w : Words(text)) shown.back().words.push_back(std::move(w));
  }
  for (Shown& s : shown) {
    s.text = Visible(s.text);
    s.red = Visible(s.red);
    s.bold = Visible(s.bold);
  }
  return shown;
}

struct View {
  bool cut;
  std::string text;
  bool red, bold;
};

// True when `words` holds every one of `wanted`, whole and in order.
bool HoldsInOrder(const std::vector<std::string>& words, const std::vector<std::string>& wanted) {
  size_t at = 0;
  for (const std::string& w : words)
    if (at < wanted.size() && w == wanted[at]) ++at;
  return at == wanted.size();
}

// Paper columns, and the size step: 5 prints items at the normal size, 20 at
// double width and height.
class TicketsOnPaper : public ::testing::TestWithParam<std::tuple<int, std::string>> {};

TEST_P(TicketsOnPaper, FitTheColumnsAndKeepEveryWordRedBoldAndTheCut) {
  const auto& [columns, size_step] = GetParam();
  std::map<std::string, std::vector<const Document*>> by_printer;
  for (const Document& doc : PrintedDocuments(size_step)) by_printer[doc.printer].push_back(&doc);
  ASSERT_EQ(by_printer.size(), 6u) << "kitchen, copy, bar, two stations and the pre-print";

  for (const auto& [printer, docs] : by_printer) {
    SCOPED_TRACE(printer);
    std::string bytes;
    std::vector<PrintedLine> sent;
    for (const Document* doc : docs) {
      bytes += RenderEscPos(*doc, {.red_ribbon = true, .columns = columns});
      sent.insert(sent.end(), doc->lines.begin(), doc->lines.end());
    }
    std::vector<TicketLine> paper = ReadEscPos(bytes);

    for (const TicketLine& line : paper)
      EXPECT_LE(static_cast<int>(line.text.size()) * line.width, columns)
          << "\"" << line.text << "\" at width " << line.width;

    std::vector<Shown> want = Stretches(sent, [](const PrintedLine& l) {
      return View{IsPaperCut(l), l.Text(), l.color == kRed, l.bold};
    });
    std::vector<Shown> got = Stretches(paper, [](const TicketLine& l) {
      return View{l.cut, l.text, l.red, l.bold};
    });
    ASSERT_EQ(got.size(), want.size()) << "every cut, and each after its ticket";
    for (size_t i = 0; i < want.size(); ++i) {
      EXPECT_EQ(got[i].text, want[i].text) << "every character, in order";
      EXPECT_EQ(got[i].red, want[i].red);
      EXPECT_EQ(got[i].bold, want[i].bold);
    }

    // A word that fits a continuation line is never cut: it wraps whole.
    std::vector<std::string> whole;
    size_t stretch = 0;
    for (const PrintedLine& line : sent) {
      if (IsPaperCut(line)) {
        EXPECT_TRUE(HoldsInOrder(got[stretch++].words, whole)) << "stretch " << stretch;
        whole.clear();
        continue;
      }
      size_t room = columns / CharacterWidth(EscPosCharacterSize(line.size)) / 2;
      for (const std::string& word : Words(line.Text()))
        if (word.size() <= room && Visible(word).size() == word.size()) whole.push_back(word);
    }
    EXPECT_TRUE(HoldsInOrder(got[stretch].words, whole));
  }
}

INSTANTIATE_TEST_SUITE_P(Paper, TicketsOnPaper,
                         ::testing::Combine(::testing::Values(48, 42, 32),
                                            ::testing::Values("5", "20")));

}  // namespace
}  // namespace korv
