#include "scheduler/order_claim.h"

#include <cstdint>

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
  Release();
  const std::string header_path = DelayedHeaderPath(data_root, id);
  try {
    // Made when missing and never read: opened to append, it needs no look.
    claims_ = files_.Open(ClaimFilePath(data_root), OpenMode::kAppend);
    if (!files_.ClaimSlot(claims_, SlotOf(id))) {
      Release();
      return false;
    }
  } catch (...) {
    Release();
    throw;
  }
  try {
    header_ = files_.Open(header_path, OpenMode::kInput);
    if (files_.Claim(header_) && files_.StillNamed(header_, header_path)) return true;
  } catch (const RuntimeError&) {
    // Missing (sent elsewhere) or locked by the station that is sending it.
  }
  Release();
  return false;
}

void OrderClaim::Release() {
  for (int* file : {&header_, &claims_}) {
    if (*file != 0) files_.Close(*file);
    *file = 0;
  }
}

}  // namespace korv
