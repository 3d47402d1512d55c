#include "platform/files/file_system.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "common/runtime_error.h"
#include "testing/temp_dir.h"

namespace korv {
namespace {

using testing::ReadHostFile;
using testing::TempDir;
using testing::WriteHostFile;

int ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const RuntimeError& e) {
    return e.number();
  }
  return 0;
}

class FileSystemTest : public ::testing::Test {
 protected:
  TempDir dir;
  FileSystem files{PathMap(dir.path())};
};

TEST_F(FileSystemTest, WindowsPathsMapUnderTheRootWhateverTheirLetterCase) {
  WriteHostFile(dir.path() / "f/KORVAIN/PhoneOrders/DS5.Pio", "x");
  EXPECT_EQ(files.HostPath("F:\\KORVAIN\\PhoneOrders\\DS5.PIO"),
            dir.path() / "f/KORVAIN/PhoneOrders/DS5.Pio");
  EXPECT_EQ(files.HostPath("f:\\korvain\\\\phoneorders\\ds5.pio"),
            dir.path() / "f/KORVAIN/PhoneOrders/DS5.Pio");
  EXPECT_TRUE(files.Exists("F:\\Korvain\\PHONEORDERS\\ds5.pio"));
  // A new file keeps the name as written; ".." never climbs out of the drive.
  EXPECT_EQ(files.HostPath("F:\\KORVAIN\\PhoneOrders\\7.pio"),
            dir.path() / "f/KORVAIN/PhoneOrders/7.pio");
  EXPECT_EQ(files.HostPath("C:\\..\\..\\etc\\passwd"), dir.path() / "c/etc/passwd");
  EXPECT_EQ(files.HostPath("\\\\server\\share\\a.txt"), dir.path() / "unc/server/share/a.txt");
  EXPECT_EQ(files.HostPath("/var/spool/x"), std::filesystem::path("/var/spool/x"));
}

TEST_F(FileSystemTest, ListsByPatternInCaseInsensitiveNameOrder) {
  for (const char* name : {"DS2.PH", "DS10.PH", "ds9.ph", "DS2.Pio", "1.PH", "DSX.PHX"})
    WriteHostFile(dir.path() / "f/PhoneOrders" / name, "");
  EXPECT_EQ(files.List("F:\\PhoneOrders\\", "DS*.PH"),
            (std::vector<std::string>{"DS10.PH", "DS2.PH", "ds9.ph"}));
  EXPECT_TRUE(files.List("F:\\Missing\\", "DS*.PH").empty());
  EXPECT_TRUE(WildcardMatch("?S*.p?", "DS12.PH"));
  EXPECT_FALSE(WildcardMatch("DS*.PH", "DS12.PHX"));
}

TEST_F(FileSystemTest, QuotedFieldsAndRecordsGoThroughHandles) {
  int out = 0;
  EXPECT_EQ(ErrorOf([&] { out = files.Open("C:\\x\\h.PH", OpenMode::kOutput); }), 76);
  files.MakeFolders("C:\\x");
  out = files.Open("C:\\x\\h.PH", OpenMode::kOutput);
  files.Lock(out);
  files.WriteFields(out, {"a", "b"});
  files.Unlock(out);
  files.CloseAll();
  EXPECT_EQ(ReadHostFile(dir.path() / "c/x/h.PH"), "\"a\",\"b\"\r\n");

  int in = files.Open("c:\\X\\H.ph", OpenMode::kInput);
  EXPECT_EQ(files.ReadFields(in, 2), (std::vector<std::string>{"a", "b"}));
  EXPECT_TRUE(files.Eof(in));
  EXPECT_EQ(ErrorOf([&] { files.ReadField(in); }), 62);
  files.Close(in);
  EXPECT_EQ(ErrorOf([&] { files.ReadField(in); }), 52);
  EXPECT_EQ(ErrorOf([&] { files.Open("C:\\x\\none.PH", OpenMode::kInput); }), 53);

  int rnd = files.Open("C:\\x\\cust.dat", OpenMode::kRandom, 2000);
  files.PutRecord(rnd, 25, "0025");
  EXPECT_EQ(files.Lof(rnd), 50000);
  EXPECT_EQ(files.GetRecord(rnd, 25).substr(0, 6), "0025  ");
  EXPECT_EQ(files.GetRecord(rnd, 99), std::string(2000, ' ')) << "past the end reads blank";
  EXPECT_EQ(ErrorOf([&] { files.GetRecord(rnd, 0); }), 63);
  files.CloseAll();
  EXPECT_EQ(ReadHostFile(dir.path() / "c/x/cust.dat").substr(48000, 4), "0025");
}

