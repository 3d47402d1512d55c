// fill_buttons and Load_Data: the menu button files into the station's
// button tables and onto the category and quick item buttons.

#include "common/steps.h"
#include "engine/korv_main.h"
#include "engine/menu_tables.h"
#include "platform/files/kept_files.h"

namespace korv {

std::vector<ButtonRecord> KorvMain::MenuRecords(const std::string& path, int count) {
  if (kept_) return ButtonRecordsOf(kept_->Content(platform_.files, path), count);
  return ReadButtonFile(platform_.files, path, count);
}

void KorvMain::fill_buttons() {
  Station& s = station_;
  if (s.DataRoot.empty()) s.DataRoot = "c:\\korvain\\";
  std::vector<ButtonRecord> records = MenuRecords(s.DataRoot + kMainButtonsFile, 12);
  for (int i = 0; i < 12; ++i) {
    s.MainButtonTable[i] = MainButtonRow(records[i]);
    SSCommand2[i].SetCaption(records[i].Raw(2));
    SSCommand2[i].SetVisible(records[i].Raw(4) == "T");
  }
}

void KorvMain::Load_Data() {
  Station& s = station_;
  FileSystem& files = platform_.files;
  Steps skip = Steps::Skip();
  skip([&] { files.CloseAll(); });
  skip([&] {
    std::vector<ButtonRecord> records = MenuRecords(s.DataRoot + kQuickButtonsFile, 5);
    for (int i = 0; i < 5; ++i) {
      s.ButtonFBTable[i] = ItemButtonRow(records[i], true);
      SSCommand8[i].SetCaption(s.ButtonFBTable[i][1]);
      // A row without "T" leaves its button as it was.
      if (s.ButtonFBTable[i][2] == "T") SSCommand8[i].SetVisible(true);
    }
  });
  for (int page = 0; page < 12; ++page) {
    // Categories 10 and 11 are optional and the first ten expected, but a
    // missing file of either kind leaves its table as it was.
    std::string path = s.DataRoot + PageButtonFile(page);
    skip([&] {
      std::vector<ButtonRecord> records = MenuRecords(path, 12);
      for (int i = 0; i < 12; ++i) s.PageButtonTables[page][i] = ItemButtonRow(records[i], false);
    });
  }
}

}  // namespace korv
