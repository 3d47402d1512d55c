#pragma once
// The files the station writes and nobody else removes, kept for the
// station's retention (station.conf retention-days) and then removed, so
// that they never fill a disk:
//   - the archive of the orders it sent: PhoneOrders\Deleted\DS<k>.PH that
//     carries a delayed-send station's note (turnover.h), and DS<k>.Pio
//     beside it;
//   - the monthly delayed-send logs PhoneOrders\<MMYY>DElayedSend.LOG, once
//     the whole month is older;
//   - the tickets of its dir: printers, NNNNNN.txt and NNNNNN.html, all but
//     the highest number of each folder, from which the numbers go on;
//   - the trace log c:\Korvain\TraceLog.txt: its entries carry no date a
//     program could trim by, so it is moved whole to TraceLog.<YYYYMMDD>.txt
//     (today's date) when the last move is the retention's days ago or never
//     was, and a moved log is removed once its date is older. Its entries are
//     kept at least the retention and at most twice it.
// A file is older than the retention when it last changed more than `days`
// days before today: 365 keeps what changed on today's date last year. Only
// names of these patterns are touched: the peers' files in the same folders
// (pending and phone orders, an archived header without the note, a file
// another program put in a ticket folder) are left alone.

#include <string>
#include <vector>

#include "common/date_time.h"
#include "platform/files/file_system.h"

namespace korv {

struct RetentionPlaces {
  std::string trace_log;                    // c:\Korvain\TraceLog.txt
  std::string data_root;                    // DataRoot; empty: no archive or logs
  std::vector<std::string> ticket_folders;  // the dir: printers' folders
};

struct RetentionDone {
  std::vector<std::string> removed;   // the paths removed
  std::string trace_log_kept_as;      // where the trace log was moved; empty if it stayed
  std::vector<std::string> failures;  // what could not be listed, removed or moved, and why
};

// Removes (and moves) what is older than `days` days at `today`. Never
// raises: a folder that cannot be listed or a file that cannot be removed is
// one failure, and the rest goes on; a file removed meanwhile by someone else
// is none.
RetentionDone ApplyRetention(FileSystem& files, const RetentionPlaces& places, const Date& today,
                             int days);

}  // namespace korv
