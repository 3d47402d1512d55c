#pragma once
// A ticket printer on a device file (printers.conf "device:/dev/usb/lp0"):
// the job is written to the device, which is opened for each job and closed
// after it. The open never waits for a printer that is off (non-blocking),
// and the whole write must finish within the write timeout; a device that is
// missing, busy or refuses the data fails the job, which is sent again whole.
// A plain file as the device receives each job appended to it. Check opens
// the device for writing as a job would and closes it, writing nothing.
//
// A character device other than a serial line (a USB or parallel printer
// port reads the printer's answers back) is asked its printer's condition before and after each
// job, as a network printer is (socket_link.h), unless told not to (printers.conf "status=off"); a
// plain file is never asked.

#include <chrono>
#include <string>

#include "platform/print/printer_link.h"

namespace korv {

class DeviceLink : public PrinterLink {
 public:
  explicit DeviceLink(std::string path,
                      std::chrono::milliseconds write_timeout = std::chrono::seconds(10),
                      bool ask_status = true)
      : path_(std::move(path)), write_timeout_(write_timeout), ask_status_(ask_status) {}
  void Send(std::string_view bytes, const std::atomic<bool>& stop, LinkAttempt& attempt) override;
  std::string Check(std::chrono::milliseconds within) const override;
  PrinterCondition Ask(std::chrono::milliseconds within) const override;

 private:
  // A descriptor open for the job, for reading too when the device is to be
  // asked (*asks set then); raises 482 when it cannot be opened.
  int Open(bool* asks) const;

  std::string path_;
  std::chrono::milliseconds write_timeout_;
  bool ask_status_;
};

}  // namespace korv
