#include "scheduler/pending_order.h"

#include "common/bar_row.h"
#include "common/runtime_error.h"
#include "common/val.h"

namespace korv {
namespace {

template <typename Parse>
auto ParsedOrNone(Parse parse, const std::string& text) -> std::optional<decltype(parse(text))> {
  try {
    return parse(text);
  } catch (const RuntimeError&) {
    return std::nullopt;
  }
}

}  // namespace

PendingOrder MakePendingOrder(std::string file_name, OrderHeader header, const ChangeStamp& read,
                              DateOrder date_order) {
  PendingOrder order;
  order.file_name = std::move(file_name);
  order.id = Trim(header.order_id);
  order.date_ordered = FormatMMDDYYYY(read.ModifiedAt().date);
  order.stamp = read;
  order.send_day = ParsedOrNone([=](const std::string& t) { return ParseDate(t, date_order); },
                                header.send_date);
  order.send_seconds =
      ParsedOrNone([](const std::string& t) { return ParseTime(t); }, header.send_time);
  order.header = std::move(header);
  return order;
}

bool NamesItsOwnFile(const std::string& order_id, const std::string& file_name) {
  return EqualsNoCase(Trim(order_id), file_name.substr(0, file_name.rfind('.')));
}

std::string CustomerColumn(const PendingOrder& order) {
  return order.id + " - " + Trim(order.header.customer_name);
}

std::string PendingRowText(const PendingOrder& order) {
  const OrderHeader& h = order.header;
  return JoinBarRow({CustomerColumn(order), order.date_ordered, h.send_date,
                     order.send_day ? FormatWeekdayName(*order.send_day) : "", h.send_time,
                     h.customer_number});
}

std::string UnreadableSendMoment(const PendingOrder& order) {
  if (!order.send_day) return "send date " + order.header.send_date;
  if (!order.send_seconds) return "send time " + order.header.send_time;
  return "";
}

bool IsDueAt(const PendingOrder& order, const DateTime& now) {
  if (!order.send_day || !order.send_seconds) return false;
  const long day = order.send_day->Serial();
  const long today = now.date.Serial();
  return day < today || (day == today && *order.send_seconds <= now.seconds);
}

}  // namespace korv
