#include "platform/files/journal_file.h"

#include <gtest/gtest.h>

#include "common/runtime_error.h"
#include "testing/temp_dir.h"

namespace korv {
namespace {

using testing::ReadHostFile;
using testing::TempDir;
using testing::WriteHostFile;

TEST(JournalFileTest, WholeLinesSurviveAndALineCutShortIsNone) {
  TempDir dir;
  const std::filesystem::path path = dir.path() / "data/Journal/DS5.jnl";
  {
    JournalFile journal = JournalFile::Create(path, "begin");
    journal.Append("step\tArchiveLines");
    EXPECT_THROW(JournalFile::Create(path, "begin"), RuntimeError) << "one journal a send";
    try {
      JournalFile::Reopen(path);
      ADD_FAILURE() << "a journal in use is never taken over";
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.number(), 70);
    }
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(path.parent_path()), {}), 1)
      << "no temporary is left";
  EXPECT_EQ(ReadJournalLines(path), (std::vector<std::string>{"begin", "step\tArchiveLines"}));

  // A crash in the middle of a record leaves it without its line end.
  WriteHostFile(path, ReadHostFile(path) + "pio\t1");
  EXPECT_EQ(ReadJournalLines(path).size(), 2u);
  JournalFile reopened = JournalFile::Reopen(path);
  reopened.Append("pio\t17");
  EXPECT_EQ(ReadHostFile(path), "begin\nstep\tArchiveLines\npio\t17\n");
  reopened.Remove();
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_THROW(ReadJournalLines(path), RuntimeError);
}

}  // namespace
}  // namespace korv
