#pragma once
// A CUPS server of the test's own: its configuration, spool and logs in a
// temporary folder, listening on a free loopback port, stopped at the end.

#include <sys/types.h>

#include <filesystem>
#include <string>

namespace korv::testing {

class PrivateCupsServer {
 public:
  explicit PrivateCupsServer(const std::filesystem::path& root);
  ~PrivateCupsServer();
  PrivateCupsServer(const PrivateCupsServer&) = delete;
  PrivateCupsServer& operator=(const PrivateCupsServer&) = delete;

  // Empty when cupsd and lpadmin are installed; else what a test skips for.
  static std::string Missing();
  // Empty when the server runs and answers; else why not.
  std::string Start();
  // "127.0.0.1:PORT", for libcups (CUPS_SERVER) and lpadmin -h.
  std::string Server() const { return "127.0.0.1:" + std::to_string(port_); }
  // Adds an enabled queue printing to device_uri: a raw queue, or one with
  // the printer driver of a PPD file. False when lpadmin fails (its output is
  // in the server's log folder, file lpadmin).
  bool AddRawQueue(const std::string& queue, const std::string& device_uri);
  bool AddQueueWithDriver(const std::string& queue, const std::string& device_uri,
                          const std::string& model_name);
  // Stops the queue (cupsdisable); false when that fails.
  bool Stop(const std::string& queue);
  std::string Log() const;

 private:
  bool AddQueue(const std::string& queue, const std::string& device_uri, const std::string& extra);
  bool Run(const std::string& program, const std::string& arguments);
  bool Answers() const;

  std::filesystem::path root_;
  int port_ = 0;
  pid_t pid_ = 0;
};

}  // namespace korv::testing
