#include "platform/print/dir_destination.h"

#include <gtest/gtest.h>

#include "common/runtime_error.h"
#include "testing/temp_dir.h"

namespace korv {
namespace {

using testing::ReadHostFile;
using testing::TempDir;
using testing::WriteHostFile;
namespace fs = std::filesystem;

PrintedLine Line(std::string text, std::string font = "Arial", double size = 10,
                 Color color = kBlack, bool bold = false) {
  PrintedLine line;
  line.items = {std::move(text)};
  line.font = std::move(font);
  line.size = size;
  line.color = color;
  line.bold = bold;
  return line;
}

Document Ticket() {
  Document doc{"KITCHEN PREVIEW", {}};
  doc.lines.push_back(Line("KITCHEN", "Arial", 20, kBlack, true));
  PrintedLine items = Line("");
  items.items = {"2 ", "Fish & <Chips>", "   $9.00"};
  doc.lines.push_back(items);
  doc.lines.push_back(Line("NO SALT", "Arial", 12, kRed));
  doc.lines.push_back(Line(""));
  doc.lines.push_back(Line("P", "control", 10));
  return doc;
}

std::vector<std::string> Names(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(DirDestinationTest, NumbersOnFromTheHighestAndWritesWholeFilesOrFails) {
  TempDir tmp;
  fs::path folder = tmp.path() / "spool";
  WriteHostFile(folder / "000007.txt", "old");
  WriteHostFile(folder / "000012.HTML", "old");
  WriteHostFile(folder / "99999.txt", "too short to be a ticket");
  WriteHostFile(folder / "notes.txt", "");
  DirDestination dest(folder, "dir:" + folder.string());

  dest.Deliver(Ticket());
  EXPECT_EQ(ReadHostFile(folder / "000013.txt"),
            "KITCHEN\r\n2 Fish & <Chips>   $9.00\r\nNO SALT\r\n\r\n[cut]\r\n");
  std::string html = ReadHostFile(folder / "000013.html");
  EXPECT_NE(html.find("font-size: 20pt; font-weight: bold; color: #000000;\">KITCHEN</div>"),
            std::string::npos);
  EXPECT_NE(html.find("font-size: 12pt; color: #ff0000;\">NO SALT</div>"), std::string::npos);
  EXPECT_NE(html.find("Fish &amp; &lt;Chips&gt;   $9.00"), std::string::npos);
  EXPECT_EQ(html.find("#ff0000;\">KITCHEN"), std::string::npos);

  dest.Deliver(Document{"KITCHEN PREVIEW", {Line("second")}});
  EXPECT_EQ(ReadHostFile(folder / "000014.txt"), "second\r\n");
  // A cut sent after its ticket ends that ticket's text.
  dest.Deliver(Document{"KITCHEN PREVIEW", {Line("P", "control", 10)}});
  EXPECT_EQ(ReadHostFile(folder / "000014.txt"), "second\r\n[cut]\r\n");
  EXPECT_NE(ReadHostFile(folder / "000014.html").find("<div class=\"cut\">cut</div>\n</div>"),
            std::string::npos)
      << "and its preview";
  EXPECT_EQ(Names(folder),
            (std::vector<std::string>{"000007.txt", "000012.HTML", "000013.html", "000013.txt",
                                      "000014.html", "000014.txt", "99999.txt", "notes.txt"}))
      << "no temporary file is left behind";

  // Numbers taken meanwhile by another process printing here are passed by.
  WriteHostFile(folder / "000015.txt", "other");
  WriteHostFile(folder / "000017.html", "other");
  dest.Deliver(Document{"KITCHEN PREVIEW", {Line("third")}});
  EXPECT_EQ(ReadHostFile(folder / "000018.txt"), "third\r\n");
  EXPECT_EQ(ReadHostFile(folder / "000015.txt"), "other");

  DirDestination fresh(tmp.path() / "new" / "spool", "dir:new");
  fresh.Deliver(Document{"P", {Line("one")}});
  EXPECT_EQ(ReadHostFile(tmp.path() / "new" / "spool" / "000001.txt"), "one\r\n");

  // With its columns given, a folder shows the ticket as that paper does.
  DirDestination paper(tmp.path() / "58mm", "dir:58mm", PaperSetup{32, CodePage::k437});
  Document ticket = Ticket();
  ticket.lines.insert(ticket.lines.begin() + 1,
                      {Line(std::string(57, '_')),
                       Line(" 1   DOUBLE BURGER WITH \x8Akoda FRIES" + std::string(27, ' '))});
  paper.Deliver(ticket);
  EXPECT_EQ(ReadHostFile(tmp.path() / "58mm" / "000001.txt"),
            "KITCHEN\r\n" + std::string(32, '_') +
                "\r\n 1   DOUBLE BURGER WITH Skoda\r\n     FRIES\r\n"
                "2 Fish & <Chips>   $9.00\r\nNO SALT\r\n\r\n[cut]\r\n");
  EXPECT_NE(
      ReadHostFile(tmp.path() / "58mm" / "000001.html").find("12pt; color: #ff0000;\">NO SALT"),
      std::string::npos);

  WriteHostFile(tmp.path() / "plainfile", "x");
  DirDestination blocked(tmp.path() / "plainfile" / "spool", "dir:blocked");
  EXPECT_THROW(blocked.Deliver(Document{"P", {Line("one")}}), RuntimeError);
}

}  // namespace
}  // namespace korv
