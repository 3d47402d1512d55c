#include "platform/files/file_system.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include "common/runtime_error.h"
#include "platform/files/temp_files.h"
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

// While it lives, the process may write files up to `bytes` long; a write
// past that fails (EFBIG) instead of ending the process.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &before_);
    old_handler_ = signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{bytes, before_.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &before_);
    signal(SIGXFSZ, old_handler_);
  }

 private:
  rlimit before_{};
  sighandler_t old_handler_;
};

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
  for (const char* name : {"DS2.PH", "DS10.PH", "ds9.ph", "DS2.Pio", "1.PH", "DSX.PHX", "ds2.PH"})
    WriteHostFile(dir.path() / "f/PhoneOrders" / name, "");
  std::filesystem::create_directory(dir.path() / "f/PhoneOrders/DS3.PH");
  std::filesystem::create_symlink("DS2.Pio", dir.path() / "f/PhoneOrders/DS4.PH");
  std::filesystem::create_symlink("gone", dir.path() / "f/PhoneOrders/DS5.PH");
  EXPECT_EQ(files.List("F:\\PhoneOrders\\", "DS*.PH"),
            (std::vector<std::string>{"DS10.PH", "DS2.PH", "ds2.PH", "DS4.PH", "ds9.ph"}))
      << "files and links to files only; names equal ignoring case keep text order";
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
  const std::optional<FileStamp> before = files.Stamp("F:\\b.txt");
  files.Copy("F:\\A.TXT", "F:\\b.txt");
  EXPECT_EQ(ReadHostFile(dir.path() / "f/b.txt"), "new");
  EXPECT_EQ(files.FileLen("F:\\b.txt"), 3);
  ASSERT_TRUE(before && files.Stamp("F:\\b.txt"));
  EXPECT_EQ(files.Stamp("F:\\b.txt")->ino, before->ino)
      << "an existing target is rewritten in place: another station's hold on it stays";
  EXPECT_NE(*files.Stamp("F:\\b.txt"), *before);
  EXPECT_EQ(FileStamp::FromText(before->Text()), before);
  // A stamp taken from a read names the same file and text as one taken by
  // a look of its own: a send compares the two before it deletes its order.
  const int h = files.Open("F:\\b.txt", OpenMode::kInput);
  EXPECT_FALSE(files.WhatWasRead(h));
  files.Eof(h);
  ASSERT_TRUE(files.WhatWasRead(h));
  EXPECT_EQ(files.WhatWasRead(h)->stamp, files.Stamp("F:\\b.txt"));
  EXPECT_EQ(files.WhatWasRead(h)->text, "new");
  files.Close(h);
  files.Kill("F:\\b.txt");
  EXPECT_FALSE(files.Exists("F:\\b.txt"));
  EXPECT_EQ(ErrorOf([&] { files.Kill("F:\\b.txt"); }), 53);
  EXPECT_EQ(ErrorOf([&] { files.Copy("F:\\none.txt", "F:\\c.txt"); }), 53);
  EXPECT_EQ(ErrorOf([&] { files.Copy("F:\\a.txt", "F:\\nofolder\\c.txt"); }), 76);
  // A counter is opened for update only where it is: a missing one is 53,
  // and not created empty for another station to read.
  EXPECT_EQ(ErrorOf([&] { files.Open("F:\\n.dat", OpenMode::kUpdate); }), 53);
  EXPECT_EQ(ErrorOf([&] { files.Open("F:\\nofolder\\n.dat", OpenMode::kUpdate); }), 76);
  EXPECT_EQ(files.List("F:\\", "*"), std::vector<std::string>{"a.txt"}) << "no copy left over";
  const int u = files.Open("F:\\A.TXT", OpenMode::kUpdate);
  files.Rewrite(u, "up");
  files.Close(u);
  EXPECT_EQ(ReadHostFile(dir.path() / "f/a.txt"), "up");
}

