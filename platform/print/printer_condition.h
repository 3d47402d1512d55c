#pragma once
// What a ticket printer says of itself: ESC/POS real-time status for a
// network or device printer, the queue's state and reasons for a CUPS queue.
// A printer with no paper, its cover open or switched offline prints
// nothing it is sent (at best it keeps the bytes in its buffer, at worst it
// drops them), so its tickets are held for it instead; paper near its end is
// only worth a warning.

#include <cstdint>
#include <string>
#include <string_view>

namespace korv {

enum class PrinterCondition {
  kUnknown,  // not asked, or no answer: printed to as if ready
  kReady,
  kPaperNearEnd,
  kPaperEnd,
  kCoverOpen,
  kOffline,
};

// "ready", "no paper", "paper near its end", "cover open", "offline",
// "status unknown".
const char* ConditionText(PrinterCondition condition);
// The printer gets no ticket while it reports this.
bool HoldsTickets(PrinterCondition condition);
// A ticket printed just before the printer reported this may not have come
// out whole (the paper ran out or the cover opened under it).
bool MayHaveSpoiled(PrinterCondition condition);

// DLE EOT 1 (printer), DLE EOT 2 (offline cause), DLE EOT 4 (paper sensor),
// sent together; each answer is one byte.
inline constexpr std::string_view kStatusQuery{"\x10\x04\x01\x10\x04\x02\x10\x04\x04", 9};
inline constexpr size_t kStatusAnswers = 3;

// Whether a byte from the printer is an answer to DLE EOT: bits 1 and 4 set,
// bits 0 and 7 clear. Automatic status frames and echoes are not.
inline bool IsStatusAnswer(uint8_t byte) { return (byte & 0x93) == 0x12; }

// The condition the three answers tell; paper and cover outrank offline,
// which a printer also reports because of them.
PrinterCondition DecodeStatus(uint8_t printer, uint8_t offline_cause, uint8_t paper);

// The answers' bytes in `from` (others dropped) appended to `answers` until
// it holds kStatusAnswers.
void TakeStatusAnswers(std::string_view from, std::string* answers);
// kUnknown unless answers holds kStatusAnswers bytes.
PrinterCondition DecodeAnswers(const std::string& answers);

// A CUPS queue's condition from its printer-state (3 idle, 4 processing, 5
// stopped) and printer-state-reasons (comma separated, each maybe ending in
// -error, -warning or -report).
PrinterCondition CupsCondition(int printer_state, std::string_view reasons);

}  // namespace korv