TEST_F(FileSystemTest, CopyReplacesKillRemovesAndMissingFilesAre53) {
  WriteHostFile(dir.path() / "f/a.txt", "new");
  WriteHostFile(dir.path() / "f/b.txt", "old and longer");
  files.Copy("F:\\A.TXT", "F:\\b.txt");
  EXPECT_EQ(ReadHostFile(dir.path() / "f/b.txt"), "new");
  EXPECT_EQ(files.FileLen("F:\\b.txt"), 3);
  files.Kill("F:\\b.txt");
  EXPECT_FALSE(files.Exists("F:\\b.txt"));
  EXPECT_EQ(ErrorOf([&] { files.Kill("F:\\b.txt"); }), 53);
  EXPECT_EQ(ErrorOf([&] { files.Copy("F:\\none.txt", "F:\\c.txt"); }), 53);
  EXPECT_EQ(ErrorOf([&] { files.Copy("F:\\a.txt", "F:\\nofolder\\c.txt"); }), 76);
  EXPECT_EQ(files.List("F:\\", "*"), std::vector<std::string>{"a.txt"}) << "no copy left over";
}

// Holds a whole-file lock in a child process until the pipe closes.
pid_t HoldLockInChild(const std::filesystem::path& root, const char* path, int& release_fd) {
  int ready[2], release[2];
  EXPECT_EQ(pipe(ready), 0);
  EXPECT_EQ(pipe(release), 0);
  pid_t pid = fork();
  if (pid == 0) {
    close(ready[0]);
    close(release[1]);  // else the child never sees the parent let go
    FileSystem child{PathMap(root)};
    int h = child.Open(path, OpenMode::kRandom, 10);
    child.Lock(h);
    char c = 1;
    (void)!write(ready[1], &c, 1);
    (void)!read(release[0], &c, 1);
    _exit(0);
  }
  char c;
  EXPECT_EQ(read(ready[0], &c, 1), 1);
  close(ready[0]);
  close(ready[1]);
  close(release[0]);
  release_fd = release[1];
  return pid;
}

TEST_F(FileSystemTest, ALockHeldByAnotherProcessFailsWith70UntilItEnds) {
  files.MakeFolders("F:\\data");
  WriteHostFile(dir.path() / "f/data/PioNumber.dat", "\"7\"\r\n");
  int release;
  pid_t child = HoldLockInChild(dir.path(), "F:\\data\\PioNumber.dat", release);

  int h = files.Open("F:\\data\\PioNumber.dat", OpenMode::kInput);
  EXPECT_EQ(ErrorOf([&] { files.Lock(h); }), 70);
  EXPECT_EQ(ErrorOf([&] { files.Open("F:\\data\\PioNumber.dat", OpenMode::kOutput); }), 70);
  EXPECT_EQ(ReadHostFile(dir.path() / "f/data/PioNumber.dat"), "\"7\"\r\n")
      << "a file locked elsewhere is never emptied";

  close(release);
  int status;
  waitpid(child, &status, 0);
  files.Lock(h);
  EXPECT_EQ(files.ReadField(h), "7");
  files.CloseAll();
}

TEST_F(FileSystemTest, ALockIsPerOpenFileNotPerProcess) {
  files.MakeFolders("F:\\data");
  int a = files.Open("F:\\data\\c.dat", OpenMode::kRandom, 10);
  files.Lock(a);
  FileSystem other{PathMap(dir.path())};
  int b = other.Open("F:\\data\\c.dat", OpenMode::kRandom, 10);
  EXPECT_EQ(ErrorOf([&] { other.Lock(b); }), 70);
  int c = files.Open("F:\\data\\c.dat", OpenMode::kRandom, 10);
  files.Close(c);  // closing another descriptor of the file keeps the lock
  EXPECT_EQ(ErrorOf([&] { other.Lock(b); }), 70);
  files.Unlock(a);
  other.Lock(b);
}

}  // namespace
}  // namespace korv
