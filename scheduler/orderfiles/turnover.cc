#include "scheduler/orderfiles/turnover.h"

#include "common/date_time.h"
#include "common/order_paths.h"
#include "common/runtime_error.h"
#include "common/val.h"

namespace korv {
namespace {

// Deletes the file where it exists: the removal itself tells, where a look
// first would cost a round trip more.
bool KillIfThere(FileSystem& files, const std::string& path) {
  try {
    files.Kill(path);
    return true;
  } catch (const RuntimeError& e) {
    if (e.number() != kErrFileNotFound) throw;
    return false;
  }
}

bool KillIfStill(FileSystem& files, const std::string& path, const FileStamp* as_read) {
  return as_read ? files.KillIfStamped(path, *as_read) : KillIfThere(files, path);
}

// A copy of what was read is the file's copy, made without reading it again.
void CopyFile(FileSystem& files, const std::string& from, const std::string& to,
              const std::string* text, const std::filesystem::path* ahead = nullptr) {
  if (text && ahead)
    files.PlaceAhead(*ahead, to, *text);
  else if (text)
    files.WriteWhole(to, *text);
  else
    files.Copy(from, to);
}

std::string ArchiveNoteHead(const std::string& id) { return "Delayed Order " + id + " - Sent as "; }

}  // namespace

void DelayedOrderTurnOver::CopyLinesToArchive(const std::string& id,
                                              const std::string* text) const {
  CopyFile(files_, DelayedLinesPath(data_root_, id), ArchivedLinesPath(data_root_, id), text);
}

void DelayedOrderTurnOver::CopyLinesToPhoneOrder(const std::string& id, int n,
                                                 const std::string* text,
                                                 const std::filesystem::path* ahead) const {
  std::string to = PhoneOrderLinesPath(data_root_, n);
  try {
    CopyFile(files_, DelayedLinesPath(data_root_, id), to, text, ahead);
  } catch (const RuntimeError&) {
    // Numbers come round again after 498: the lines of an earlier phone
    // order n must not be sent to the kitchen as this order's, neither when
    // this order has no lines nor when its copy fails (the old file held by
    // a station).
    KillIfThere(files_, to);
    throw;
  }
}

void DelayedOrderTurnOver::CopyHeaderToPhoneOrder(const std::string& id, int n,
                                                  const std::string* text,
                                                  const std::filesystem::path* ahead) const {
  CopyFile(files_, DelayedHeaderPath(data_root_, id), PhoneOrderHeaderPath(data_root_, n), text,
           ahead);
}

bool DelayedOrderTurnOver::DeleteDelayedLines(const std::string& id,
                                              const FileStamp* as_read) const {
  return KillIfStill(files_, DelayedLinesPath(data_root_, id), as_read);
}

bool DelayedOrderTurnOver::DeleteDelayedHeader(const std::string& id,
                                               const FileStamp* as_read) const {
  return KillIfStill(files_, DelayedHeaderPath(data_root_, id), as_read);
}

OrderHeader DelayedOrderTurnOver::RewriteHeaderOrderId(int n, const OrderHeader* copied) const {
  std::string path = PhoneOrderHeaderPath(data_root_, n);
  OrderHeader header = copied ? *copied : ReadHeader(files_, path);
  header.order_id = std::to_string(n);
  WriteHeader(files_, path, header);
  return header;
}

void DelayedOrderTurnOver::WriteArchivedHeader(const std::string& id, const OrderHeader& header,
                                               const std::string& note) const {
  WriteHeader(files_, ArchivedHeaderPath(data_root_, id), header, &note);
}

std::string ArchiveNote(const std::string& id, int n, int seconds) {
  return ArchiveNoteHead(id) + std::to_string(n) + "  Sent to kitchen at " +
         FormatHHMMAmPm(seconds);
}

bool IsArchiveNote(const std::string& note, const std::string& id) {
  const std::string head = Lower(ArchiveNoteHead(id));
  return Lower(note.substr(0, head.size())) == head;
}

}  // namespace korv