TEST_F(FileSystemTest, NamesInAnyCaseFollowOtherStationsAndOwnChanges) {
  files.MakeFolders("F:\\KORVAIN\\PhoneOrders");
  std::filesystem::path orders = dir.path() / "f/KORVAIN/PhoneOrders";
  WriteHostFile(orders / "DS1.PH", "");
  // A folder last changed long ago is read once and then kept up to date.
  auto settle = [&] {
    std::filesystem::last_write_time(
        orders, std::filesystem::last_write_time(orders) - std::chrono::hours(1));
  };
  settle();
  EXPECT_EQ(files.HostPath("F:\\korvain\\phoneorders\\ds1.ph"), orders / "DS1.PH");
  EXPECT_EQ(files.HostPath("F:\\KORVAIN\\PhoneOrders\\17.PIO"), orders / "17.PIO");

  // Another station writes after this one read the folder.
  FileSystem other{PathMap(dir.path())};
  other.Close(other.Open("F:\\KORVAIN\\PhoneOrders\\17.Pio", OpenMode::kOutput));
  EXPECT_EQ(files.HostPath("F:\\KORVAIN\\PhoneOrders\\17.PIO"), orders / "17.Pio");
  other.MakeFolders("F:\\KORVAIN\\PhoneOrders\\Deleted\\Old");
  EXPECT_EQ(files.HostPath("F:\\korvain\\PHONEORDERS\\deleted\\OLD"), orders / "Deleted/Old");

  // This station's own new, copied and killed files, in any case.
  settle();
  files.Close(files.Open("F:\\KORVAIN\\PhoneOrders\\18.Ph", OpenMode::kAppend));
  files.Copy("F:\\korvain\\phoneorders\\17.pio", "F:\\KORVAIN\\PhoneOrders\\18.Pio");
  files.MakeFolders("F:\\KORVAIN\\PhoneOrders\\Sent\\Today");
  EXPECT_TRUE(files.Exists("F:\\KORVAIN\\PHONEORDERS\\18.PH"));
  EXPECT_EQ(files.HostPath("F:\\KORVAIN\\PhoneOrders\\18.PIO"), orders / "18.Pio");
  EXPECT_EQ(files.HostPath("F:\\KORVAIN\\PHONEORDERS\\SENT\\TODAY"), orders / "Sent/Today");
  files.Kill("F:\\KORVAIN\\PhoneOrders\\18.ph");
  EXPECT_FALSE(files.Exists("F:\\KORVAIN\\PhoneOrders\\18.Ph"));
  EXPECT_EQ(files.HostPath("F:\\KORVAIN\\PhoneOrders\\18.PH"), orders / "18.PH");

  // Names equal ignoring case: the first in name order, then the next.
  WriteHostFile(orders / "ds1.ph", "");
  WriteHostFile(orders / "Ds1.pH", "");
  settle();
  EXPECT_EQ(files.HostPath("F:\\KORVAIN\\PhoneOrders\\dS1.Ph"), orders / "DS1.PH");
  files.Kill("F:\\KORVAIN\\PhoneOrders\\DS1.PH");
  EXPECT_EQ(files.HostPath("F:\\KORVAIN\\PhoneOrders\\dS1.Ph"), orders / "Ds1.pH");
  files.Kill("F:\\KORVAIN\\PhoneOrders\\Ds1.pH");
  EXPECT_EQ(files.HostPath("F:\\KORVAIN\\PhoneOrders\\dS1.Ph"), orders / "ds1.ph");
  EXPECT_EQ(files.List("F:\\KORVAIN\\PhoneOrders", "*"),
            (std::vector<std::string>{"17.Pio", "18.Pio", "ds1.ph"}));
}

