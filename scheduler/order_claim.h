#pragma once
// Claims a pending delayed order for one send. Two delayed-send stations may
// watch the same PhoneOrders\ folder; the one that holds the claim on the
// order's header sends it, and the other passes it by at once. A claim does
// not keep the header's readers out, so the other station's list is never
// held up by a send. The claim uses
// a file layer of its own, so that the procedures of the send, which close
// all their open files, never drop it.

#include <memory>
#include <string>

#include "platform/files/file_system.h"

namespace korv {

class OrderClaim {
 public:
  explicit OrderClaim(const PathMap& paths) : files_(PathMap(paths.root())) {}
  // True when this station now holds the header at path, and the header is
  // still the pending order (not sent and deleted by another station
  // meanwhile). False when another station holds it or it is gone.
  bool Take(const std::string& header_path);
  // Lets the header go; the order's files are gone or stay pending.
  void Release();

 private:
  FileSystem files_;
  int file_ = 0;
};

}  // namespace korv
