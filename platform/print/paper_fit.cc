#include "platform/print/paper_fit.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "platform/print/character_size.h"
#include "platform/print/code_page.h"
#include "platform/print/control_font.h"

namespace korv {
namespace {

constexpr std::string_view kRuleCharacters = "_=-.*~";
constexpr size_t kRuleRun = 4;         // this many of one rule character make a rule
constexpr size_t kRuleBesideText = 3;  // what a rule beside text keeps at least

struct Run {
  size_t start;
  size_t length;
};

std::string_view TrimEnd(std::string_view text) {
  size_t end = text.find_last_not_of(' ');
  return end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1);
}

std::vector<Run> RuleRuns(std::string_view text) {
  std::vector<Run> runs;
  for (size_t i = 0, j = 0; i < text.size(); i = j) {
    while (j < text.size() && text[j] == text[i]) ++j;
    if (j - i >= kRuleRun && kRuleCharacters.find(text[i]) != std::string_view::npos)
      runs.push_back({i, j - i});
  }
  return runs;
}

// Shortens the rules of text, the first first, until it is no longer than
// width or they are as short as they may be.
std::string ShortenRules(std::string text, size_t width) {
  std::vector<Run> runs = RuleRuns(text);
  if (text.size() <= width || runs.empty()) return text;
  size_t in_rules = 0;
  for (const Run& run : runs) in_rules += run.length;
  size_t visible = text.size() - std::count(text.begin(), text.end(), ' ');
  size_t keep = visible > in_rules ? kRuleBesideText : 1;
  size_t excess = text.size() - width;
  std::vector<size_t> cut(runs.size());
  for (size_t i = 0; i < runs.size(); ++i) {
    cut[i] = std::min(excess, runs[i].length - keep);
    excess -= cut[i];
  }
  for (size_t i = runs.size(); i-- > 0;) text.erase(runs[i].start, cut[i]);
  return text;
}

size_t LongestWord(std::string_view text) {
  size_t longest = 0;
  for (size_t i = 0; i < text.size();) {
    size_t end = std::min(text.find(' ', i), text.size());
    longest = std::max(longest, end - i);
    i = end + 1;
  }
  return longest;
}

// A quantity ("2", "1.5") or a modifier's "*" in front of a line's text.
bool IsLeadingMark(std::string_view word) {
  if (word.find_first_not_of('*') == std::string_view::npos) return true;
  return word.find_first_not_of("0123456789.") == std::string_view::npos &&
         word.find_first_of("0123456789") != std::string_view::npos;
}

// The column a continuation of text starts in.
size_t HangingIndent(std::string_view text) {
  size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return 0;
  size_t gap = text.find(' ', first);
  if (gap == std::string_view::npos || !IsLeadingMark(text.substr(first, gap - first)))
    return first;
  return text.find_first_not_of(' ', gap);
}

// text (ending in no blank) as lines of at most width characters.
std::vector<std::string> Wrap(std::string_view text, size_t width) {
  size_t indent = HangingIndent(text);
  if (indent * 2 > width) indent = 0;
  std::vector<std::string> lines;
  std::string prefix;
  size_t limit = width;
  size_t first_break = indent + 1;  // a break leaves text after the indent
  while (text.size() > limit) {
    size_t at = text.rfind(' ', limit);
    size_t resume = at;
    if (at == std::string_view::npos || at < first_break) {
      at = resume = limit;  // no blank to break at: the word is cut
    } else {
      resume = text.find_first_not_of(' ', at);
    }
    lines.push_back(prefix + std::string(TrimEnd(text.substr(0, at))));
    text.remove_prefix(resume);
    prefix.assign(indent, ' ');
    limit = width - indent;
    first_break = 1;
  }
  lines.push_back(prefix + std::string(text));
  return lines;
}

size_t ColumnsAt(int columns, unsigned char size) {
  return static_cast<size_t>(std::max(1, columns / CharacterWidth(size)));
}

}  // namespace

std::vector<TicketLine> FitLine(const TicketLine& line, int columns) {
  if (line.cut) return {line};
  std::string_view text = TrimEnd(line.text);
  unsigned char size = CharacterSizeOf(line.width, line.height);
  std::string fitted = ShortenRules(std::string(text), ColumnsAt(columns, size));
  while (LongestWord(fitted) > ColumnsAt(columns, size) && NarrowerCharacterSize(size) != size) {
    size = NarrowerCharacterSize(size);
    fitted = ShortenRules(std::string(text), ColumnsAt(columns, size));
  }
  std::vector<TicketLine> parts;
  for (std::string& part : Wrap(fitted, ColumnsAt(columns, size))) {
    TicketLine paper = line;
    paper.text = std::move(part);
    paper.width = CharacterWidth(size);
    paper.height = CharacterHeight(size);
    parts.push_back(std::move(paper));
  }
  return parts;
}

std::vector<TicketLine> FitToPaper(const std::vector<TicketLine>& lines, int columns) {
  std::vector<TicketLine> paper;
  for (const TicketLine& line : lines)
    for (TicketLine& part : FitLine(line, columns)) paper.push_back(std::move(part));
  return paper;
}

Document FitDocument(const Document& doc, int columns) {
  Document fitted{doc.printer, {}};
  for (const PrintedLine& line : doc.lines) {
    if (IsControlLine(line)) {
      fitted.lines.push_back(line);
      continue;
    }
    unsigned char size = EscPosCharacterSize(line.size);
    TicketLine as_printed{.text = BlankControlCharacters(line.Text()),
                          .width = CharacterWidth(size),
                          .height = CharacterHeight(size)};
    for (TicketLine& part : FitLine(as_printed, columns)) {
      PrintedLine paper = line;
      paper.items = {std::move(part.text)};
      if (part.width != as_printed.width)
        paper.size = PointSizeOf(CharacterSizeOf(part.width, part.height));
      fitted.lines.push_back(std::move(paper));
    }
  }
  return fitted;
}

}  // namespace korv
