#include "platform/screen/journal_priority.h"

#include <sys/stat.h>

#include <cstdlib>
#include <string>

namespace korv {

std::string PriorityMark(Priority priority) {
  switch (priority) {
    case Priority::kError:
      return "<3>";
    case Priority::kWarning:
      return "<4>";
    case Priority::kInfo:
      break;
  }
  return "<6>";
}

size_t PriorityMarkLength(std::string_view line) {
  const bool marked =
      line.size() >= 3 && line[0] == '<' && line[1] >= '0' && line[1] <= '7' && line[2] == '>';
  return marked ? 3 : 0;
}

bool IsJournalStream(int fd) {
  const char* named = std::getenv("JOURNAL_STREAM");
  struct stat st;
  if (named == nullptr || fstat(fd, &st) != 0) return false;
  return named == std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
}

}  // namespace korv
