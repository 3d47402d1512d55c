#pragma once
// A network ticket printer for tests: listens on 127.0.0.1 (a free port, or
// the one given), takes connections one after the other on a thread of its
// own and keeps the bytes of each connection as one job. Every wait is
// bounded, so a test whose sender never calls cannot hang. It answers the
// status queries (DLE EOT 1, 2 and 4) as its State says, at once, and keeps
// them out of the job, as a ticket printer does.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace korv::testing {

class TcpTestPrinter {
 public:
  enum class Mode {
    kPrints,      // reads each job to its end, then closes as a printer does
    kNeverReads,  // accepts and then neither reads nor closes (a jammed printer)
    // Takes the first bytes of the first job and stops there, holding the
    // connection, until Resume(); then drops it with the rest unread (a
    // printer that lost the connection mid-ticket: what it took is a job of
    // its own) and prints every later job whole.
    kStopsInTheFirstJob,
  };
  enum class State {
    kReady,
    kPaperEnd,
    kPaperNearEnd,
    kCoverOpen,
    kOffline,
    kNoAnswer,  // prints, and never answers a query
    // Answers that it has no paper, and takes whatever it is sent without
    // printing it (no job is kept).
    kTakesWithoutPaper,
  };
  explicit TcpTestPrinter(Mode mode = Mode::kPrints, int port = 0);
  void SetState(State state);
  // Status queries it answered.
  int Queries() const;
  ~TcpTestPrinter();
  TcpTestPrinter(const TcpTestPrinter&) = delete;
  TcpTestPrinter& operator=(const TcpTestPrinter&) = delete;

  int port() const { return port_; }
  std::string Uri() const { return "socket://127.0.0.1:" + std::to_string(port_); }
  // Waits until `count` jobs have arrived whole; false when `within` passed.
  bool WaitForJobs(size_t count, std::chrono::milliseconds within = std::chrono::seconds(10));
  // Waits until `count` connections were accepted; false when `within` passed.
  bool WaitForConnections(int count, std::chrono::milliseconds within = std::chrono::seconds(10));
  std::vector<std::string> Jobs() const;
  // kStopsInTheFirstJob: waits until the printer has stopped in the first
  // job (false when `within` passed first), and lets it go on.
  bool WaitForStop(std::chrono::milliseconds within = std::chrono::seconds(10));
  void Resume();

 private:
  void Serve();
  std::string ReadJob(int fd);
  std::string StopInJob(int fd);
  // The bytes read, with every status query answered and taken out; a query
  // cut across reads is kept in `partial` for the next.
  std::string Printed(int fd, const char* bytes, size_t n, std::string* partial);

  const Mode mode_;
  int listen_fd_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> jobs_;
  std::vector<int> held_open_;
  int connections_ = 0;
  State state_ = State::kReady;
  int queries_ = 0;
  bool stopped_ = false;
  bool resumed_ = false;
  std::thread thread_;
};

}  // namespace korv::testing
