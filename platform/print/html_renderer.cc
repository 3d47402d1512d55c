#include "platform/print/html_renderer.h"

#include <cctype>
#include <cstdio>

#include "common/val.h"
#include "platform/print/control_font.h"

namespace korv {
namespace {

constexpr const char* kHead =
    "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"windows-1252\">\n<title>";
constexpr const char* kStyle =
    "</title>\n<style>\n"
    "body { background: #fff; color: #000; }\n"
    ".ticket { display: inline-block; padding: 1em; border: 1px solid #ccc; }\n"
    ".ticket div { white-space: pre; min-height: 1em; }\n"
    ".ticket div.cut { border-top: 1px dashed #888; color: #888; font: 8pt monospace; }\n"
    "</style>\n</head>\n<body>\n<div class=\"ticket\">\n";
constexpr const char* kTail = "</div>\n</body>\n</html>\n";

std::string Escape(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// Only characters that cannot end the CSS string or the attribute.
std::string SafeFontName(const std::string& name) {
  std::string out;
  for (char c : name) {
    if (isalnum(static_cast<unsigned char>(c)) || c == ' ' || c == '-' || c == '_') out += c;
  }
  return out;
}

// "#rrggbb" for an RGB value; empty for a system colour.
std::string CssColor(Color c) {
  if (c < 0 || c > 0xFFFFFF) return {};
  char buf[8];
  snprintf(buf, sizeof buf, "#%02x%02x%02x", static_cast<int>(c & 0xFF),
           static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF));
  return buf;
}

std::string LineStyle(const PrintedLine& line) {
  std::string style = "font-family: '" + SafeFontName(line.font) +
                      "'; font-size: " + PlainNumber(line.size) + "pt;";
  if (line.bold) style += " font-weight: bold;";
  if (line.italic) style += " font-style: italic;";
  if (std::string color = CssColor(line.color); !color.empty()) style += " color: " + color + ";";
  return style;
}

std::string RenderLine(const PrintedLine& line) {
  if (IsPaperCut(line)) return "<div class=\"cut\">cut</div>\n";
  if (IsControlLine(line)) return "<div class=\"cut\">control " + Escape(line.Text()) + "</div>\n";
  return "<div style=\"" + LineStyle(line) + "\">" + Escape(line.Text()) + "</div>\n";
}

std::string RenderLines(const Document& doc) {
  std::string out;
  for (const PrintedLine& line : doc.lines) out += RenderLine(line);
  return out;
}

}  // namespace

std::string RenderHtml(const Document& doc) {
  return kHead + Escape(doc.printer) + kStyle + RenderLines(doc) + kTail;
}

std::string WithLinesAdded(const std::string& page, const Document& more) {
  const std::string lines = RenderLines(more);
  if (!page.ends_with(kTail) || page.ends_with(lines + kTail)) return page;
  return page.substr(0, page.size() - std::string(kTail).size()) + lines + kTail;
}

}  // namespace korv
