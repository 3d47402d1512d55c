#pragma once
// The names of a delayed order's files under DataRoot & "PhoneOrders\".
//
// The order id is read from inside a header written by another station and
// becomes part of file names, so every name built from an id goes through
// RequireSafeOrderId: an id that could name a file outside PhoneOrders\ (or
// no file at all) is refused with error 52 before any file is touched.
// Letter case of the names does not matter: the file layer finds "DS5.PIO"
// when "DS5.Pio" was written.

#include <string>

namespace korv {

// True for an id that names a file inside PhoneOrders\: not empty or all
// blanks, no path separator (\ or /), no "..", no drive colon, no control
// character, and none of the characters a file name cannot hold (* ? " < > |).
bool IsSafeOrderId(const std::string& id);
// Raises RuntimeError 52 "Bad file name or number", naming the id, when the
// id is not safe.
void RequireSafeOrderId(const std::string& id);

std::string PhoneOrdersFolder(const std::string& data_root);  // DataRoot & "PhoneOrders\"

// PhoneOrders\<id>.PH and PhoneOrders\<id>.Pio; raise 52 for an unsafe id.
std::string DelayedHeaderPath(const std::string& data_root, const std::string& id);
std::string DelayedLinesPath(const std::string& data_root, const std::string& id);
// PhoneOrders\Deleted\<id>.PH and .Pio; raise 52 for an unsafe id.
std::string ArchivedHeaderPath(const std::string& data_root, const std::string& id);
std::string ArchivedLinesPath(const std::string& data_root, const std::string& id);
// PhoneOrders\<n>.PH and PhoneOrders\<n>.Pio of phone order n.
std::string PhoneOrderHeaderPath(const std::string& data_root, int n);
std::string PhoneOrderLinesPath(const std::string& data_root, int n);

}  // namespace korv