// A pass looks each name up once, and still follows this station's own
// changes at once.
TEST_F(FileSystemTest, APassKeepsWhatItFoundAndFollowsItsOwnChanges) {
  files.MakeFolders("F:\\KORVAIN\\PhoneOrders");
  std::filesystem::path orders = dir.path() / "f/KORVAIN/PhoneOrders";
  WriteHostFile(orders / "DS1.Pio", "lines");
  FilePass pass(files);
  EXPECT_EQ(files.List("F:\\korvain\\phoneorders", "DS*.*"), std::vector<std::string>{"DS1.Pio"});
  EXPECT_EQ(files.HostPath("F:\\KORVAIN\\PhoneOrders\\17.PIO"), orders / "17.PIO");
  files.Copy("F:\\KORVAIN\\PhoneOrders\\ds1.pio", "F:\\KORVAIN\\PhoneOrders\\17.Pio");
  EXPECT_EQ(files.HostPath("F:\\KORVAIN\\PhoneOrders\\17.PIO"), orders / "17.Pio");
  files.Close(files.Open("F:\\KORVAIN\\PhoneOrders\\18.Ph", OpenMode::kAppend));
  EXPECT_TRUE(files.Exists("F:\\KORVAIN\\PhoneOrders\\18.PH"));
  files.Kill("F:\\KORVAIN\\PhoneOrders\\17.PIO");
  EXPECT_FALSE(files.Exists("F:\\KORVAIN\\PhoneOrders\\17.Pio"));
  EXPECT_EQ(files.HostPath("F:\\KORVAIN\\PhoneOrders\\17.pio"), orders / "17.pio");
  files.MakeFolders("F:\\KORVAIN\\PhoneOrders\\Sent\\Today");
  EXPECT_EQ(files.HostPath("F:\\korvain\\phoneorders\\SENT\\today"), orders / "Sent/Today");

  // Listed as the pass knows the folder: its own new file at once, a folder
  // never; another station's name, in another case too, at the next pass.
  files.WriteWhole("F:\\KORVAIN\\PhoneOrders\\21.pio", "");
  files.MakeFolders("F:\\KORVAIN\\PhoneOrders\\20.PIO");
  WriteHostFile(orders / "19.Pio", "");
  EXPECT_EQ(files.ListKnown("F:\\KORVAIN\\PhoneOrders", "*.PIO"),
            (std::vector<std::string>{"21.pio", "DS1.Pio"}));
  files.EndPass();
  files.BeginPass();
  EXPECT_EQ(files.ListKnown("F:\\KORVAIN\\PhoneOrders", "*.PIO"),
            (std::vector<std::string>{"19.Pio", "21.pio", "DS1.Pio"}));
  EXPECT_EQ(files.HostPath("F:\\KORVAIN\\PhoneOrders\\19.PIO"), orders / "19.Pio");
}

size_t OpenFds() {
  return static_cast<size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                                           std::filesystem::directory_iterator()));
}

