#include "platform/print/escpos_renderer.h"

#include <vector>

#include "platform/print/character_size.h"
#include "platform/print/control_font.h"
#include "platform/print/escpos_reader.h"

namespace korv {
namespace {

constexpr char kEsc = 0x1B;
constexpr char kGs = 0x1D;
constexpr char kLf = 0x0A;

// What the printer is set to since the last ESC @.
struct PrinterState {
  bool bold = false;
  unsigned char size = 0;
};

void Command(std::string& out, char prefix, char code, char n) {
  out += prefix;
  out += code;
  out += n;
}

// The document's lines as the printer is to print them, before fitting.
std::vector<TicketLine> PrintableLines(const Document& doc, const EscPosPrinter& printer) {
  std::vector<TicketLine> lines;
  for (const PrintedLine& line : doc.lines) {
    if (IsPaperCut(line)) {
      lines.push_back(PaperCutLine());
    } else if (!IsControlLine(line)) {
      unsigned char size = EscPosCharacterSize(line.size);
      lines.push_back(
          {.text = PlainForCodePage(BlankControlCharacters(line.Text()), printer.code_page),
           .bold = line.bold,
           .width = CharacterWidth(size),
           .height = CharacterHeight(size),
           .red = printer.red_ribbon && line.color == kRed});
    }
  }
  return lines;
}

void PrintText(std::string& out, PrinterState& state, const TicketLine& line, CodePage page) {
  if (line.bold != state.bold) {
    state.bold = line.bold;
    Command(out, kEsc, 'E', state.bold ? 1 : 0);
  }
  unsigned char size = CharacterSizeOf(line.width, line.height);
  if (size != state.size) {
    state.size = size;
    Command(out, kGs, '!', static_cast<char>(size));
  }
  if (line.red) Command(out, kEsc, 'r', 1);
  out += EncodeForCodePage(line.text, page);
  out += kLf;
  if (line.red) Command(out, kEsc, 'r', 0);
}

void PaperCut(std::string& out) {
  out += kGs;
  out += 'V';
  out += 'B';  // 66: feed to the cutter, then cut
  out += '\0';
}

}  // namespace

std::string RenderEscPos(const Document& doc, const EscPosPrinter& printer) {
  std::string out;
  out += kEsc;
  out += '@';
  Command(out, kEsc, 't', static_cast<char>(EscPosCodeTable(printer.code_page)));
  PrinterState state;
  for (const TicketLine& line : FitToPaper(PrintableLines(doc, printer), printer.columns)) {
    if (line.cut) {
      PaperCut(out);
    } else if (line.text.empty()) {
      out += kLf;
    } else {
      PrintText(out, state, line, printer.code_page);
    }
  }
  return out;
}

}  // namespace korv
