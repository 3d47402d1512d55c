#include "platform/print/cups_link.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <thread>

#include "common/runtime_error.h"
#include "platform/print/escpos_renderer.h"
#include "testing/smtp_sink.h"
#include "testing/tcp_test_printer.h"
#include "testing/temp_dir.h"

extern char** environ;

namespace korv {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::ReadHostFile;
using testing::TcpTestPrinter;
using testing::TempDir;
using testing::WriteHostFile;

constexpr const char* kCupsd = "/usr/sbin/cupsd";
constexpr const char* kLpadmin = "/usr/sbin/lpadmin";

// A CUPS server of the test's own: its configuration, spool and logs in a
// temporary folder, listening on a free loopback port, stopped at the end.
class PrivateCupsServer {
 public:
  explicit PrivateCupsServer(const fs::path& root) : root_(root) {
    port_ = testing::UnusedLoopbackPort();
    for (const char* dir : {"spool", "cache", "state", "log"}) fs::create_directories(root / dir);
    // The backends run as the unprivileged lp user and must reach the spool.
    for (fs::path p = root; p != p.parent_path() && p != "/tmp"; p = p.parent_path())
      fs::permissions(p, fs::perms::others_read | fs::perms::others_exec, fs::perm_options::add);
    WriteHostFile(root / "cupsd.conf", "Listen 127.0.0.1:" + std::to_string(port_) +
                                           "\n"
                                           "LogLevel info\nWebInterface No\nBrowsing No\n"
                                           "DefaultAuthType None\n"
                                           "<Location />\n  Order allow,deny\n  Allow all\n"
                                           "</Location>\n"
                                           "<Policy default>\n  <Limit All>\n"
                                           "    Order deny,allow\n  </Limit>\n</Policy>\n");
    std::string r = root.string();
    WriteHostFile(root / "cups-files.conf",
                  "ServerRoot " + r + "\nRequestRoot " + r + "/spool\nTempDir " + r +
                      "/spool\nCacheDir " + r + "/cache\nStateDir " + r + "/state\nErrorLog " + r +
                      "/log/error_log\nAccessLog " + r + "/log/access_log\nPageLog " + r +
                      "/log/page_log\nPrintcap " + r +
                      "/printcap\n"
                      "ServerBin /usr/lib/cups\nDataDir /usr/share/cups\n");
  }
  ~PrivateCupsServer() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    for (int i = 0; i < 100 && waitpid(pid_, nullptr, WNOHANG) == 0; ++i)
      std::this_thread::sleep_for(20ms);
    if (kill(pid_, SIGKILL) == 0) waitpid(pid_, nullptr, 0);
  }

  // Empty when the server runs and answers; else why not.
  std::string Start() {
    std::string conf = (root_ / "cupsd.conf").string();
    std::string files = (root_ / "cups-files.conf").string();
    const char* argv[] = {kCupsd, "-f", "-c", conf.c_str(), "-s", files.c_str(), nullptr};
    if (posix_spawn(&pid_, kCupsd, nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
      return "cannot start cupsd";
    for (int i = 0; i < 250; ++i) {  // five seconds at most
      if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
        pid_ = 0;
        return "cupsd stopped: " + ReadHostFile(root_ / "log" / "error_log");
      }
      if (Answers()) return {};
      std::this_thread::sleep_for(20ms);
    }
    return "cupsd does not answer: " + ReadHostFile(root_ / "log" / "error_log");
  }

  std::string Server() const { return "127.0.0.1:" + std::to_string(port_); }

  // Adds a raw queue printing to a network printer; false when lpadmin fails.
  bool AddRawQueue(const std::string& queue, const std::string& device_uri) {
    std::string command = std::string("timeout 10 ") + kLpadmin + " -h " + Server() + " -p " +
                          queue + " -E -v " + device_uri + " >" +
                          (root_ / "log" / "lpadmin").string() + " 2>&1";
    return std::system(command.c_str()) == 0;
  }

 private:
  bool Answers() const {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<uint16_t>(port_));
    bool ok = connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    close(fd);
    return ok;
  }

  fs::path root_;
  int port_ = 0;
  pid_t pid_ = 0;
};

TEST(CupsLinkTest, TicketThroughARawQueueArrivesWhole) {
  if (access(kCupsd, X_OK) != 0 || access(kLpadmin, X_OK) != 0)
    GTEST_SKIP() << "cupsd or lpadmin is not installed (scripts/setup.sh installs cups)";
  TempDir tmp;
  PrivateCupsServer cups(tmp.path() / "cups");
  if (std::string why = cups.Start(); !why.empty()) GTEST_SKIP() << "no CUPS server here: " << why;
  TcpTestPrinter printer;
  ASSERT_TRUE(cups.AddRawQueue("KitchenRaw", printer.Uri()))
      << ReadHostFile(tmp.path() / "cups" / "log" / "lpadmin");

  std::vector<std::string> queues = ListCupsQueues(cups.Server());
  EXPECT_EQ(queues, std::vector<std::string>{"KitchenRaw"});

  Document doc{"KitchenRaw", {}};
  doc.lines.push_back(PrintedLine{{"2 Cr\xE8me br\xFBl\xE9"}, "Arial", 40, true, false, kBlack});
  doc.lines.push_back(PrintedLine{{"P"}, "control", 10, false, false, kBlack});
  std::string bytes = RenderEscPos(doc, {});
  std::atomic<bool> stop{false};
  CupsLink(queues.at(0), cups.Server()).Send(bytes, stop);
  ASSERT_TRUE(printer.WaitForJobs(1, 20s)) << ReadHostFile(tmp.path() / "cups/log/error_log");
  EXPECT_EQ(printer.Jobs()[0], bytes) << "raw: not a byte changed by the server";

  try {
    CupsLink("NoSuchQueue", cups.Server()).Send(bytes, stop);
    ADD_FAILURE() << "a missing queue must fail";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), kErrPrinter);
    EXPECT_NE(e.description().find("NoSuchQueue"), std::string::npos) << e.description();
  }
}

TEST(CupsLinkTest, NoServerMeansNoQueuesQuickly) {
  std::string nobody = "127.0.0.1:" + std::to_string(testing::UnusedLoopbackPort());
  auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(ListCupsQueues(nobody, 500ms).empty());
  std::atomic<bool> stop{false};
  EXPECT_THROW(CupsLink("Kitchen", nobody, {500ms, 500ms}).Send("x", stop), RuntimeError);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
}

}  // namespace
}  // namespace korv
