#pragma once
// Mail through an SMTP server with libcurl, as the station's mail settings
// (mail.conf) name it. The settings are read at each call, so an edited file
// applies without a restart.
//
// A send is bounded: 5 s to connect, 30 s for the whole exchange. When a
// password is set the connection must be encrypted (smtps://, or STARTTLS on
// smtp://), so the password never crosses the network in clear; without one,
// STARTTLS is used when the server offers it.

#include <string>

#include "platform/files/file_system.h"
#include "platform/mail/mail.h"
#include "platform/mail/mail_settings.h"

namespace korv {

class SmtpMail : public Mail {
 public:
  explicit SmtpMail(FileSystem& files, std::string settings_path = kMailSettingsPath)
      : files_(files), settings_path_(std::move(settings_path)) {}

  std::string SupportAddress() override;
  // The note is a text/plain part; the attachment is sent base64-encoded
  // under its own file name. Transport failures raise 57 with the server
  // (without credentials) and the transport's reason; a missing attachment
  // raises 53; text that would break the message's header lines raises 5.
  void Send(const MailMessage& message) override;

 private:
  FileSystem& files_;
  std::string settings_path_;
};

}  // namespace korv
