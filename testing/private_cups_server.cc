#include "testing/private_cups_server.h"

#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "testing/smtp_sink.h"
#include "testing/temp_dir.h"

extern char** environ;

namespace korv::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr const char* kCupsd = "/usr/sbin/cupsd";
constexpr const char* kLpadmin = "/usr/sbin/lpadmin";

// The least a PPD file needs for lpadmin to take it as a printer's driver.
std::string MinimalPpd(const std::string& model_name) {
  return "*PPD-Adobe: \"4.3\"\n*FormatVersion: \"4.3\"\n*FileVersion: \"1.0\"\n"
         "*LanguageVersion: English\n*LanguageEncoding: ISOLatin1\n*PCFileName: \"TEST.PPD\"\n"
         "*Manufacturer: \"Test\"\n*Product: \"(Test)\"\n*ModelName: \"" +
         model_name + "\"\n*ShortNickName: \"" + model_name + "\"\n*NickName: \"" + model_name +
         "\"\n*PSVersion: \"(3010.000) 0\"\n*LanguageLevel: \"3\"\n*ColorDevice: False\n"
         "*DefaultColorSpace: Gray\n*FileSystem: False\n*Throughput: \"1\"\n"
         "*LandscapeOrientation: Plus90\n*TTRasterizer: Type42\n"
         "*OpenUI *PageSize: PickOne\n*DefaultPageSize: Letter\n*PageSize Letter: \"\"\n"
         "*CloseUI: *PageSize\n*DefaultImageableArea: Letter\n"
         "*ImageableArea Letter: \"0 0 612 792\"\n*DefaultPaperDimension: Letter\n"
         "*PaperDimension Letter: \"612 792\"\n";
}

}  // namespace

PrivateCupsServer::PrivateCupsServer(const fs::path& root) : root_(root) {
  port_ = UnusedLoopbackPort();
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

PrivateCupsServer::~PrivateCupsServer() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  for (int i = 0; i < 100 && waitpid(pid_, nullptr, WNOHANG) == 0; ++i)
    std::this_thread::sleep_for(20ms);
  if (kill(pid_, SIGKILL) == 0) waitpid(pid_, nullptr, 0);
}

std::string PrivateCupsServer::Missing() {
  if (access(kCupsd, X_OK) != 0 || access(kLpadmin, X_OK) != 0)
    return "cupsd or lpadmin is not installed (scripts/setup.sh installs cups)";
  return {};
}

std::string PrivateCupsServer::Start() {
  std::string conf = (root_ / "cupsd.conf").string();
  std::string files = (root_ / "cups-files.conf").string();
  const char* argv[] = {kCupsd, "-f", "-c", conf.c_str(), "-s", files.c_str(), nullptr};
  if (posix_spawn(&pid_, kCupsd, nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
    return "cannot start cupsd";
  for (int i = 0; i < 250; ++i) {  // five seconds at most
    if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
      pid_ = 0;
      return "cupsd stopped: " + Log();
    }
    if (Answers()) return {};
    std::this_thread::sleep_for(20ms);
  }
  return "cupsd does not answer: " + Log();
}

bool PrivateCupsServer::AddRawQueue(const std::string& queue, const std::string& device_uri) {
  return AddQueue(queue, device_uri, "");
}

bool PrivateCupsServer::AddQueueWithDriver(const std::string& queue, const std::string& device_uri,
                                           const std::string& model_name) {
  fs::path ppd = root_ / (queue + ".ppd");
  WriteHostFile(ppd, MinimalPpd(model_name));
  return AddQueue(queue, device_uri, " -P " + ppd.string());
}

bool PrivateCupsServer::AddQueue(const std::string& queue, const std::string& device_uri,
                                 const std::string& extra) {
  return Run(kLpadmin, "-p " + queue + " -E -v " + device_uri + extra);
}

bool PrivateCupsServer::Stop(const std::string& queue) {
  return Run("/usr/sbin/cupsdisable", queue);
}

bool PrivateCupsServer::Run(const std::string& program, const std::string& arguments) {
  std::string command = "timeout 10 " + program + " -h " + Server() + " " + arguments + " >>" +
                        (root_ / "log" / "lpadmin").string() + " 2>&1";
  return std::system(command.c_str()) == 0;
}

std::string PrivateCupsServer::Log() const {
  return ReadHostFile(root_ / "log" / "error_log") + ReadHostFile(root_ / "log" / "lpadmin");
}

bool PrivateCupsServer::Answers() const {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(static_cast<uint16_t>(port_));
  bool ok = connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  close(fd);
  return ok;
}

}  // namespace korv::testing
