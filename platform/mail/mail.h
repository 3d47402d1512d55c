#pragma once
// The platform's simple mail interface: one message, sent without any dialog,
// with a note and one attached file. The station mails its trace log to
// technical support through it.

#include <string>

namespace korv {

struct MailMessage {
  std::string recipient;  // one address ("support@example.com")
  std::string subject;
  std::string note;        // the message text
  std::string attachment;  // Windows path of the file to attach
};

class Mail {
 public:
  virtual ~Mail() = default;
  // The technical-support address of the station's mail settings. Raises
  // RuntimeError when the settings cannot be read or name none.
  virtual std::string SupportAddress() = 0;
  // Sends the message and returns once the mail server has taken it. Raises
  // RuntimeError when it was not sent (no settings, no server, the attachment
  // missing, the server refusing it); no description ever holds a password.
  virtual void Send(const MailMessage& message) = 0;
};

}  // namespace korv
