#pragma once
// The delayed-send log: one shared text file a calendar month,
// PhoneOrders\<MMYY>DElayedSend.LOG (DelayedSendLogPath), in which every order this station sends,
// shows or pre-prints leaves an entry. Each line is one quoted field and CR
// LF. Several stations append to the same file; the log only grows.
//
// The entry builders are pure: they return the entry's lines, which
// AppendLogEntry writes.

#include <future>
#include <string>
#include <vector>

#include "common/date_time.h"
#include "platform/files/file_system.h"

namespace korv {

// Sent entry, six lines. The customer name is written in capitals, the send
// time and date as the header stores them; pending_count is the count of
// delayed header files at the top of the pass, as shown.
std::vector<std::string> SentLogEntry(const std::string& order_id, int pio_number,
                                      const std::string& customer_name,
                                      const std::string& send_time, const std::string& send_date,
                                      const std::string& pending_count);

// Unknown-customer entry (customer number 0), one line naming the full path
// of the delayed header.
std::vector<std::string> UnknownCustomerLogEntry(const std::string& header_path);

// Displayed entry, nine lines: the operator opened an order in the viewer.
// pending_ids are the ids of the pending list's hidden id list, in order.
std::vector<std::string> DisplayedLogEntry(const std::string& header_path,
                                           const std::string& send_date,
                                           const std::string& send_time,
                                           const std::string& customer_name,
                                           const std::string& order_id, const DateTime& now,
                                           const std::vector<std::string>& pending_ids);

// Printed entry, five lines: the operator printed the pre-print ticket.
std::vector<std::string> PrintedLogEntry(const std::string& header_path,
                                         const std::string& order_id, const DateTime& now);

// Appends the lines as one entry to the log at path, creating the file when
// missing. Closes all open files first and holds one whole-file lock from
// opening to closing, so entries of different stations never interleave.
// Raises the file layer's errors (70 when another station holds the lock past
// the short wait); a failed append loses that entry only.
void AppendLogEntry(FileSystem& files, const std::string& path,
                    const std::vector<std::string>& lines);

// The log at path opened for an entry before the entry is due, on a thread
// and a file layer of its own: on a share the open waits its round trips
// while the caller's other files are written. It only opens the log, which
// the station appends to: the entry itself goes in only at Append.
class LogOpenedAhead {
 public:
  LogOpenedAhead(const FileSystem& station, std::string path);
  ~LogOpenedAhead();
  LogOpenedAhead(const LogOpenedAhead&) = delete;
  LogOpenedAhead& operator=(const LogOpenedAhead&) = delete;
  // Appends the lines as AppendLogEntry does, through the file opened
  // ahead. False, with nothing written, when it could not be opened: the
  // caller then appends as usual, and says why it cannot. Raises what the
  // lock or the write raises.
  bool Append(const std::vector<std::string>& lines);

 private:
  FileSystem files_;
  std::future<int> opening_;  // the file's number in files_
};

// True when the log at path holds the entry whole after its first `from`
// bytes: the log only grows, so an entry a send appended after the log was
// that long is there, whatever other stations appended around it.
bool LogHoldsEntry(const FileSystem& files, const std::string& path, int64_t from,
                   const std::vector<std::string>& lines);

}  // namespace korv
