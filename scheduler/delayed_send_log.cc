#include "scheduler/delayed_send_log.h"

#include <algorithm>
#include <system_error>
#include <utility>

#include "common/quoted_list.h"
#include "common/runtime_error.h"
#include "common/val.h"
#include "platform/files/open_file_guard.h"

namespace korv {
namespace {

const char kRule[] = " ___________________________________________________";

// "Occured" is the log's own spelling, kept as every station writes it.
std::string OccuredOn(const DateTime& now) {
  return " Occured on " + FormatDayAndDate(now.date) + " at " + FormatHHMMAmPm(now.seconds);
}

}  // namespace

std::vector<std::string> SentLogEntry(const std::string& order_id, int pio_number,
                                      const std::string& customer_name,
                                      const std::string& send_time, const std::string& send_date,
                                      const std::string& pending_count) {
  return {
      "*******************  SENT  ********************",
      "Delayed Order Sent " + order_id + " was sent as PhoneOrder " + std::to_string(pio_number),
      " - Order is for customer " + Upper(customer_name),
      " - Order was scheduled to be sent at " + send_time + " on " + send_date,
      // "ther were" is the log's own wording, kept as every station writes it.
      " - including this Order ther were a total of " + pending_count +
          " Delayed orders pending when this order was sent",
      "*******************************************",
  };
}

std::vector<std::string> UnknownCustomerLogEntry(const std::string& header_path) {
  return {"Customer not found - Record Number was ZERO - Marked name to unknown - file name was " +
          header_path};
}

std::vector<std::string> DisplayedLogEntry(const std::string& header_path,
                                           const std::string& send_date,
                                           const std::string& send_time,
                                           const std::string& customer_name,
                                           const std::string& order_id, const DateTime& now,
                                           const std::vector<std::string>& pending_ids) {
  std::string ids;
  for (const std::string& id : pending_ids) ids += " - " + id;
  return {
      " ORDER DISPLAYED ON DELAYED SEND PROGRAM",
      " File Name " + header_path,
      " ORDER SEND ON " + send_date + " at " + send_time,
      " Customer " + customer_name,
      " Delayed Send Order " + order_id,
      OccuredOn(now),
      "Total Pending Orders " + PlainNumber(static_cast<double>(pending_ids.size())),
      ids,
      kRule,
  };
}

std::vector<std::string> PrintedLogEntry(const std::string& header_path,
                                         const std::string& order_id, const DateTime& now) {
  return {
      " ORDER PRINTED ON DELAYED SEND PROGRAM",
      " File Name " + header_path,
      " Delayed Send Order " + order_id,
      OccuredOn(now),
      kRule,
  };
}

namespace {

std::string EntryText(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += QuotedLine({line});
  return text;
}

}  // namespace

void AppendLogEntry(FileSystem& files, const std::string& path,
                    const std::vector<std::string>& lines) {
  WriteLockedText(files, path, OpenMode::kAppend, EntryText(lines));
}

LogOpenedAhead::LogOpenedAhead(const FileSystem& station, std::string path)
    : files_(FileSystem::SameStation{}, station) {
  try {
    opening_ = std::async(std::launch::async, [this, path = std::move(path)] {
      return files_.Open(path, OpenMode::kAppend);
    });
  } catch (const std::system_error&) {
    // No thread to be had: the entry is appended as usual.
  }
}

// The file layer closes what was opened, written or not.
LogOpenedAhead::~LogOpenedAhead() {
  if (opening_.valid()) opening_.wait();
}

bool LogOpenedAhead::Append(const std::vector<std::string>& lines) {
  if (!opening_.valid()) return false;
  int file = 0;
  try {
    file = opening_.get();
  } catch (...) {
    return false;
  }
  OpenFileGuard guard(files_, file);
  files_.Lock(file);
  files_.WriteText(file, EntryText(lines));
  return true;
}

bool LogHoldsEntry(const FileSystem& files, const std::string& path, int64_t from,
                   const std::vector<std::string>& lines) {
  std::string log;
  try {
    log = files.ReadFileText(path);
  } catch (const RuntimeError&) {
    return false;
  }
  const size_t start = static_cast<size_t>(std::max<int64_t>(0, from));
  return start < log.size() && log.find(EntryText(lines), start) != std::string::npos;
}

}  // namespace korv
