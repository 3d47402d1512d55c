#include "platform/mail/mail_settings.h"

#include "common/runtime_error.h"
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

// The value after "=": a "#" after a blank or a tab starts a comment, except
// as the value's first character; any other "#" is part of the value, so
// "password = a#b" and "password = #ab" keep theirs.
std::string ValueOf(std::string_view text) {
  std::string value = Trim(text);
  for (size_t i = 1; i < value.size(); ++i)
    if (value[i] == '#' && (value[i - 1] == ' ' || value[i - 1] == '\t')) value.resize(i);
  while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.pop_back();
  return value;
}

void RequireSet(const std::string& value, const char* key, const std::string& source) {
  if (value.empty()) Refuse(source, std::string("no \"") + key + "\" is set");
}

}  // namespace

MailSettings ParseMailSettings(std::string_view text, const std::string& source) {
  MailSettings settings;
  int line_number = 0;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view raw = text.substr(pos, end - pos);
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    std::string line = Trim(raw);
    pos = end + 1;
    ++line_number;
    if (line.empty() || line[0] == '#') continue;
    const std::string where = "line " + std::to_string(line_number);
    size_t eq = line.find('=');
    if (eq == std::string::npos) Refuse(source, where + " is not \"key = value\"");
    std::string key = Lower(Trim(line.substr(0, eq)));
    std::string* field = Field(settings, key);
    if (!field) Refuse(source, where + ": unknown setting \"" + key + "\"");
    *field = ValueOf(line.substr(eq + 1));
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
