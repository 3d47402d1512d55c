#include "platform/print/printer_registry.h"

#include <gtest/gtest.h>

#include <sstream>

#include "common/runtime_error.h"
#include "platform/print/escpos_reader.h"
#include "platform/print/spooled_destination.h"
#include "testing/temp_dir.h"

namespace korv {
namespace {

using testing::ReadHostFile;
using testing::TempDir;
using testing::WriteHostFile;

namespace fs = std::filesystem;

fs::path Spool(const InstalledPrinters& p, int i) {
  return dynamic_cast<const SpooledDestination&>(*p.printers[i].destination).SpoolFolder();
}

std::vector<std::string> Names(const InstalledPrinters& p) {
  std::vector<std::string> names;
  for (const InstalledPrinter& printer : p.printers) names.push_back(printer.device_name);
  return names;
}

TEST(PrinterRegistryTest, ReadsNamesDestinationsAndOptionsInOrder) {
  TempDir tmp;
  FileSystem files{PathMap(tmp.path())};
  std::ostringstream warnings;
  InstalledPrinters p = ParsePrintersConf(
      "# device name            = destination                 [; option]\r\n"
      "KITCHEN1 TM-U220         = socket://192.168.1.50:9100  ; red ; columns = 42\r\n"
      "\r\n"
      "   # indented comment\r\n"
      "KITCHEN #2\t=\tdir:/var/spool/k2   # the second kitchen\r\n"
      "BAR TM-T88 = device:/dev/usb/lp0 ; RED;default;Columns=32 codepage=858\r\n"
      "OFFICE = cups:Office_Laser ; default\r\n"
      "PREVIEW = dir:C:\\Korvain\\Preview",
      files, PrinterSetup{}, warnings);
  EXPECT_EQ(Names(p), (std::vector<std::string>{"KITCHEN1 TM-U220", "KITCHEN #2", "BAR TM-T88",
                                                "OFFICE", "PREVIEW"}));
  EXPECT_EQ(p.current, 2) << "the first printer marked default";
  EXPECT_TRUE(p.printers[0].red);
  EXPECT_FALSE(p.printers[1].red);
  EXPECT_TRUE(p.printers[2].red);
  EXPECT_EQ(p.printers[0].paper.columns, 42);
  EXPECT_EQ(p.printers[0].paper.code_page, CodePage::k1252);
  EXPECT_EQ(p.printers[1].paper.columns, 0) << "not given";
  EXPECT_EQ(p.printers[2].paper.columns, 32);
  EXPECT_EQ(p.printers[2].paper.code_page, CodePage::k858);
  EXPECT_EQ(p.printers[0].destination->Describe(), "socket://192.168.1.50:9100");
  EXPECT_EQ(p.printers[1].destination->Describe(), "dir:/var/spool/k2");
  EXPECT_EQ(p.printers[4].destination->Describe(), "dir:C:\\Korvain\\Preview");
  EXPECT_EQ(warnings.str(),
            "C:\\Korvain\\printers.conf line 7: another printer is already marked default; that "
            "one stays current\n");

  // Ticket printers print through their own spool folders.
  fs::path spool = tmp.path() / "c" / "Korvain" / "spool";
  EXPECT_EQ(Spool(p, 0), spool / "kitchen1-tm-u220");
  EXPECT_EQ(Spool(p, 2), spool / "bar-tm-t88");
  EXPECT_EQ(Spool(p, 3), spool / "office");

  EXPECT_EQ(ParsePrintersConf("A = cups:a\nB = cups:b\n", files, PrinterSetup{}, warnings).current,
            0);
  EXPECT_EQ(ParsePrintersConf("# nothing\n", files, PrinterSetup{}, warnings).current, -1);
}

// A line with a name but a destination the station cannot print to lists
// its printer as one that cannot print, so its tickets wait for it.
TEST(PrinterRegistryTest, BadLinesAreSkippedWithTheirLineNumbers) {
  TempDir tmp;
  FileSystem files{PathMap(tmp.path())};
  std::ostringstream warnings;
  InstalledPrinters p = ParsePrintersConf(
      "KITCHEN1 socket://10.0.0.5:9100\n"
      " = dir:/tmp/x\n"
      "KITCHEN2 =   # no destination\n"
      "KITCHEN3 = dir:\n"
      "KITCHEN4 = dri:/tmp/typo ; bold\n"
      "KITCHEN5 = cups:k5\n"
      "\n"
      "KITCHEN7 = cups:k7 ; columns=wide codepage=850 columns=8\n"
      "KITCHEN8 = cups:k8 ; status=maybe backup=NOSUCH backup_after=0\n"
      "KITCHEN9 = cups:k9 ; backup=KITCHEN9 status=off\n"
      "PREVIEW = dir:/tmp/p ; backup=KITCHEN5\n"
      "KITCHEN10 = cups:k10 ; backup=preview\n",
      files, PrinterSetup{}, warnings);
  EXPECT_EQ(Names(p), (std::vector<std::string>{"KITCHEN3", "KITCHEN4", "KITCHEN5", "KITCHEN7",
                                                "KITCHEN8", "KITCHEN9", "PREVIEW", "KITCHEN10"}));
  for (int i : {0, 1}) EXPECT_FALSE(p.printers[i].destination->CanPrint()) << i;
  EXPECT_TRUE(p.printers[2].destination->CanPrint());
  EXPECT_EQ(p.printers[3].paper.columns, 0);
  EXPECT_EQ(p.printers[3].paper.code_page, CodePage::k1252);
  EXPECT_EQ(p.current, 0);
  std::string w = warnings.str();
  for (const char* expected :
       {"printers.conf line 1: no \"=\"", "line 2: no device name", "line 3: no destination",
        "line 4: \"dir:\" names no folder", "line 5: unknown destination \"dri:/tmp/typo\"",
        "line 5: unknown option \"bold\"",
        "line 8: \"columns=wide\" is not a number of columns from 16 to 255; ignored",
        "line 8: \"codepage=850\" is not 1252, 858 or 437; 1252 kept",
        "line 8: \"columns=8\" is not", "line 9: unknown option \"status=maybe\"",
        "line 9: \"backup_after=0\" is not 1 to 3600 seconds; 60 kept",
        "line 9: \"backup=NOSUCH\": no printer is named \"NOSUCH\"; ignored",
        "line 10: \"backup=KITCHEN9\": a printer cannot be its own backup",
        "line 11: \"backup=KITCHEN5\": only a network, device or CUPS printer can have a backup",
        "line 12: \"backup=preview\": \"preview\" is not a network, device or CUPS printer"})
    EXPECT_NE(w.find(expected), std::string::npos) << expected << " in:\n" << w;
  EXPECT_EQ(w.find("line 6"), std::string::npos);
}

// Printers are picked by name, so a name listed again could only shadow the
// first printer (or be shadowed by it, as the bar and main tickets take the
// last match): the first line is used, and all the lines are said.
TEST(PrinterRegistryTest, ARepeatedDeviceNameTakesTheFirstLineAndSaysAllItsLines) {
  TempDir tmp;
  FileSystem files{PathMap(tmp.path())};
  std::ostringstream warnings;
  InstalledPrinters p = ParsePrintersConf(
      "KITCHEN1 = dir:/tmp/first\n"
      "BAR = dir:/tmp/bar\n"
      "KITCHEN1 = dir:/tmp/second ; default\n"
      "BAR = dir:/tmp/bar2\n"
      "KITCHEN1 = dri:/tmp/typo\n"
      "kitchen1 = dir:/tmp/lower\n",
      files, PrinterSetup{}, warnings);
  EXPECT_EQ(Names(p), (std::vector<std::string>{"KITCHEN1", "BAR", "kitchen1"}));
  EXPECT_EQ(p.printers[0].destination->Describe(), "dir:/tmp/first");
  EXPECT_EQ(p.current, 0) << "the skipped line's default is not taken";
  EXPECT_EQ(warnings.str(),
            "C:\\Korvain\\printers.conf lines 1, 3 and 5: the device name \"KITCHEN1\" is listed 3 "
            "times; line 1 is used, lines 3 and 5 skipped\n"
            "C:\\Korvain\\printers.conf lines 2 and 4: the device name \"BAR\" is listed 2 times; "
            "line 2 is used, line 4 skipped\n");
}

TEST(PrinterRegistryTest, LoadedDirPrinterWritesUnderTheStationRoot) {
  TempDir tmp;
  FileSystem files{PathMap(tmp.path())};
  std::ostringstream warnings;
  EXPECT_TRUE(LoadInstalledPrinters(files, PrinterSetup{}, warnings).printers.empty());

  WriteHostFile(tmp.path() / "c" / "Korvain" / "printers.conf",
                "KITCHEN PREVIEW = dir:C:\\Korvain\\Preview ; default\r\n");
  InstalledPrinters loaded = LoadInstalledPrinters(files, PrinterSetup{}, warnings);
  PrintService printer(std::move(loaded.printers), loaded.current);
  printer.PrintLine({"Soup"});
  printer.EndDoc();
  EXPECT_EQ(ReadHostFile(tmp.path() / "c" / "Korvain" / "Preview" / "000001.txt"), "Soup\r\n");
  EXPECT_EQ(warnings.str(), "");
}

TEST(PrinterRegistryTest, CupsQueuesFollowTheFileAndSpoolsNeverShareAFolder) {
  TempDir tmp;
  FileSystem files{PathMap(tmp.path())};
  std::ostringstream warnings;
  PrinterSetup setup;
  setup.cups_queues = [] {
    return std::vector<std::string>{"Bar_Epson", "KITCHEN 1", "Office_Laser", "Zebra"};
  };
  InstalledPrinters p = ParsePrintersConf(
      "KITCHEN 1 = device:/dev/usb/lp0\n"
      "kitchen-1 = device:C:\\Korvain\\lp1 ; red columns=32 codepage=437\n"
      "OFFICE = CUPS:Office_Laser ; default\n",
      files, setup, warnings);
  EXPECT_EQ(Names(p),
            (std::vector<std::string>{"KITCHEN 1", "kitchen-1", "OFFICE", "Bar_Epson", "Zebra"}));
  EXPECT_EQ(p.current, 2);
  EXPECT_EQ(p.printers[3].destination->Describe(), "cups:Bar_Epson");
  EXPECT_NE(Spool(p, 0), Spool(p, 1));
  EXPECT_EQ(Spool(p, 1).filename().string().rfind("kitchen-1-", 0), 0u);
  EXPECT_EQ(warnings.str(), "");

  // The options reach the printer; a station path names the device.
  p.printers[1].destination->Deliver(Document{
      "kitchen-1",
      {PrintedLine{{"* {{ NUTS }}"}, "Arial", 10, true, false, kRed},
       PrintedLine{{std::string(57, '_') + " \x8Akoda"}, "Arial", 10, false, false, kBlack}}});
  EXPECT_EQ(PrintSpool(Spool(p, 1)).Jobs().size(), 1u);
  EXPECT_EQ(ReadTicket(ReadHostFile(PrintSpool(Spool(p, 1)).Jobs()[0].path)),
            (std::vector<TicketLine>{{.text = "* {{ NUTS }}", .bold = true, .red = true},
                                     {.text = std::string(26, '_') + " Skoda"}}));

  ParsePrintersConf("A = socket://printer:port\nB = device:\nC = cups: \n", files, setup, warnings);
  for (const char* expected :
       {"line 1: \"socket://printer:port\" is not socket://HOST",
        "line 2: \"device:\" names no device", "line 3: \"cups:\" names no queue"})
    EXPECT_NE(warnings.str().find(expected), std::string::npos) << expected << warnings.str();
}

}  // namespace
}  // namespace korv
