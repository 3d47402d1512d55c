#include "scheduler/order_claim.h"

#include "common/runtime_error.h"

namespace korv {

bool OrderClaim::Take(const std::string& header_path) {
  Release();
  try {
    file_ = files_.Open(header_path, OpenMode::kInput);
    if (files_.Claim(file_) && files_.StillNamed(file_, header_path)) return true;
  } catch (const RuntimeError&) {
    // Missing (sent elsewhere) or locked by the station that is sending it.
  }
  Release();
  return false;
}

void OrderClaim::Release() {
  if (file_ != 0) files_.Close(file_);
  file_ = 0;
}

}  // namespace korv
