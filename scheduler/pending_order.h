#pragma once
// One pending delayed order as the dispatch pass keeps it: read once from
// its header file, and from then on the pass's worklist. The window's
// pending list MList1 and hidden list List1 only show these rows; nothing
// reads them back.

#include <optional>
#include <string>

#include "common/date_time.h"
#include "platform/files/change_stamp.h"
#include "scheduler/orderfiles/header_file.h"

namespace korv {

struct PendingOrder {
  std::string file_name;     // the header's name as the folder lists it ("DS5.PH")
  std::string id;            // the order id, trimmed (header field 4)
  OrderHeader header;        // the six fields as stored
  std::string date_ordered;  // the header file's last change, "MM/DD/YYYY"
  // The header file as it was read: once its stamp no longer holds, another
  // station may have rewritten it, and it is read again.
  ChangeStamp stamp;
  // The send date and time read from the header's text; none when the text
  // is no date (or no time). A send moment is never guessed.
  std::optional<Date> send_day;
  std::optional<int> send_seconds;
};

// The row of a header file named file_name, read under the given stamp, its
// send date read with the station's order of day and month.
PendingOrder MakePendingOrder(std::string file_name, OrderHeader header, const ChangeStamp& read,
                              DateOrder date_order);

// True when the header's order id, trimmed and in any letter case, is the
// base name of its own file ("DS5" in DS5.PH). The file is the order: a header
// naming another order is never sent, so that order's files are never touched.
bool NamesItsOwnFile(const std::string& order_id, const std::string& file_name);

// The row's text in MList1's six columns: "<id> - <customer>", date ordered,
// date to send, its weekday (blank when the date cannot be read), time to
// send and customer number, the header's texts as stored.
std::string PendingRowText(const PendingOrder& order);

// The "Customer" column: the trimmed order id, " - " and the trimmed name.
std::string CustomerColumn(const PendingOrder& order);

// What keeps a row from being judged: "send date <text>" or "send time
// <text>"; empty when both can be read.
std::string UnreadableSendMoment(const PendingOrder& order);

// True when the send day is before today, or is today at a time of day at or
// before now (the very minute counts). False for a moment that cannot be read.
bool IsDueAt(const PendingOrder& order, const DateTime& now);

}  // namespace korv
