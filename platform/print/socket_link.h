#pragma once
// A ticket printer on the network, reached by a raw TCP connection to its
// print port (printers.conf "socket://HOST[:PORT]", port 9100 when none is
// given), as print servers do it: connect, write the job, half-close the
// connection (the printer's end-of-job), then wait for the printer to close.
//
// The printer has taken the job when its TCP stack has acknowledged every
// byte. A printer that closes its end, or one that keeps the connection open
// past the closing wait with every byte acknowledged, has taken it; a
// refused or timed-out connection, a write that does not finish in time or
// bytes still unacknowledged at the end is a failure, and the job is sent
// again whole.
//
// Unless told not to (printers.conf "status=off"), the link asks the
// printer's condition on the job's connection before the job (a printer
// that reports no paper, an open cover or offline is sent nothing, and the
// connection is closed) and after its last byte, each answer awaited for at
// most the status timeout. A printer that does not answer before the job is
// printed to as one that cannot tell, and is not asked after it.
//
// Check connects to the print port and closes the connection at once,
// sending nothing; Ask connects and asks.

#include <chrono>
#include <string>

#include "platform/print/printer_link.h"

namespace korv {

inline constexpr int kRawPrintPort = 9100;

struct SocketTimeouts {
  std::chrono::milliseconds connect{3000};
  std::chrono::milliseconds write{10000};      // for the whole job
  std::chrono::milliseconds close_wait{2000};  // for the printer to close after the job
  std::chrono::milliseconds status{2000};      // for the answers to a status query
};

class SocketLink : public PrinterLink {
 public:
  SocketLink(std::string host, int port, SocketTimeouts timeouts = {}, bool ask_status = true)
      : host_(std::move(host)), port_(port), timeouts_(timeouts), ask_status_(ask_status) {}
  void Send(std::string_view bytes, const std::atomic<bool>& stop, LinkAttempt& attempt) override;
  std::string Check(std::chrono::milliseconds within) const override;
  PrinterCondition Ask(std::chrono::milliseconds within) const override;

 private:
  // A connected descriptor; raises 482 when no connection is made in time.
  int Connect(std::chrono::milliseconds within, const std::atomic<bool>& stop) const;
  std::string host_;
  int port_;
  SocketTimeouts timeouts_;
  bool ask_status_;
};

struct SocketAddress {
  std::string host;
  int port = kRawPrintPort;
};
// "socket://10.0.0.5:9100", "socket://kitchen", "socket://[fe80::1]:9100";
// false when no host or a bad port is given.
bool ParseSocketUri(const std::string& text, SocketAddress* out);

}  // namespace korv