// A pass holds the folders it works in until its end, a nested pass's end
// among them, and a folder it makes takes files all the same.
TEST_F(FileSystemTest, APassHoldsItsFoldersUntilItsEnd) {
  files.MakeFolders("F:\\KORVAIN\\PhoneOrders");
  const std::filesystem::path orders = dir.path() / "f/KORVAIN/PhoneOrders";
  const size_t before = OpenFds();
  {
    FilePass pass(files);
    EXPECT_FALSE(files.Exists("F:\\KORVAIN\\PhoneOrders\\New\\1.PH"));
    {
      FilePass nested(files);
      files.WriteWhole("F:\\KORVAIN\\PhoneOrders\\2.PH", "two");
    }
    files.WriteWhole("F:\\KORVAIN\\PhoneOrders\\1.PH", "one");
    files.Kill("F:\\KORVAIN\\PhoneOrders\\2.PH");
    files.MakeFolders("F:\\KORVAIN\\PhoneOrders\\New");
    files.WriteWhole("F:\\KORVAIN\\PhoneOrders\\New\\1.PH", "new");
    EXPECT_EQ(files.ReadFileText("F:\\KORVAIN\\PhoneOrders\\New\\1.PH"), "new");
  }
  EXPECT_EQ(OpenFds(), before) << "every folder let go at the pass's end";
  EXPECT_EQ(ReadHostFile(orders / "1.PH"), "one");
  EXPECT_EQ(ReadHostFile(orders / "New/1.PH"), "new");
  EXPECT_FALSE(std::filesystem::exists(orders / "2.PH"));
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
  const std::optional<FileStamp> as_read = files.Stamp("F:\\data\\PioNumber.dat");
  int release;
  pid_t child = HoldLockInChild(dir.path(), "F:\\data\\PioNumber.dat", release);

  int h = files.Open("F:\\data\\PioNumber.dat", OpenMode::kInput);
  EXPECT_EQ(ErrorOf([&] { files.Lock(h); }), 70);
  EXPECT_FALSE(files.LockIfFree(h));
  EXPECT_EQ(ErrorOf([&] { files.Open("F:\\data\\PioNumber.dat", OpenMode::kOutput); }), 70);
  WriteHostFile(dir.path() / "f/data/copy.dat", "\"8\"\r\n");
  EXPECT_EQ(ErrorOf([&] { files.Copy("F:\\data\\copy.dat", "F:\\data\\PioNumber.dat"); }), 70);
  EXPECT_EQ(ReadHostFile(dir.path() / "f/data/PioNumber.dat"), "\"7\"\r\n")
      << "a file locked elsewhere is never emptied nor replaced";
  EXPECT_EQ(ErrorOf([&] { files.KillIfStamped("F:\\data\\PioNumber.dat", *as_read); }), 70);
  EXPECT_TRUE(files.Exists("F:\\data\\PioNumber.dat")) << "nor deleted while it is written";

  close(release);
  int status;
  waitpid(child, &status, 0);
  EXPECT_TRUE(files.LockIfFree(h));
  EXPECT_EQ(files.ReadField(h), "7");
  files.CloseAll();
  // Once the writer is done, the file is deleted only if it is still the
  // file the caller read.
  WriteHostFile(dir.path() / "f/data/PioNumber.dat", "\"9\"\r\n");
  EXPECT_FALSE(files.KillIfStamped("F:\\data\\PioNumber.dat", *as_read));
  EXPECT_TRUE(
      files.KillIfStamped("F:\\data\\PioNumber.dat", *files.Stamp("F:\\data\\PioNumber.dat")));
  EXPECT_FALSE(files.Exists("F:\\data\\PioNumber.dat"));
  EXPECT_FALSE(files.KillIfStamped("F:\\data\\PioNumber.dat", *as_read));
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

// Another station keeps the file it has open (its identity) and reads it
// under the whole-file lock: it must find the old text or the new one, never
// an empty file.
TEST_F(FileSystemTest, RewritesGoOverTheOldTextAndCutItOnlyAtTheEnd) {
  files.MakeFolders("F:\\data");
  const std::filesystem::path host = dir.path() / "f/data/17.PH";
  WriteHostFile(host, "\"the old header, longer\"\r\n");
  const std::optional<FileStamp> original = files.Stamp("F:\\data\\17.PH");

  int out = files.Open("F:\\data\\17.PH", OpenMode::kOutput);
  EXPECT_EQ(ReadHostFile(host), "\"the old header, longer\"\r\n") << "opening empties nothing";
  files.Lock(out);
  files.WriteFields(out, {"new"});
  EXPECT_EQ(ReadHostFile(host).substr(0, 7), "\"new\"\r\n");
  files.Unlock(out);
  EXPECT_EQ(ReadHostFile(host), "\"new\"\r\n") << "cut at the unlock";
  files.Close(out);
  EXPECT_EQ(files.Stamp("F:\\data\\17.PH")->ino, original->ino);

  // Written without a lock of the caller's: the write takes one and cuts.
  out = files.Open("F:\\data\\17.PH", OpenMode::kOutput);
  files.WriteText(out, "ab");
  EXPECT_EQ(ReadHostFile(host), "ab");
  files.CloseAll();
  // Opened for output and never written: empty, as a file "created or emptied".
  files.Close(files.Open("F:\\data\\17.PH", OpenMode::kOutput));
  EXPECT_EQ(ReadHostFile(host), "");
  // A write that fails (here: past the size this process may write) leaves
  // the old text, never the file cut to what was written before it.
  WriteHostFile(host, "\"the old header\"\r\n");
  out = files.Open("F:\\data\\17.PH", OpenMode::kOutput);
  files.Lock(out);
  {
    FileSizeLimit none(0);
    EXPECT_NE(ErrorOf([&] { files.WriteFields(out, {"new"}); }), 0);
  }
  files.CloseAll();
  EXPECT_EQ(ReadHostFile(host), "\"the old header\"\r\n");

  // A counter's rewrite under one lock, never empty in between.
  WriteHostFile(dir.path() / "f/data/KOrdNumb.dat", "\"123\",\"12/8/2026\",\"0\"\r\n");
  int counter = files.Open("F:\\data\\KOrdNumb.dat", OpenMode::kReadWrite);
  files.Lock(counter);
  files.Rewrite(counter, "\"9\",\"12/8/2026\",\"0\"\r\n");
  files.Flush(counter);
  files.CloseAll();
  EXPECT_EQ(ReadHostFile(dir.path() / "f/data/KOrdNumb.dat"), "\"9\",\"12/8/2026\",\"0\"\r\n");
  // One that grew between its open and its lock is cut after the new text
  // by what the read under the lock found, not by what the open saw.
  counter = files.Open("F:\\data\\KOrdNumb.dat", OpenMode::kReadWrite);
  WriteHostFile(dir.path() / "f/data/KOrdNumb.dat", "\"10000\",\"12/8/2026\",\"0\"\r\n");
  files.Lock(counter);
  files.ReadAll(counter);
  files.Rewrite(counter, "\"10\",\"12/8/2026\",\"0\"\r\n");
  files.CloseAll();
  EXPECT_EQ(ReadHostFile(dir.path() / "f/data/KOrdNumb.dat"), "\"10\",\"12/8/2026\",\"0\"\r\n");

  // A new file appears whole; an existing one is rewritten in place.
  files.WriteWhole("F:\\data\\0K-41.dat", "two\r\nlines\r\n");
  EXPECT_EQ(ReadHostFile(dir.path() / "f/data/0K-41.dat"), "two\r\nlines\r\n");
  const FileStamp made = *files.Stamp("F:\\data\\0K-41.dat");
  files.WriteWhole("F:\\data\\0K-41.dat", "one\r\n");
  EXPECT_EQ(ReadHostFile(dir.path() / "f/data/0K-41.dat"), "one\r\n");
  EXPECT_EQ(files.Stamp("F:\\data\\0K-41.dat")->ino, made.ino);
  EXPECT_EQ(ErrorOf([&] { files.WriteWhole("F:\\nofolder\\0K-41.dat", "x"); }), 76);
  EXPECT_FALSE(files.Stamp("F:\\data\\missing.dat"));
  // Written ahead of its name, the same: a free name takes the temporary,
  // one taken (in any letter case, in a pass or not) is rewritten in place.
  for (const bool in_pass : {false, true}) {
    std::optional<FilePass> pass;
    if (in_pass) pass.emplace(files);
    const std::string text = in_pass ? "in a pass\r\n" : "alone\r\n";
    files.PlaceAhead(files.WriteAhead("F:\\data", text), "F:\\data\\0k-41.DAT", text);
    EXPECT_EQ(ReadHostFile(dir.path() / "f/data/0K-41.dat"), text);
    EXPECT_EQ(files.Stamp("F:\\data\\0K-41.dat")->ino, made.ino);
    files.PlaceAhead(files.WriteAhead("F:\\data", text), "F:\\data\\1.PH", text);
    EXPECT_EQ(ReadHostFile(dir.path() / "f/data/1.PH"), text);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path() / "f/data"), {}), 4)
        << "no temporary is left";
  }
  EXPECT_EQ(files.List("F:\\data", "*"),
            (std::vector<std::string>{"0K-41.dat", "1.PH", "17.PH", "KOrdNumb.dat"}))
      << "no temporary is left";
}

