#include "common/order_paths.h"

#include "common/runtime_error.h"
#include "common/val.h"

namespace korv {
namespace {

// A month's log is its MMYY and this, as every station spells it.
constexpr char kLogNameEnd[] = "DElayedSend.LOG";

bool IsForbiddenChar(unsigned char c) {
  if (c < 0x20 || c == 0x7F) return true;
  switch (c) {
    case '\\':
    case '/':
    case ':':
    case '*':
    case '?':
    case '"':
    case '<':
    case '>':
    case '|':
      return true;
    default:
      return false;
  }
}

}  // namespace

bool IsSafeOrderId(const std::string& id) {
  if (Trim(id).empty() || id.find("..") != std::string::npos) return false;
  for (char c : id)
    if (IsForbiddenChar(static_cast<unsigned char>(c))) return false;
  return true;
}

void RequireSafeOrderId(const std::string& id) {
  if (IsSafeOrderId(id)) return;
  std::string shown;
  for (char c : id) shown += (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) ? '?' : c;
  throw RuntimeError(kErrBadFileName, "Bad file name or number: order id \"" + shown +
                                          "\" does not name a file in PhoneOrders");
}

std::string PhoneOrdersFolder(const std::string& data_root) { return data_root + "PhoneOrders\\"; }

std::string ArchiveFolder(const std::string& data_root) {
  return PhoneOrdersFolder(data_root) + "Deleted\\";
}

std::string ClaimFilePath(const std::string& data_root) {
  return PhoneOrdersFolder(data_root) + "DelayedSendClaims.lck";
}

std::string DelayedHeaderPath(const std::string& data_root, const std::string& id) {
  RequireSafeOrderId(id);
  return PhoneOrdersFolder(data_root) + id + ".PH";
}

std::string DelayedLinesPath(const std::string& data_root, const std::string& id) {
  RequireSafeOrderId(id);
  return PhoneOrdersFolder(data_root) + id + ".Pio";
}

std::string ArchivedHeaderPath(const std::string& data_root, const std::string& id) {
  RequireSafeOrderId(id);
  return ArchiveFolder(data_root) + id + ".PH";
}

std::string ArchivedLinesPath(const std::string& data_root, const std::string& id) {
  RequireSafeOrderId(id);
  return ArchiveFolder(data_root) + id + ".Pio";
}

std::string PhoneOrderHeaderPath(const std::string& data_root, const std::string& key) {
  return PhoneOrdersFolder(data_root) + key + ".PH";
}

std::string PhoneOrderHeaderPath(const std::string& data_root, int n) {
  return PhoneOrderHeaderPath(data_root, std::to_string(n));
}

std::string PhoneOrderLinesPath(const std::string& data_root, int n) {
  return PhoneOrdersFolder(data_root) + std::to_string(n) + ".Pio";
}

std::string EngineLinesPath(const std::string& data_root, const std::string& key) {
  return PhoneOrdersFolder(data_root) + key + ".PIO";
}

std::string SavedLinesPath(const std::string& data_root, const std::string& key) {
  return data_root + "\\PhoneOrders\\" + key + ".pio";
}

std::string LastOrderFolder(const std::string& data_root) {
  return data_root + "Delivery\\LastOrder\\";
}

std::string LastOrderPath(const std::string& data_root, const std::string& phone) {
  return data_root + "\\Delivery\\LastOrder\\" + phone + ".Dat";
}

std::string DelayedSendLogPath(const std::string& data_root, const Date& day) {
  return PhoneOrdersFolder(data_root) + FormatMMYY(day) + kLogNameEnd;
}

std::string DelayedSendLogPattern() { return std::string("????") + kLogNameEnd; }

std::optional<Date> DelayedSendLogMonth(const std::string& file_name, const Date& today) {
  const std::string suffix = kLogNameEnd;
  if (file_name.size() != 4 + suffix.size() || Lower(file_name.substr(4)) != Lower(suffix) ||
      file_name.find_first_not_of("0123456789") < 4)
    return std::nullopt;
  const int month = std::stoi(file_name.substr(0, 2));
  const int yy = std::stoi(file_name.substr(2, 2));
  if (month < 1 || month > 12) return std::nullopt;
  int year = today.year - ((today.year - yy) % 100 + 100) % 100;
  if (year == today.year && month > today.month) year -= 100;
  return Date{year, month, 1};
}

std::string SendJournalFolder(const std::string& local_root) {
  return local_root + "data\\Journal\\";
}

std::string SendJournalPath(const std::string& local_root, const std::string& id) {
  RequireSafeOrderId(id);
  return SendJournalFolder(local_root) + id + ".jnl";
}

}  // namespace korv
