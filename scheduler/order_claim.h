#pragma once
// Claims a pending delayed order for one send. Two delayed-send stations may
// watch the same PhoneOrders\ folder; the one that holds the claim on an
// order sends it, and the other passes it by at once.
//
// The claim is an exclusive lock on the order's slot in the claim file
// PhoneOrders\DelayedSendClaims.lck, which every station opens for writing,
// so it stays exclusive when a station may only read the order's header (a
// read-only file on a share). The slot is found from the header's name, not
// from the file's identity, which a share's clients may each invent. The
// lock that earlier stations take on the header itself is taken as well, so
// that they see the claim too. A claim never keeps the header's readers out,
// so the other station's list is never held up by a send. The claim uses a
// file layer of its own, so that the procedures of the send, which close all
// their open files, never drop it; it shares the station's names and the
// folders its pass holds, so a pass resolves their names once and does not
// walk the share from its root for them.

#include <cstdint>
#include <future>
#include <string>

#include "platform/files/file_system.h"

namespace korv {

class OrderClaim {
 public:
  explicit OrderClaim(const FileSystem& station_files)
      : files_(FileSystem::SameStation{}, station_files) {}
  // True when this station now holds order id of the PhoneOrders\ folder
  // under data_root, and its header is still the pending order (not sent
  // and deleted by another station meanwhile). False when another station
  // holds it or it is gone. Raises RuntimeError when the claim file cannot
  // be opened for writing (70 when this station may not write it), with
  // nothing held. TakeSlot and TakeHeader, one after the other.
  bool Take(const std::string& data_root, const std::string& id);
  // The order's slot in the claim file: true when no other delayed-send
  // station holds it. Raises as Take does.
  bool TakeSlot(const std::string& data_root, const std::string& id);
  // Then the header's own lock, which the earlier stations take: true when
  // the header is still the pending order and no other station holds it.
  // Never raises; false lets the slot go as well.
  bool TakeHeader(const std::string& data_root, const std::string& id);
  // The claimed header, open in the claim's own file layer, so that the send
  // reads it through the open file rather than opening it again.
  FileSystem& files() { return files_; }
  int header() const { return header_; }
  // Lets go of the header once the send has seen it deleted, on a thread of
  // its own: a share drops a deleted file only at its last close, which
  // waits round trips the send need not wait for. The slot stays held.
  void LetGoneHeaderGo();
  // Lets the order go; its files are gone or stay pending. Within a pass of
  // the file layer the claim file stays open for the next order's claim.
  void Release();
  // Lets the order go and closes the claim file (at the end of a pass).
  void Close();

 private:
  void CloseClaims();

  FileSystem files_;
  int claims_ = 0;            // the claim file
  uint64_t claims_pass_ = 0;  // the pass of the file layer it was opened in
  uint64_t slot_ = 0;
  bool slot_held_ = false;
  int header_ = 0;
  std::future<void> letting_go_;  // the header's close under way
};

}  // namespace korv