TEST_F(FileSystemTest, TemporariesMatchNoPatternAndOnlyDeadOnesOfThisHostAreCleared) {
  const std::filesystem::path folder = dir.path() / "f/PhoneOrders";
  std::filesystem::create_directories(folder);
  const std::string own = TempPathIn(folder).filename().string();
  for (const char* pattern : {"DS*.PH", "*.PH", "*.Pio", "*.dat", "*.txt", "*.html", "*.job"})
    EXPECT_FALSE(WildcardMatch(pattern, own)) << pattern;

  // A process that has ended, this process, another station's.
  const std::string live = own;
  const std::string dead = testing::DeadProcessTempPathIn(folder).filename().string();
  WriteHostFile(folder / live, "");
  WriteHostFile(folder / dead, "");
  WriteHostFile(folder / ".korv-otherhost-1-1.korvtmp", "");
  WriteHostFile(folder / ".korv-copy-77-DS5.PH", "left by an older program, long ago");
  std::filesystem::last_write_time(
      folder / ".korv-copy-77-DS5.PH",
      std::filesystem::file_time_type::clock::now() - std::chrono::hours(2));
  WriteHostFile(folder / ".korv-new-78-7.PH", "an older program writing right now");
  WriteHostFile(folder / "DS5.PH", "");

  EXPECT_EQ(ClearDeadTemporaries(folder), 2);
  EXPECT_EQ(files.List("F:\\PhoneOrders", "*"),
            (std::vector<std::string>{".korv-new-78-7.PH", ".korv-otherhost-1-1.korvtmp", live,
                                      "DS5.PH"}));
  EXPECT_EQ(ClearDeadTemporaries(dir.path() / "missing"), 0);
}

}  // namespace
}  // namespace korv
