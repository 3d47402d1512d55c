#include "common/delayed_send_log_name.h"

namespace korv {

std::string DelayedSendLogName(const std::string& data_root, const Date& day) {
  return data_root + "PhoneOrders\\" + FormatMMYY(day) + "DElayedSend.LOG";
}

}  // namespace korv
