#include "platform/print/printer_condition.h"

namespace korv {

const char* ConditionText(PrinterCondition condition) {
  switch (condition) {
    case PrinterCondition::kReady:
      return "ready";
    case PrinterCondition::kPaperNearEnd:
      return "paper near its end";
    case PrinterCondition::kPaperEnd:
      return "no paper";
    case PrinterCondition::kCoverOpen:
      return "cover open";
    case PrinterCondition::kOffline:
      return "offline";
    case PrinterCondition::kUnknown:
      break;
  }
  return "status unknown";
}

bool HoldsTickets(PrinterCondition condition) {
  return condition == PrinterCondition::kPaperEnd || condition == PrinterCondition::kCoverOpen ||
         condition == PrinterCondition::kOffline;
}

bool MayHaveSpoiled(PrinterCondition condition) {
  return condition == PrinterCondition::kPaperEnd || condition == PrinterCondition::kCoverOpen;
}

PrinterCondition DecodeStatus(uint8_t printer, uint8_t offline_cause, uint8_t paper) {
  if ((paper & 0x60) == 0x60 || (offline_cause & 0x20)) return PrinterCondition::kPaperEnd;
  if (offline_cause & 0x04) return PrinterCondition::kCoverOpen;
  if (printer & 0x08) return PrinterCondition::kOffline;
  if ((paper & 0x0C) == 0x0C) return PrinterCondition::kPaperNearEnd;
  return PrinterCondition::kReady;
}

void TakeStatusAnswers(std::string_view from, std::string* answers) {
  for (char c : from) {
    if (answers->size() >= kStatusAnswers) return;
    if (IsStatusAnswer(static_cast<uint8_t>(c))) answers->push_back(c);
  }
}

PrinterCondition DecodeAnswers(const std::string& answers) {
  if (answers.size() < kStatusAnswers) return PrinterCondition::kUnknown;
  auto byte = [&](size_t i) { return static_cast<uint8_t>(answers[i]); };
  return DecodeStatus(byte(0), byte(1), byte(2));
}

namespace {

bool HasReason(std::string_view reasons, std::string_view stem) {
  size_t at = 0;
  while (at <= reasons.size()) {
    size_t end = reasons.find(',', at);
    std::string_view reason = reasons.substr(at, end == std::string_view::npos ? end : end - at);
    while (!reason.empty() && reason.front() == ' ') reason.remove_prefix(1);
    if (reason.substr(0, stem.size()) == stem &&
        (reason.size() == stem.size() || reason[stem.size()] == '-'))
      return true;
    if (end == std::string_view::npos) break;
    at = end + 1;
  }
  return false;
}

}  // namespace

PrinterCondition CupsCondition(int printer_state, std::string_view reasons) {
  if (HasReason(reasons, "media-empty") || HasReason(reasons, "media-needed"))
    return PrinterCondition::kPaperEnd;
  if (HasReason(reasons, "cover-open") || HasReason(reasons, "door-open"))
    return PrinterCondition::kCoverOpen;
  if (printer_state == 5 || HasReason(reasons, "offline") || HasReason(reasons, "shutdown"))
    return PrinterCondition::kOffline;
  if (HasReason(reasons, "media-low")) return PrinterCondition::kPaperNearEnd;
  return printer_state == 3 || printer_state == 4 ? PrinterCondition::kReady
                                                  : PrinterCondition::kUnknown;
}

}  // namespace korv
