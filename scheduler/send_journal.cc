#include "scheduler/send_journal.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

#include "common/runtime_error.h"
#include "common/steps.h"

namespace korv {
namespace {

constexpr size_t kBeginFields = 17;

const std::pair<SendStep, const char*> kStepNames[] = {
    {SendStep::kArchiveLines, "ArchiveLines"},
    {SendStep::kCopyToPhoneOrder, "CopyToPhoneOrder"},
    {SendStep::kDeleting, "Deleting"},
    {SendStep::kDeleteDelayedPair, "DeleteDelayedPair"},
    {SendStep::kRewriteOrderId, "RewriteOrderId"},
    {SendStep::kLogSent, "LogSent"},
    {SendStep::kArchiveHeader, "ArchiveHeader"},
    {SendStep::kTakeCustomer, "TakeCustomer"},
    {SendStep::kHandToEngine, "HandToEngine"},
    {SendStep::kHeaderLeft, "HeaderLeft"},
};

std::string StepName(SendStep step) {
  for (const auto& [s, name] : kStepNames)
    if (s == step) return name;
  return "?";
}

std::optional<SendStep> StepNamed(const std::string& name) {
  for (const auto& [s, n] : kStepNames)
    if (name == n) return s;
  return std::nullopt;
}

std::string Escape(std::string_view field) {
  std::string out;
  for (char c : field) {
    if (c == '%' || c == '\t' || c == '\r' || c == '\n') {
      char buf[4];
      snprintf(buf, sizeof buf, "%%%02X", static_cast<unsigned char>(c));
      out += buf;
    } else {
      out += c;
    }
  }
  return out;
}

std::string Unescape(std::string_view field) {
  std::string out;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '%' && i + 2 < field.size()) {
      out +=
          static_cast<char>(std::strtol(std::string(field.substr(i + 1, 2)).c_str(), nullptr, 16));
      i += 2;
    } else {
      out += field[i];
    }
  }
  return out;
}

std::string Line(const std::vector<std::string>& fields) {
  std::string line;
  for (const std::string& f : fields) line += (line.empty() ? "" : "\t") + Escape(f);
  return line;
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (size_t tab = line.find('\t'); tab != std::string::npos; tab = line.find('\t', start)) {
    fields.push_back(Unescape(std::string_view(line).substr(start, tab - start)));
    start = tab + 1;
  }
  fields.push_back(Unescape(std::string_view(line).substr(start)));
  return fields;
}

std::string StampText(const std::optional<FileStamp>& stamp) {
  return stamp ? stamp->Text() : std::string();
}

int64_t Number(const std::string& text) { return std::strtoll(text.c_str(), nullptr, 10); }

std::vector<std::string> BeginRecord(const SendBeginning& b) {
  std::vector<std::string> r = {"begin", b.id};
  for (const std::string& f : b.header.Fields()) r.push_back(f);
  r.insert(r.end(),
           {StampText(b.header_stamp), StampText(b.lines_stamp),
            std::to_string(b.time.date.Serial()), std::to_string(b.time.seconds), b.send_date,
            b.send_time, b.log_path, std::to_string(b.log_size), std::to_string(b.pending_count)});
  return r;
}

std::optional<SendBeginning> FromBeginRecord(const std::vector<std::string>& r) {
  if (r.size() != kBeginFields || r[0] != "begin") return std::nullopt;
  SendBeginning b;
  b.id = r[1];
  b.header = OrderHeader::FromFields({r[2], r[3], r[4], r[5], r[6], r[7]});
  b.header_stamp = FileStamp::FromText(r[8]);
  b.lines_stamp = FileStamp::FromText(r[9]);
  b.time =
      DateTime{Date::FromSerial(static_cast<long>(Number(r[10]))), static_cast<int>(Number(r[11]))};
  b.send_date = r[12];
  b.send_time = r[13];
  b.log_path = r[14];
  b.log_size = Number(r[15]);
  b.pending_count = static_cast<int>(Number(r[16]));
  return b;
}

}  // namespace

std::unique_ptr<SendJournal> SendJournal::Begin(const std::filesystem::path& path,
                                                const SendBeginning& beginning) {
  JournalFile file = JournalFile::Create(path, Line(BeginRecord(beginning)));
  return std::unique_ptr<SendJournal>(new SendJournal(std::move(file), beginning, false));
}

