#include "platform/mail/mail_settings.h"

#include "common/runtime_error.h"
#include "common/setting_lines.h"
#include "common/val.h"
#include "platform/host/access_problem.h"

namespace korv {
namespace {

[[noreturn]] void Refuse(const std::string& source, const std::string& what) {
  throw RuntimeError(kErrInvalidCall, "Mail settings " + source + ": " + what);
}

std::string* Field(MailSettings& s, const std::string& key) {
  if (key == "server") return &s.server;
  if (key == "from") return &s.from;
  if (key == "to") return &s.to;
  if (key == "user") return &s.user;
  if (key == "password") return &s.password;
  return nullptr;
}

void RequireSet(const std::string& value, const char* key, const std::string& source) {
  if (value.empty()) Refuse(source, std::string("no \"") + key + "\" is set");
}

}  // namespace

MailSettings ParseMailSettings(std::string_view text, const std::string& source) {
  MailSettings settings;
  for (const SettingLine& line : ReadSettingLines(text, "Mail settings " + source + ": ")) {
    std::string* field = Field(settings, line.key);
    if (!field)
      Refuse(source,
             "line " + std::to_string(line.number) + ": unknown setting \"" + line.key + "\"");
    *field = line.value;
  }
  RequireSet(settings.server, "server", source);
  RequireSet(settings.from, "from", source);
  RequireSet(settings.to, "to", source);
  // Any other scheme (http://) would fail at the first mail, long after the
  // technician left; the URL itself may hold a password, so it is not shown.
  const std::string scheme = Lower(settings.server.substr(0, settings.server.find("://") + 3));
  if (scheme != "smtp://" && scheme != "smtps://")
    Refuse(source, "\"server\" must begin with smtp:// or smtps://");
  return settings;
}

MailSettings ReadMailSettings(FileSystem& files, const std::string& path) {
  const auto host = files.HostPath(path);
  if (!files.Exists(path)) {
    const std::string problem = AccessProblem(host, Access::kRead);
    if (problem.rfind("does not exist", 0) == 0)
      throw RuntimeError(kErrFileNotFound, "No mail settings: " + path + " " + problem);
    throw RuntimeError(kErrPermissionDenied,
                       "Mail settings " + path + " (" + host.string() + ") " + problem);
  }
  std::string text;
  try {
    text = files.ReadFileText(path);
  } catch (const RuntimeError& e) {
    throw RuntimeError(e.number(),
                       "Mail settings " + path + " (" + host.string() +
                           ") cannot be read: " + ExplainedFileError(e, host, Access::kRead));
  }
  return ParseMailSettings(text, path);
}

std::string RedactedUrl(std::string_view url) {
  size_t scheme = url.find("://");
  size_t host = scheme == std::string_view::npos ? 0 : scheme + 3;
  size_t path = url.find('/', host);
  size_t at = url.rfind('@', path == std::string_view::npos ? url.size() : path);
  if (at == std::string_view::npos || at < host) return std::string(url);
  return std::string(url.substr(0, host)) + std::string(url.substr(at + 1));
}

std::string BareAddress(std::string_view address) {
  size_t open = address.rfind('<');
  size_t close = address.rfind('>');
  if (open != std::string_view::npos && close != std::string_view::npos && close > open)
    return Trim(address.substr(open + 1, close - open - 1));
  return Trim(address);
}

}  // namespace korv
