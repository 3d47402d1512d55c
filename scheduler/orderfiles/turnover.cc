#include "scheduler/orderfiles/turnover.h"

#include "common/date_time.h"
#include "common/order_paths.h"
#include "common/runtime_error.h"

namespace korv {

void DelayedOrderTurnOver::CopyLinesToArchive(const std::string& id) const {
  files_.Copy(DelayedLinesPath(data_root_, id), ArchivedLinesPath(data_root_, id));
}

void DelayedOrderTurnOver::CopyLinesToPhoneOrder(const std::string& id, int n) const {
  std::string from = DelayedLinesPath(data_root_, id);
  std::string to = PhoneOrderLinesPath(data_root_, n);
  // Numbers come round again after 498: the lines of an earlier phone order n
  // must not be sent to the kitchen as this order's, neither when this order
  // has no lines nor when its copy fails (the old file held by a station).
  if (!files_.Exists(from) && files_.Exists(to)) files_.Kill(to);
  try {
    files_.Copy(from, to);
  } catch (const RuntimeError&) {
    if (files_.Exists(from) && files_.Exists(to)) files_.Kill(to);
    throw;
  }
}

void DelayedOrderTurnOver::CopyHeaderToPhoneOrder(const std::string& id, int n) const {
  files_.Copy(DelayedHeaderPath(data_root_, id), PhoneOrderHeaderPath(data_root_, n));
}

void DelayedOrderTurnOver::DeleteDelayedLines(const std::string& id) const {
  std::string path = DelayedLinesPath(data_root_, id);
  if (files_.Exists(path)) files_.Kill(path);
}

void DelayedOrderTurnOver::DeleteDelayedHeader(const std::string& id) const {
  std::string path = DelayedHeaderPath(data_root_, id);
  if (files_.Exists(path)) files_.Kill(path);
}

OrderHeader DelayedOrderTurnOver::RewriteHeaderOrderId(int n) const {
  std::string path = PhoneOrderHeaderPath(data_root_, n);
  OrderHeader header = ReadHeader(files_, path);
  header.order_id = std::to_string(n);
  WriteHeader(files_, path, header);
  return header;
}

void DelayedOrderTurnOver::WriteArchivedHeader(const std::string& id, const OrderHeader& header,
                                               const std::string& note) const {
  WriteHeader(files_, ArchivedHeaderPath(data_root_, id), header, &note);
}

std::string ArchiveNote(const std::string& id, int n, int seconds) {
  return "Delayed Order " + id + " - Sent as " + std::to_string(n) + "  Sent to kitchen at " +
         FormatHHMMAmPm(seconds);
}

}  // namespace korv