std::unique_ptr<SendJournal> SendJournal::Resume(const std::filesystem::path& path) {
  JournalFile file = JournalFile::Reopen(path);
  const std::vector<std::string> lines = ReadJournalLines(path);
  std::optional<SendBeginning> beginning;
  if (!lines.empty()) beginning = FromBeginRecord(Fields(lines[0]));
  if (!beginning) {
    file.Remove();
    return nullptr;
  }
  std::unique_ptr<SendJournal> journal(new SendJournal(std::move(file), *beginning, true));
  for (size_t i = 1; i < lines.size(); ++i) journal->Apply(Fields(lines[i]));
  return journal;
}

void SendJournal::Apply(const std::vector<std::string>& r) {
  const std::string& kind = r[0];
  if (kind == "end") {
    ended_ = true;
  } else if (kind == "step" && r.size() == 3) {
    if (std::optional<SendStep> step = StepNamed(r[1])) steps_[*step] = r[2];
  } else if (kind == "keep" && r.size() == 3) {
    kept_[r[1]] = r[2];
  } else if (kind == "doc" && r.size() == 4) {
    documents_[static_cast<int>(Number(r[1]))] =
        LedgerEntry{true, r[2], Number(r[3]), false, false};
  } else if (kind == "done" && r.size() == 3) {
    LedgerEntry& entry = documents_[static_cast<int>(Number(r[1]))];
    entry.done = true;
    entry.delivered = r[2] == "1";
  }
}

// The change this record allows must not happen unless the record is on
// disk: a record that cannot be written halts the send. A lazy record is on
// disk with the next one that is not.
void SendJournal::Record(const std::vector<std::string>& record, bool lazily) {
  try {
    if (lazily)
      file_.AppendLazily(Line(record));
    else
      file_.Append(Line(record));
  } catch (const RuntimeError& e) {
    throw StepsHalted{"its journal " + file_.path().string() + " cannot be written (" +
                      e.description() + ")"};
  }
  Apply(record);
}

std::optional<std::string> SendJournal::Done(SendStep step) const {
  auto it = steps_.find(step);
  return it == steps_.end() ? std::nullopt : std::optional<std::string>(it->second);
}

// A step's mark follows its change, so losing it to a power cut only has the
// step done again, which every step may be: each looks at what it finds
// (the log for its entry, the phone order for the copy, the delayed files'
// stamps) and ends as it would have. The next record that allows a change
// (a number, a document, the deletions) puts the marks before it on disk.
// Two marks are intents, not afterthoughts, and go to disk at once: the
// deletions about to begin, and the header left after them, which keeps the
// order from being sent again for as long as the header stays.
void SendJournal::Mark(SendStep step, const std::string& outcome) {
  const bool intent = step == SendStep::kDeleting || step == SendStep::kHeaderLeft;
  Record({"step", StepName(step), outcome}, !intent);
}

std::optional<std::string> SendJournal::Kept(std::string_view name) const {
  auto it = kept_.find(name);
  return it == kept_.end() ? std::nullopt : std::optional<std::string>(it->second);
}

void SendJournal::Keep(std::string_view name, const std::string& value) {
  Record({"keep", std::string(name), value});
}

LedgerEntry SendJournal::Entry(int document) const {
  auto it = documents_.find(document);
  return it == documents_.end() ? LedgerEntry{} : it->second;
}

void SendJournal::Begin(int document, const std::string& printer, int64_t ref) {
  Record({"doc", std::to_string(document), printer, std::to_string(ref)});
}

void SendJournal::Done(int document, bool delivered) {
  Record({"done", std::to_string(document), delivered ? "1" : "0"});
}

// A journal whose removal a power cut undid holds its end: it is removed
// again at the next start, and nothing is done twice.
void SendJournal::End() {
  if (!ended_) Record({"end"});
  try {
    file_.Remove();
  } catch (const RuntimeError& e) {
    throw StepsHalted{"its journal " + file_.path().string() + " cannot be removed (" +
                      e.description() + ")"};
  }
}

}  // namespace korv
