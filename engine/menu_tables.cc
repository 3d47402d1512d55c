#include "engine/menu_tables.h"

#include "common/val.h"
#include "platform/files/kept_files.h"

namespace korv {

std::string PageButtonFile(int page) { return "ini\\Button" + std::to_string(page) + ".dat"; }

int RouteCode(const ButtonRecord& record) {
  double a = record.Number(11);
  double b = record.Number(12);
  int code = 0;
  if (a == 0 && b == 1) code = 0;
  if (a == 1 && b == 0) code = 1;
  if (a == 1 && b == 1) code = 2;
  if (a == 0 && b == 0) code = 3;
  for (int printer = 3; printer <= 8; ++printer) {
    if (b == printer) code = printer;
  }
  return code;
}

std::vector<std::string> MainButtonRow(const ButtonRecord& record) {
  return {PlainNumber(record.Number(1)), record.Raw(2), record.Raw(4), record.Raw(3)};
}

std::vector<std::string> ItemButtonRow(const ButtonRecord& r, bool trim_caption) {
  std::vector<std::string> row(16);
  row[0] = PlainNumber(r.Number(1));
  row[1] = trim_caption ? r.Text(2) : r.Raw(2);
  row[2] = r.Raw(4);
  row[3] = r.Raw(19);
  row[4] = r.Raw(5);
  row[5] = r.Raw(6);
  row[6] = r.Raw(8);
  row[7] = r.Raw(9);
  row[8] = r.Raw(7);
  row[9] = Str(RouteCode(r));
  row[10] = r.Text(10).empty() ? r.Raw(9) : r.Raw(10);
  row[13] = r.Text(16).empty() ? "Main Course" : r.Text(16);
  row[14] = r.Text(17);
  row[15] = r.Text(18);
  return row;
}

std::vector<ButtonRecord> ReadButtonFile(FileSystem& files, const std::string& path, int count) {
  return ButtonRecordsOf(ReadWholeLocked(files, path), count);
}

std::vector<ButtonRecord> ButtonRecordsOf(std::string_view content, int count) {
  std::vector<ButtonRecord> records;
  for (int n = 0; n < count; ++n) {
    const size_t at = static_cast<size_t>(n) * kButtonRecordLength;
    std::string_view record =
        at < content.size() ? content.substr(at, kButtonRecordLength) : std::string_view();
    records.emplace_back(PadRight(record, kButtonRecordLength));
  }
  return records;
}

}  // namespace korv
