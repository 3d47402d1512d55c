#include "platform/print/escpos_renderer.h"

#include "platform/print/control_font.h"

namespace korv {
namespace {

constexpr char kEsc = 0x1B;
constexpr char kGs = 0x1D;
constexpr char kLf = 0x0A;
constexpr char kCodePage1252 = 16;

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

void PrintText(std::string& out, PrinterState& state, const PrintedLine& line, bool red) {
  if (line.bold != state.bold) {
    state.bold = line.bold;
    Command(out, kEsc, 'E', state.bold ? 1 : 0);
  }
  unsigned char size = EscPosCharacterSize(line.size);
  if (size != state.size) {
    state.size = size;
    Command(out, kGs, '!', static_cast<char>(size));
  }
  if (red) Command(out, kEsc, 'r', 1);
  out += line.Text();
  out += kLf;
  if (red) Command(out, kEsc, 'r', 0);
}

void PaperCut(std::string& out) {
  out += kGs;
  out += 'V';
  out += 'B';  // 66: feed to the cutter, then cut
  out += '\0';
}

}  // namespace

unsigned char EscPosCharacterSize(double points) {
  if (points <= 12) return 0x00;
  if (points <= 20) return 0x01;
  if (points <= 30) return 0x11;
  return 0x22;
}

std::string RenderEscPos(const Document& doc, bool red_ribbon) {
  std::string out;
  out += kEsc;
  out += '@';
  Command(out, kEsc, 't', kCodePage1252);
  PrinterState state;
  for (const PrintedLine& line : doc.lines) {
    if (IsPaperCut(line)) {
      PaperCut(out);
    } else if (IsControlLine(line)) {
      continue;
    } else if (line.Text().empty()) {
      out += kLf;
    } else {
      PrintText(out, state, line, red_ribbon && line.color == kRed);
    }
  }
  return out;
}

}  // namespace korv
