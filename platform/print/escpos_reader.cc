#include "platform/print/escpos_reader.h"

#include "platform/print/code_page.h"

namespace korv {
namespace {

constexpr char kEsc = 0x1B;
constexpr char kGs = 0x1D;
constexpr char kLf = 0x0A;

// Reads one ESC/POS stream; `line` collects the text and style of the line
// the next LF prints.
class Reader {
 public:
  explicit Reader(std::string_view bytes) : bytes_(bytes) {}

  std::vector<TicketLine> Read() {
    while (pos_ < bytes_.size()) {
      char c = bytes_[pos_++];
      if (c == kEsc) {
        Esc();
      } else if (c == kGs) {
        Gs();
      } else if (c == kLf) {
        Feed();
      } else if (c != '\r') {
        line_.text += DecodeFromCodePage(std::string_view(&c, 1), page_);
      }
    }
    if (!line_.text.empty()) Feed();
    return std::move(lines_);
  }

 private:
  // The command's parameter byte; false (and the end reached) when missing.
  bool Param(unsigned char& n) {
    if (pos_ >= bytes_.size()) return false;
    n = static_cast<unsigned char>(bytes_[pos_++]);
    return true;
  }

  void Esc() {
    if (pos_ >= bytes_.size()) return;
    char code = bytes_[pos_++];
    if (code == '@') {
      line_ = TicketLine{.text = std::move(line_.text)};
      page_ = CodePage::k1252;
      return;
    }
    unsigned char n = 0;
    if (!Param(n)) return;
    if (code == 't') page_ = CodePageOfEscPosTable(n).value_or(CodePage::k1252);
    if (code == 'E') line_.bold = n & 1;
    if (code == 'r') line_.red = n & 1;
    if (code == '!') {
      line_.bold = n & 0x08;
      line_.height = n & 0x10 ? 2 : 1;
      line_.width = n & 0x20 ? 2 : 1;
    }
    if (code == 'd')
      for (unsigned char i = 0; i < n; ++i) Feed();
  }

  void Gs() {
    if (pos_ >= bytes_.size()) return;
    char code = bytes_[pos_++];
    unsigned char n = 0;
    if (!Param(n)) return;
    if (code == '!') {
      line_.width = ((n >> 4) & 7) + 1;
      line_.height = (n & 7) + 1;
    } else if (code == 'V') {
      // Modes 65, 66, 97 and 98 feed the paper first and take a feed count.
      if ((n == 65 || n == 66 || n == 97 || n == 98) && !Param(n)) return;
      if (!line_.text.empty()) Feed();
      lines_.push_back(PaperCutLine());
    }
  }

  void Feed() {
    lines_.push_back(line_);
    line_.text.clear();
  }

  std::string_view bytes_;
  size_t pos_ = 0;
  TicketLine line_;
  CodePage page_ = CodePage::k1252;
  std::vector<TicketLine> lines_;
};

}  // namespace

bool LooksLikeEscPos(std::string_view bytes) {
  return bytes.size() >= 2 && bytes[0] == kEsc && bytes[1] == '@' &&
         bytes.find("\r\n") == std::string_view::npos;
}

std::vector<TicketLine> ReadEscPos(std::string_view bytes) { return Reader(bytes).Read(); }

std::vector<TicketLine> ReadTicketText(std::string_view text) {
  std::vector<TicketLine> lines;
  while (!text.empty()) {
    size_t end = text.find(kLf);
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line == "[cut]") {
      lines.push_back(PaperCutLine());
    } else {
      lines.push_back(TicketLine{.text = BlankControlCharacters(std::string(line))});
    }
  }
  return lines;
}

std::vector<TicketLine> ReadTicket(std::string_view bytes) {
  return LooksLikeEscPos(bytes) ? ReadEscPos(bytes) : ReadTicketText(bytes);
}

}  // namespace korv
