#pragma once
// Turning a sent delayed order DS<k> over into phone order n, one file
// operation per call, so that the dispatch pass can run each step under its
// own error policy: a step that fails (a missing line file, a lock held
// elsewhere) is skipped and the next one still runs. The send
// (scheduler/send_order.h) calls them in this order:
//
//   CopyLinesToArchive(id)          PhoneOrders\<id>.Pio -> Deleted\<id>.Pio
//   NextPioNumber                   draws n (pio_number.h)
//   CopyLinesToPhoneOrder(id, n)    <id>.Pio -> <n>.Pio (a stale <n>.Pio is
//                                   deleted when <id>.Pio is missing or
//                                   cannot be copied over it)
//   CopyHeaderToPhoneOrder(id, n)   <id>.PH  -> <n>.PH
//   DeleteDelayedLines(id, stamp)   deletes <id>.Pio if it is still the file
//   DeleteDelayedHeader(id, stamp)  read, and <id>.PH likewise
//   RewriteHeaderOrderId(n)         field 4 of <n>.PH becomes n
//   (the sent entry of the delayed-send log)
//   WriteArchivedHeader(id, header, ArchiveNote(...))   Deleted\<id>.PH
//
// A copy onto an existing file replaces it. Every call that takes an id
// refuses an unsafe one (order_paths.h) with error 52 before touching any
// file; other failures are the file layer's errors.

#include <filesystem>
#include <string>

#include "platform/files/file_system.h"
#include "scheduler/orderfiles/header_file.h"

namespace korv {

class DelayedOrderTurnOver {
 public:
  DelayedOrderTurnOver(FileSystem& files, std::string data_root)
      : files_(files), data_root_(std::move(data_root)) {}

  // text: the source file's text as the caller read it; without it the
  // source is read. ahead: that text already written ahead of the number
  // in PhoneOrders\ (FileSystem::WriteAhead), which the copy places.
  void CopyLinesToArchive(const std::string& id, const std::string* text = nullptr) const;
  void CopyLinesToPhoneOrder(const std::string& id, int n, const std::string* text = nullptr,
                             const std::filesystem::path* ahead = nullptr) const;
  void CopyHeaderToPhoneOrder(const std::string& id, int n, const std::string* text = nullptr,
                              const std::filesystem::path* ahead = nullptr) const;
  // With the stamp of the file as the send read it, the file is deleted
  // under its whole-file lock and only while it is still that file, so a
  // station rewriting it at that moment never has its new order deleted;
  // false when it was not deleted (gone, or changed). Without a stamp, the
  // file is deleted if it exists.
  bool DeleteDelayedLines(const std::string& id, const FileStamp* as_read = nullptr) const;
  bool DeleteDelayedHeader(const std::string& id, const FileStamp* as_read = nullptr) const;
  // Reads the six fields of <n>.PH, writes them back with field 4 = n as
  // decimal text and returns them as written. copied: the fields the caller
  // has just copied into <n>.PH, which are then not read again.
  OrderHeader RewriteHeaderOrderId(int n, const OrderHeader* copied = nullptr) const;
  // Writes Deleted\<id>.PH: the six fields and the note as seventh field.
  void WriteArchivedHeader(const std::string& id, const OrderHeader& header,
                           const std::string& note) const;

 private:
  FileSystem& files_;
  std::string data_root_;
};

// "Delayed Order DS5 - Sent as 17  Sent to kitchen at 07:30 PM" (two blanks
// before "Sent to" are intended); seconds is the time of day of the send.
std::string ArchiveNote(const std::string& id, int n, int seconds);
// True for the note a delayed-send station gives the archived header of
// order id it sent ("Delayed Order DS5 - Sent as ..."), letter case aside.
bool IsArchiveNote(const std::string& note, const std::string& id);

}  // namespace korv
