#include "platform/print/paper_fit.h"

#include <gtest/gtest.h>

namespace korv {
namespace {

TicketLine Text(std::string text, int size = 1, bool bold = false, bool red = false) {
  return {.text = std::move(text), .bold = bold, .width = size, .height = size, .red = red};
}

struct Case {
  const char* what;
  TicketLine line;
  int columns;
  std::vector<std::string> want;
  int want_width = 0;  // 0: the line's own
};

TEST(PaperFit, LinesFitTheirColumnsAtTheirSize) {
  const std::string rule(57, '_');
  const std::string padding(27, ' ');
  const Case cases[] = {
      {"a rule is cut to the width", Text(rule), 48, {std::string(48, '_')}},
      {"at any width", Text(rule, 2), 32, {std::string(16, '_')}},
      {"padding is not sent",
       Text(" 2   CHEESEBURGER MED" + padding),
       48,
       {" 2   CHEESEBURGER MED"}},
      {"an item wraps under its name",
       Text(" 1   DOUBLE BACON CHEESEBURGER WITH CHEDDAR AND EXTRA PICKLES" + padding, 1, true),
       32,
       {" 1   DOUBLE BACON CHEESEBURGER", "     WITH CHEDDAR AND EXTRA", "     PICKLES"}},
      {"a modifier under its text",
       Text("*    NO ONIONS, NO TOMATO, EXTRA MAYO ON THE SIDE"),
       32,
       {"*    NO ONIONS, NO TOMATO, EXTRA", "     MAYO ON THE SIDE"}},
      {"other text under its first character",
       Text("  Margaret Hale-Fitzgerald of Cape Elizabeth"),
       32,
       {"  Margaret Hale-Fitzgerald of", "  Cape Elizabeth"}},
      {"a word longer than the line is cut, not dropped",
       Text(" 1   SUPERCALIFRAGILISTICEXPIALIDOCIOUSBURGER"),
       32,
       {" 1   SUPERCALIFRAGILISTICEXPIALI", "     DOCIOUSBURGER"}},
      {"a rule beside text gives way first",
       Text(std::string(25, '.') + " END Order K-17"),
       32,
       {std::string(17, '.') + " END Order K-17"}},
      {"a heading that fits keeps its size", Text("K-17", 3), 32, {"K-17"}},
      {"a heading steps down when a word would not fit",
       Text("CHEESEBURGERS", 3),
       32,
       {"CHEESEBURGERS"},
       2},
      {"as far as it must", Text("HALE-DELGADO-OKAFOR", 3), 32, {"HALE-DELGADO-OKAFOR"}, 1},
      {"red and bold on every part",
       Text("*    {{ ALLERGY: NUTS AND SHELLFISH }}", 2, true, true),
       32,
       {"*    {{ ALLERGY:", "     NUTS AND", "     SHELLFISH", "     }}"}},
      {"a narrow line keeps no indent it has no room for",
       Text("*    {{ NUTS }}", 3),
       24,
       {"*    {{", "NUTS }}"}},
      {"an empty line stays", Text("", 3), 32, {""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<TicketLine> got = FitLine(c.line, c.columns);
    std::vector<std::string> texts;
    for (const TicketLine& part : got) {
      texts.push_back(part.text);
      EXPECT_EQ(part.width, c.want_width ? c.want_width : c.line.width);
      EXPECT_EQ(part.bold, c.line.bold);
      EXPECT_EQ(part.red, c.line.red);
    }
    EXPECT_EQ(texts, c.want);
    EXPECT_EQ(FitToPaper(got, c.columns), got) << "a fitted line fits as it is";
  }
}

TEST(PaperFit, TheCutStaysAndDocumentsKeepTheirStyles) {
  std::vector<TicketLine> ticket = {Text("KITCHEN"), PaperCutLine()};
  EXPECT_EQ(FitToPaper(ticket, 32), ticket);

  Document doc{"KITCHEN1", {}};
  doc.lines.push_back(PrintedLine{
      {"DELAYED order for ", "Margaret Hale-Fitzgerald"}, "Arial", 8, false, true, kRed});
  doc.lines.push_back(PrintedLine{{"CHEESEBURGERS"}, "Arial", 40, true, false, kBlack});
  doc.lines.push_back(PrintedLine{{"P"}, "control", 10, false, false, kBlack});
  Document fitted = FitDocument(doc, 32);
  ASSERT_EQ(fitted.lines.size(), 4u);
  EXPECT_EQ(fitted.lines[0].Text(), "DELAYED order for Margaret");
  EXPECT_EQ(fitted.lines[1].Text(), "Hale-Fitzgerald");
  for (int i : {0, 1}) {
    EXPECT_TRUE(fitted.lines[i].italic);
    EXPECT_EQ(fitted.lines[i].color, kRed);
    EXPECT_EQ(fitted.lines[i].size, 8) << "a line that needs no step keeps its points";
  }
  EXPECT_EQ(fitted.lines[2].size, 25) << "the heading one step down, double size";
  EXPECT_TRUE(fitted.lines[2].bold);
  EXPECT_EQ(fitted.lines[3].font, "control");

  // A tab or an ESC from a damaged order file is the blank the printer
  // prints: one column, and a place to wrap rather than a word to cut.
  doc.lines = {
      PrintedLine{{" 2   CHEESEBURGER\tMEDIUM\x1bWELL"}, "Arial", 10, true, false, kBlack}};
  fitted = FitDocument(doc, 20);
  ASSERT_EQ(fitted.lines.size(), 2u);
  EXPECT_EQ(fitted.lines[0].Text(), " 2   CHEESEBURGER");
  EXPECT_EQ(fitted.lines[1].Text(), "     MEDIUM WELL");
}

}  // namespace
}  // namespace korv
