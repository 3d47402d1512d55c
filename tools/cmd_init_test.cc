// korvtool init on a station that is already set up, as the desktop set-up
// has a technician do: F: is the restaurant's shared tree, and nothing of it
// may be lost.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "common/record_tables.h"
#include "testing/program_run.h"
#include "testing/temp_dir.h"

namespace korv {
namespace {

namespace fs = std::filesystem;
using testing::ReadHostFile;
using testing::WriteHostFile;

class InitOverAStation : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(Init("").status, 0);
    StationConfig config(ReadHostFile(dir.path() / "c/Korvain/KorvINI.dat"));
    config.Set(ConfigField::RestaurantName, "THE RESTAURANT");
    config.Set(ConfigField::DataRoot, "G:\\SHARED\\");
    own["c/Korvain/KorvINI.dat"] = config.bytes();
    for (const char* file :
         {"c/Korvain/printers.conf", "g/SHARED/ini/MainButtons.dat", "g/SHARED/ini/Button0.dat"})
      own[file] = std::string("the restaurant's ") + file;
    for (const auto& [file, bytes] : own) WriteHostFile(dir.path() / file, bytes);
  }
  testing::ProgramRun Init(const std::string& options) {
    return testing::RunProgram(testing::BuiltProgram("korvtool") + " init --root " +
                               dir.path().string() + " " + options);
  }
  // Copies of `file` that init kept beside it.
  std::vector<fs::path> CopiesOf(const std::string& file) const {
    std::vector<fs::path> copies;
    const fs::path path = dir.path() / file;
    for (const auto& entry : fs::directory_iterator(path.parent_path())) {
      const std::string name = entry.path().filename().string();
      if (name != path.filename().string() && name.rfind(path.filename().string() + ".", 0) == 0 &&
          entry.path().extension() == ".bak")
        copies.push_back(entry.path());
    }
    std::sort(copies.begin(), copies.end());
    return copies;
  }

  std::map<std::string, std::string> own;  // the restaurant's files and their bytes
  testing::TempDir dir;
};

TEST_F(InitOverAStation, KeepsEveryFileSaysSoAndFillsTheKeptConfigurationsTree) {
  const testing::ProgramRun run = Init("");
  ASSERT_EQ(run.status, 0) << run.output;
  for (const auto& [file, bytes] : own) EXPECT_EQ(ReadHostFile(dir.path() / file), bytes) << file;
  for (const char* kept : {"kept C:\\Korvain\\KorvINI.dat", "kept C:\\Korvain\\printers.conf",
                           "kept the menu in G:\\SHARED\\ini\\"})
    EXPECT_NE(run.output.find(kept), std::string::npos) << run.output;
  EXPECT_FALSE(fs::exists(dir.path() / "g/SHARED/ini/Button7.dat")) << "no sample page mixed in";
  EXPECT_TRUE(fs::is_directory(dir.path() / "g/SHARED/PhoneOrders/Deleted")) << run.output;

  // Refused, with nothing written: another shared tree than the kept
  // configuration's, and demo customers and orders in a restaurant's files.
  EXPECT_EQ(Init("--data-root 'F:\\KORVAIN\\'").status, 1);
  EXPECT_EQ(Init("--demo").status, 1);
  EXPECT_FALSE(fs::exists(dir.path() / "g/SHARED/data/CustData.dat"));
  for (const auto& [file, bytes] : own) EXPECT_EQ(ReadHostFile(dir.path() / file), bytes) << file;
}

TEST_F(InitOverAStation, ReplaceKeepsACopyOfEachFileItReplaces) {
  const std::string replace = "--replace --data-root 'G:\\SHARED\\'";
  const testing::ProgramRun run = Init(replace);
  ASSERT_EQ(run.status, 0) << run.output;
  for (const auto& [file, bytes] : own) {
    SCOPED_TRACE(file);
    EXPECT_NE(ReadHostFile(dir.path() / file), bytes);
    const std::vector<fs::path> copies = CopiesOf(file);
    ASSERT_EQ(copies.size(), 1u) << run.output;
    EXPECT_EQ(ReadHostFile(copies[0]), bytes);
  }
  // Once more, within the same second: a file that is already the new
  // station's is left alone, and a copy never goes over an earlier one.
  WriteHostFile(dir.path() / "g/SHARED/ini/Button0.dat", "changed again");
  const testing::ProgramRun again = Init(replace);
  ASSERT_EQ(again.status, 0) << again.output;
  EXPECT_EQ(CopiesOf("c/Korvain/KorvINI.dat").size(), 1u) << again.output;
  std::vector<fs::path> copies = CopiesOf("g/SHARED/ini/Button0.dat");
  ASSERT_EQ(copies.size(), 2u) << again.output;
  EXPECT_EQ((std::set<std::string>{ReadHostFile(copies[0]), ReadHostFile(copies[1])}),
            (std::set<std::string>{own["g/SHARED/ini/Button0.dat"], "changed again"}));
}

}  // namespace
}  // namespace korv
