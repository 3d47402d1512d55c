#include "platform/mail/smtp_mail.h"

#include <ctime>
#include <memory>

#include "common/runtime_error.h"
#include "platform/mail/curl_calls.h"

namespace korv {
namespace {

constexpr long kConnectTimeoutS = 5;
constexpr long kTransferTimeoutS = 30;

// Only ever holding what the loaded library made.
struct CurlDeleter {
  void operator()(CURL* c) const { Curl().easy_cleanup(c); }
  void operator()(curl_mime* m) const { Curl().mime_free(m); }
  void operator()(curl_slist* l) const { Curl().slist_free_all(l); }
};
using CurlPtr = std::unique_ptr<CURL, CurlDeleter>;
using MimePtr = std::unique_ptr<curl_mime, CurlDeleter>;
using ListPtr = std::unique_ptr<curl_slist, CurlDeleter>;

// A header line holding a line break would let its text start new header
// lines of its own.
void RequireOneLine(const std::string& text, const char* what) {
  if (text.find_first_of("\r\n") != std::string::npos)
    throw RuntimeError(kErrInvalidCall,
                       std::string("Mail not sent: the ") + what + " holds a line break");
}

std::string FileName(const std::string& windows_path) {
  size_t slash = windows_path.find_last_of("\\/");
  return slash == std::string::npos ? windows_path : windows_path.substr(slash + 1);
}

std::string DateHeader() {
  std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char text[64];
  std::strftime(text, sizeof text, "Date: %a, %d %b %Y %H:%M:%S +0000", &utc);
  return text;
}

void Append(ListPtr& list, const std::string& line) {
  curl_slist* grown = Curl().slist_append(list.get(), line.c_str());
  if (!grown) throw RuntimeError(kErrInvalidCall, "Mail not sent: out of memory");
  list.release();
  list.reset(grown);
}

// Replaces every copy of the secret, in case a transport message quotes it.
// "<address>", the envelope's form.
std::string InAngles(const std::string& address) {
  std::string text(1, '<');
  text.append(address).append(1, '>');
  return text;
}

std::string Scrub(std::string text, const std::string& secret) {
  if (secret.empty()) return text;
  for (size_t at = text.find(secret); at != std::string::npos; at = text.find(secret, at))
    text.replace(at, secret.size(), "****");
  return text;
}

MimePtr BuildBody(CURL* curl, const MailMessage& message, const std::string& host_attachment) {
  const CurlCalls& c = Curl();
  MimePtr mime(c.mime_init(curl));
  curl_mimepart* note = c.mime_addpart(mime.get());
  c.mime_data(note, message.note.data(), message.note.size());
  c.mime_type(note, "text/plain; charset=windows-1252");
  curl_mimepart* file = c.mime_addpart(mime.get());
  if (c.mime_filedata(file, host_attachment.c_str()) != CURLE_OK)
    throw RuntimeError(kErrFileNotFound, "Mail not sent: cannot attach " + message.attachment);
  c.mime_filename(file, FileName(message.attachment).c_str());
  c.mime_type(file, "text/plain");
  c.mime_encoder(file, "base64");
  return mime;
}

}  // namespace

std::string SmtpMail::SupportAddress() { return ReadMailSettings(files_, settings_path_).to; }

void SmtpMail::Send(const MailMessage& message) {
  const MailSettings settings = ReadMailSettings(files_, settings_path_);
  RequireOneLine(message.recipient, "recipient");
  RequireOneLine(message.subject, "subject");
  RequireOneLine(settings.from, "sender");
  if (!files_.Exists(message.attachment))
    throw RuntimeError(kErrFileNotFound,
                       "Mail not sent: attachment " + message.attachment + " does not exist");
  const CurlCalls& calls = Curl();
  CurlPtr curl(calls.easy_init());
  if (!curl) throw RuntimeError(kErrDeviceIO, "Mail not sent: the mail transport did not start");
  CURL* c = curl.get();

  MimePtr body = BuildBody(c, message, files_.HostPath(message.attachment).string());
  ListPtr headers;
  Append(headers, DateHeader());
  Append(headers, "From: " + settings.from);
  Append(headers, "To: " + message.recipient);
  Append(headers, "Subject: " + message.subject);
  ListPtr recipients;
  Append(recipients, InAngles(BareAddress(message.recipient)));
  const std::string mail_from = InAngles(BareAddress(settings.from));
  char error[CURL_ERROR_SIZE] = "";

  calls.easy_setopt(c, CURLOPT_URL, settings.server.c_str());
  calls.easy_setopt(c, CURLOPT_PROTOCOLS_STR, "smtp,smtps");
  calls.easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
  calls.easy_setopt(c, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutS);
  calls.easy_setopt(c, CURLOPT_TIMEOUT, kTransferTimeoutS);
  calls.easy_setopt(c, CURLOPT_ERRORBUFFER, error);
  calls.easy_setopt(c, CURLOPT_USE_SSL,
                    static_cast<long>(settings.password.empty() ? CURLUSESSL_TRY : CURLUSESSL_ALL));
  if (!settings.user.empty()) calls.easy_setopt(c, CURLOPT_USERNAME, settings.user.c_str());
  if (!settings.password.empty()) calls.easy_setopt(c, CURLOPT_PASSWORD, settings.password.c_str());
  calls.easy_setopt(c, CURLOPT_MAIL_FROM, mail_from.c_str());
  calls.easy_setopt(c, CURLOPT_MAIL_RCPT, recipients.get());
  calls.easy_setopt(c, CURLOPT_HTTPHEADER, headers.get());
  calls.easy_setopt(c, CURLOPT_MIMEPOST, body.get());

  CURLcode result = calls.easy_perform(c);
  if (result == CURLE_OK) return;
  std::string reason = error[0] ? error : calls.easy_strerror(result);
  throw RuntimeError(kErrDeviceIO,
                     Scrub("Mail not sent through " + RedactedUrl(settings.server) + ": " + reason,
                           settings.password));
}

}  // namespace korv
