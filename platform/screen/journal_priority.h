#pragma once
// The priority marks of the station's lines for systemd's journal. A line on
// standard error that begins "<3>" is an error to the journal, "<4>" a
// warning and "<6>" information, so that journalctl -p err shows the faults
// alone. The marks mean something only to the journal: the station program's
// standard error keeps them when it is the journal and drops them otherwise
// (app/prefixed_stderr.h), so a terminal or a desktop session's log shows
// the lines as they always were.

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/screen/services.h"

namespace korv {

// "<3>", "<4>" or "<6>".
std::string PriorityMark(Priority priority);

// The length of the syslog priority mark ("<0>" to "<7>") the line begins
// with; 0 when it has none.
size_t PriorityMarkLength(std::string_view line);

// True when fd is the journal's stream: systemd gives a service's standard
// error to the journal and names that stream in $JOURNAL_STREAM as
// "device:inode". A stream handed on elsewhere (a redirect, a pipe to
// another program) keeps the variable but is another file, so it is false.
bool IsJournalStream(int fd);

}  // namespace korv
