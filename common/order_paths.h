#pragma once
// The names of the order files under DataRoot & "PhoneOrders\": the delayed
// orders, their archive, the phone orders they become, the month's
// delayed-send log, and the customer's last order. Every order path of the
// program is made here, so each name is spelled in one place.
//
// The order id is read from inside a header written by another station and
// becomes part of file names, so every name built from an id goes through
// RequireSafeOrderId: an id that could name a file outside PhoneOrders\ (or
// no file at all) is refused with error 52 before any file is touched.
// Letter case of the names does not matter: the file layer finds "DS5.PIO"
// when "DS5.Pio" was written.

#include <optional>
#include <string>

#include "common/date_time.h"

namespace korv {

// True for an id that names a file inside PhoneOrders\: not empty or all
// blanks, no path separator (\ or /), no "..", no drive colon, no control
// character, and none of the characters a file name cannot hold (* ? " < > |).
bool IsSafeOrderId(const std::string& id);
// Raises RuntimeError 52 "Bad file name or number", naming the id, when the
// id is not safe.
void RequireSafeOrderId(const std::string& id);

std::string PhoneOrdersFolder(const std::string& data_root);  // DataRoot & "PhoneOrders\"
std::string ArchiveFolder(const std::string& data_root);      // PhoneOrders\Deleted\ folder

// PhoneOrders\DelayedSendClaims.lck: the file in which the delayed-send
// stations claim an order before they send it (no pattern of the order files
// matches its name).
std::string ClaimFilePath(const std::string& data_root);

// PhoneOrders\<id>.PH and PhoneOrders\<id>.Pio; raise 52 for an unsafe id.
std::string DelayedHeaderPath(const std::string& data_root, const std::string& id);
std::string DelayedLinesPath(const std::string& data_root, const std::string& id);
// PhoneOrders\Deleted\<id>.PH and .Pio; raise 52 for an unsafe id.
std::string ArchivedHeaderPath(const std::string& data_root, const std::string& id);
std::string ArchivedLinesPath(const std::string& data_root, const std::string& id);
// PhoneOrders\<n>.PH and PhoneOrders\<n>.Pio of phone order n; the key is
// n as text.
std::string PhoneOrderHeaderPath(const std::string& data_root, int n);
std::string PhoneOrderHeaderPath(const std::string& data_root, const std::string& key);
std::string PhoneOrderLinesPath(const std::string& data_root, int n);

// The line file of phone order key as the order engine reads it and as the
// completion saves it, and the customer's last order. The spellings are the
// other stations' own and are kept as they stand: PhoneOrders\<key>.PIO,
// DataRoot & "\PhoneOrders\<key>.pio" and DataRoot &
// "\Delivery\LastOrder\<phone>.Dat" (the doubled separator names the same
// folder, and letter case does not matter to the file layer, so both line
// paths name the file PhoneOrderLinesPath names).
std::string LastOrderFolder(const std::string& data_root);  // Delivery\LastOrder\ folder
std::string EngineLinesPath(const std::string& data_root, const std::string& key);
std::string SavedLinesPath(const std::string& data_root, const std::string& key);
std::string LastOrderPath(const std::string& data_root, const std::string& phone);

// DataRoot & "PhoneOrders\" & MMYY & "DElayedSend.LOG": the delayed-send log
// of the month of `day` ("F:\KORVAIN\PhoneOrders\1226DElayedSend.LOG" in
// December 2026), written by the scheduler and shown by the log viewer.
std::string DelayedSendLogPath(const std::string& data_root, const Date& day);
// The logs' names in a folder listing, and the first day of the month a log's
// file name (any letter case) names: of the years its YY may mean, the one
// that puts the month latest but not after today's month. None for a name
// that is no log's.
std::string DelayedSendLogPattern();  // "????DElayedSend.LOG"
std::optional<Date> DelayedSendLogMonth(const std::string& file_name, const Date& today);

// The station's own journal of the send of order id, under LocalRoot (never
// shared): LocalRoot & "data\Journal\" & id & ".jnl". Raises 52 for an
// unsafe id.
std::string SendJournalFolder(const std::string& local_root);
std::string SendJournalPath(const std::string& local_root, const std::string& id);

}  // namespace korv
