// The station's standard error as systemd's journal and as a terminal get
// it: the journal every line's priority before the program's name, so that
// journalctl -p err shows the faults alone; a terminal the lines unmarked.

#include "app/prefixed_stderr.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <sstream>
#include <string>

#include "testing/temp_dir.h"

namespace korv {
namespace {

// $JOURNAL_STREAM as it was before the test, given back after it.
class JournalStreamVariable {
 public:
  JournalStreamVariable() {
    if (const char* value = std::getenv("JOURNAL_STREAM")) saved_ = value;
  }
  ~JournalStreamVariable() { Set(saved_); }
  static void Set(const std::optional<std::string>& value) {
    if (value)
      setenv("JOURNAL_STREAM", value->c_str(), 1);
    else
      unsetenv("JOURNAL_STREAM");
  }

 private:
  std::optional<std::string> saved_;
};

TEST(PrefixedStderr, TheJournalGetsEachLinesPriorityBeforeTheNameATerminalTheLinesAsBefore) {
  testing::TempDir dir;
  const int fd = open((dir.path() / "stderr").c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600);
  ASSERT_GE(fd, 0);
  struct stat st;
  ASSERT_EQ(fstat(fd, &st), 0);
  const std::string dev = std::to_string(st.st_dev) + ":";
  JournalStreamVariable saved;

  const struct {
    std::string written;
    std::string journal;  // and without the journal: the line after its mark
  } lines[] = {
      {"<3>the station stops: the share is gone\n",
       "<3>korv-delayed-send: the station stops: the share is gone\n"},
      {"<4>korv-delayed-send: Printer BAR (socket://10.0.0.5:9100) holds its print jobs back\n",
       "<4>korv-delayed-send: Printer BAR (socket://10.0.0.5:9100) holds its print jobs back\n"},
      {"<6>korv-delayed-send: sent DS5 as phone order 1 for Margaret Hale\n",
       "<6>korv-delayed-send: sent DS5 as phone order 1 for Margaret Hale\n"},
      // A line without a mark is information; text that only looks like a
      // mark stays text.
      {"korv-delayed-send: watching F:\\KORVAIN\\PhoneOrders\\\n",
       "<6>korv-delayed-send: watching F:\\KORVAIN\\PhoneOrders\\\n"},
      {"<9> is no priority\n", "<6>korv-delayed-send: <9> is no priority\n"},
      {"<4>", ""},  // a mark written apart from its line
      {"spool still holds tickets\n", "<4>korv-delayed-send: spool still holds tickets\n"},
      // A line left without its end when the station ends.
      {"<3>cut short", "<3>korv-delayed-send: cut short\n"},
  };
  const struct {
    std::optional<std::string> journal_stream;
    bool journal;
  } streams[] = {
      {dev + std::to_string(st.st_ino), true},
      {dev + std::to_string(st.st_ino + 1), false},  // the journal's, handed on elsewhere
      {"", false},
      {std::nullopt, false},
  };
  for (const auto& stream : streams) {
    SCOPED_TRACE(stream.journal_stream.value_or("unset"));
    JournalStreamVariable::Set(stream.journal_stream);
    std::ostringstream out;
    std::string expected;
    {
      PrefixedStderr prefixed("korv-delayed-send: ", out, fd);
      for (const auto& line : lines) {
        out << line.written;
        expected += stream.journal ? line.journal : line.journal.substr(line.journal.find('>') + 1);
      }
    }
    EXPECT_EQ(out.str(), expected);
  }
  close(fd);
}

}  // namespace
}  // namespace korv
