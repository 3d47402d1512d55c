// korvtool's command lines as a technician types them, mistakes included:
// what is refused, with which exit status, and that a refusal writes nothing.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "testing/program_run.h"
#include "testing/temp_dir.h"

namespace korv {
namespace {

TEST(KorvtoolArguments, MistakesAreRefusedWithTheirStatusAndNothingWritten) {
  testing::TempDir dir;
  const std::string korvtool = testing::BuiltProgram("korvtool");
  const std::string root = " --root " + dir.path().string();
  ASSERT_EQ(testing::RunProgram(korvtool + " init" + root).status, 0);
  const struct {
    std::string args;
    int status;
    const char* said;
  } cases[] = {
      {"orders --bogus" + root, 2, "unknown option --bogus of 'orders'; usage: korvtool orders"},
      {"check --bogus" + root, 2, "unknown option --bogus of 'check'"},
      {"init --bogus" + root, 2, "unknown option --bogus of 'init'"},
      {"check --root " + dir.path().string() + "/none", 2, "/none is not a folder"},
      {"orders --root " + dir.path().string() + "/none", 2, "/none is not a folder"},
      // The records up to a customer's number are written as blanks: ten
      // digits would fill the share's disk.
      {"customer add 2000000000 --name X" + root, 1,
       "CustData.dat) holds 0 records, and a new one may lie at most 1000 past its end"},
      {"customer add 1001 --name X" + root, 1, "(customer 1000 at most)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    const testing::ProgramRun run = testing::RunProgram(korvtool + " " + c.args);
    EXPECT_EQ(run.status, c.status) << run.output;
    EXPECT_NE(run.output.find(c.said), std::string::npos) << run.output;
  }
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "f/KORVAIN/data/CustData.dat"));
  EXPECT_EQ(testing::RunProgram(korvtool + " customer add 1000 --name X" + root).status, 0);
  EXPECT_EQ(std::filesystem::file_size(dir.path() / "f/KORVAIN/data/CustData.dat"), 2000000u);
}

}  // namespace
}  // namespace korv
