#include "scheduler/order_claim.h"

#include <cstdint>
#include <system_error>
#include <utility>

#include "common/order_paths.h"
#include "common/runtime_error.h"
#include "common/val.h"

namespace korv {
namespace {

// The slot of a header in the claim file: a 64-bit FNV-1a hash of its name in
// lower case, the same on every station ("ds5.ph" for DS5.PH and ds5.ph).
uint64_t SlotOf(const std::string& id) {
  uint64_t hash = 14695981039346656037ull;
  for (char c : Lower(id + ".PH")) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  return hash;
}

}  // namespace

bool OrderClaim::Take(const std::string& data_root, const std::string& id) {
  return TakeSlot(data_root, id) && TakeHeader(data_root, id);
}

bool OrderClaim::TakeSlot(const std::string& data_root, const std::string& id) {
  Release();
  // On a share each open of the claim file costs round trips: one pass
  // claims all its orders through the same open file.
  if (claims_ != 0 && (claims_pass_ == 0 || claims_pass_ != files_.Pass())) CloseClaims();
  try {
    // Made when missing and never read: opened to append, it needs no look.
    if (claims_ == 0) {
      claims_ = files_.Open(ClaimFilePath(data_root), OpenMode::kAppend);
      claims_pass_ = files_.Pass();
    }
    slot_ = SlotOf(id);
    slot_held_ = files_.ClaimSlot(claims_, slot_);
  } catch (...) {
    Close();
    throw;
  }
  if (!slot_held_) Release();
  return slot_held_;
}

bool OrderClaim::TakeHeader(const std::string& data_root, const std::string& id) {
  const std::string header_path = DelayedHeaderPath(data_root, id);
  try {
    header_ = files_.Open(header_path, OpenMode::kInput);
    if (files_.Claim(header_) && files_.StillNamed(header_, header_path)) return true;
  } catch (const RuntimeError&) {
    // Missing (sent elsewhere) or locked by the station that is sending it.
  }
  Release();
  return false;
}

void OrderClaim::LetGoneHeaderGo() {
  if (header_ == 0) return;
  const int header = std::exchange(header_, 0);
  try {
    letting_go_ = std::async(std::launch::async, [this, header] { files_.Close(header); });
  } catch (const std::system_error&) {
    files_.Close(header);  // no thread to be had: closed here, as before
  }
}

void OrderClaim::Release() {
  if (letting_go_.valid()) letting_go_.get();
  if (header_ != 0) files_.Close(header_);
  header_ = 0;
  if (slot_held_) files_.ReleaseSlot(claims_, slot_);
  slot_held_ = false;
  if (claims_pass_ == 0) CloseClaims();
}

void OrderClaim::Close() {
  Release();
  CloseClaims();
}

void OrderClaim::CloseClaims() {
  if (claims_ != 0) files_.Close(claims_);  // and with it any slot it held
  claims_ = 0;
  claims_pass_ = 0;
  slot_held_ = false;
}

}  // namespace korv
