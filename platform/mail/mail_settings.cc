#include "platform/mail/mail_settings.h"

#include "common/runtime_error.h"
#include "common/setting_lines.h"
#include "common/val.h"

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
  return settings;
}

MailSettings ReadMailSettings(FileSystem& files, const std::string& path) {
  if (!files.Exists(path))
    throw RuntimeError(kErrFileNotFound, "No mail settings: " + path + " does not exist");
  return ParseMailSettings(files.ReadFileText(path), path);
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
