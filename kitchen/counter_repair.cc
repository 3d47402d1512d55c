#include "kitchen/counter_repair.h"

#include <algorithm>
#include <regex>
#include <string>

#include "common/order_paths.h"
#include "common/steps.h"
#include "common/val.h"

namespace korv {
namespace {

// The archive records looked at, from its end: a day's orders, and more.
constexpr int64_t kArchiveRecords = 400;
constexpr int64_t kArchiveRecordLength = 2000;

bool WrittenToday(FileSystem& files, const std::string& path, const Date& today) {
  bool today_ = false;
  Steps::Skip()([&] { today_ = files.FileDateTime(path).date.Serial() == today.Serial(); });
  return today_;
}

// The highest count that follows "K-" in text.
int64_t HighestIn(const std::string& text, const std::regex& number) {
  int64_t highest = 0;
  for (std::sregex_iterator it(text.begin(), text.end(), number), end; it != end; ++it)
    highest = std::max(highest, static_cast<int64_t>(Val((*it)[1].str())));
  return highest;
}

// A monitor file is named by the last five characters of "00000K-<count>".
int64_t MonitorFiles(FileSystem& files, const std::string& folder, const Date& today) {
  int64_t highest = 0;
  for (const std::string& name : files.List(folder, "*.dat")) {
    if (!WrittenToday(files, folder + name, today)) continue;
    const std::string stem = name.substr(0, name.find('.'));
    const size_t digits = stem.find_last_not_of("0123456789");
    highest = std::max(highest, static_cast<int64_t>(Val(stem.substr(digits + 1))));
  }
  return highest;
}

}  // namespace

int64_t HighestKitchenNumberToday(const Station& station, FileSystem& files, const Date& today) {
  static const std::regex kept(R"(keep\tkitchen\tK-(\d{1,9}))");
  static const std::regex ticket(R"(\r\nK-(\d{1,9})\r\n)");
  int64_t highest = 0;
  Steps::Skip()([&] {
    highest = std::max(highest, MonitorFiles(files, station.DataRoot + "KitMonitor\\", today));
  });
  Steps::Skip()([&] {
    const std::string folder = SendJournalFolder(station.LocalRoot);
    for (const std::string& name : files.List(folder, "*.jnl"))
      highest = std::max(highest, HighestIn(files.ReadFileText(folder + name), kept));
  });
  Steps::Skip()([&] {
    const std::string archive = station.LocalRoot + "data\\KitData.Dat";
    if (!WrittenToday(files, archive, today)) return;
    const std::string text = files.ReadFileText(archive);
    const size_t tail = static_cast<size_t>(kArchiveRecords * kArchiveRecordLength);
    highest = std::max(
        highest, HighestIn(text.size() > tail ? text.substr(text.size() - tail) : text, ticket));
  });
  return highest;
}

}  // namespace korv
