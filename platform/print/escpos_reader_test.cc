#include "platform/print/escpos_reader.h"

#include <gtest/gtest.h>

#include "platform/print/control_font.h"
#include "platform/print/escpos_renderer.h"

namespace korv {
namespace {

PrintedLine Line(std::string text, double size = 10, bool bold = false, Color color = kBlack) {
  PrintedLine line;
  line.items = {std::move(text)};
  line.size = size;
  line.bold = bold;
  line.color = color;
  return line;
}

TEST(EscPosReader, ReadsBackWhatTheRendererWrites) {
  PrintedLine cut = Line("P");
  cut.font = kControlFont;
  Document doc{"KITCHEN1",
               {Line("Table 5"), Line("ORDER", 25, true), Line("12", 40, true, kRed), Line(""),
                Line("2 Caf\xe9", 15), cut, Line("next")}};
  std::vector<TicketLine> want = {
      {.text = "Table 5"},
      {.text = "ORDER", .bold = true, .width = 2, .height = 2},
      {.text = "12", .bold = true, .width = 3, .height = 3, .red = true},
      {.text = "", .bold = true, .width = 3, .height = 3},
      {.text = "2 Caf\xe9", .bold = false, .width = 1, .height = 2},
      PaperCutLine(),
      {.text = "next"},
  };
  EXPECT_EQ(ReadTicket(RenderEscPos(doc, {.red_ribbon = true})), want);
  // Without a red ribbon the job carries no red.
  want[2].red = false;
  EXPECT_EQ(ReadTicket(RenderEscPos(doc, {})), want);
}

TEST(EscPosReader, ToleratesOddStreamsAndReadsText) {
  // A cut without feed, text left without LF, a command cut short.
  EXPECT_EQ(ReadEscPos("\x1b@a\n\x1dV\x01tail\x1b"),
            (std::vector<TicketLine>{{.text = "a"}, PaperCutLine(), {.text = "tail"}}));
  EXPECT_EQ(ReadTicket("Table 5\r\n[cut]\r\nx\n"),
            (std::vector<TicketLine>{{.text = "Table 5"}, PaperCutLine(), {.text = "x"}}));
  // A captured ticket whose text held an ESC, a GS or a tab (a damaged
  // order file) is still text, each control byte the blank it printed as.
  EXPECT_EQ(ReadTicket("\x1b@KITCHEN\r\nNO\tON\x1b"
                       "ION\r\n\x1dV\r\n[cut]\r\n"),
            (std::vector<TicketLine>{
                {.text = " @KITCHEN"}, {.text = "NO ON ION"}, {.text = " V"}, PaperCutLine()}));
}

}  // namespace
}  // namespace korv
