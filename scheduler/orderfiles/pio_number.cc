#include "scheduler/orderfiles/pio_number.h"

#include <cmath>
#include <string>

#include "common/quoted_list.h"
#include "common/val.h"
#include "platform/files/open_file_guard.h"

namespace korv {
namespace {

constexpr int kLastPioNumber = 498;

}  // namespace

int PioNumberAfter(std::string_view counter_text) {
  std::string field;
  if (!counter_text.empty()) field = QuotedReader(std::string(counter_text)).ReadField();
  double next = std::floor(Val(field)) + 1;
  if (next < 1 || next > kLastPioNumber) return 1;
  return static_cast<int>(next);
}

void NextPioNumber(Station& station, FileSystem& files) {
  std::string path = station.DataRoot + "data\\PioNumber.dat";
  files.CloseAll();
  int n = 1;
  {
    // The read and the write are one lock period: two stations drawing at
    // once must never both see the same last number.
    int file = files.Open(path, OpenMode::kReadWrite);
    OpenFileGuard guard(files, file);
    files.Lock(file);
    n = PioNumberAfter(files.ReadAll(file));
    files.Rewrite(file, QuotedLine({std::to_string(n)}));
    files.Flush(file);
  }  // the guard's close lets the lock go
  station.PioNumber = n;
  station.PioNumberText = std::to_string(n);
}

}  // namespace korv
