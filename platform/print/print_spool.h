#pragma once
// A printer's spool folder: the rendered jobs its printer has not yet taken,
// one file each, NNNNNN.job (six digits or more), numbered in the order they
// were printed. A job is written whole under a temporary name, flushed to
// disk and only then given its number, so after a crash or power cut the
// folder holds whole jobs only, and each one is sent after a restart.
//
// A job of a send that keeps a journal is staged first (NNNNNN.stage, under
// a number reserved and recorded beforehand) and becomes a job only when the
// journal knows it is there (Release), so a crash in between never lets the
// printer have a ticket the journal could deliver again.
//
// A job being handed to its printer carries a mark (NNNNNN.sending, on disk
// before the first byte goes out) until the printer has taken it or
// certainly has none of it: a job found marked after a crash, or after a
// connection cut in mid-ticket, may have printed, in part or whole. A job
// being moved to another printer's spool is NNNNNN.moving meanwhile.
//
// One process owns a folder's writing (the station program); others may
// look. Add, Reserve, Stage and Release are called from one thread; Read and
// Remove may run on another.

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korv {

struct SpoolJob {
  int64_t number = 0;
  std::filesystem::path path;
  bool marked = false;  // it may have reached the printer before
};

class PrintSpool {
 public:
  explicit PrintSpool(std::filesystem::path folder) : folder_(std::move(folder)) {}

  const std::filesystem::path& folder() const { return folder_; }
  // The jobs in the folder, oldest first; none when the folder is missing.
  std::vector<SpoolJob> Jobs() const;
  // Stores bytes as the next job, on disk (fsync) before it returns. Raises
  // the file layer's RuntimeError (61 disk full, 70 no permission, ...) and
  // leaves nothing behind when it cannot. Creates the folder when missing.
  SpoolJob Add(std::string_view bytes);
  // A number no job or staged job has; the next Reserve or Add takes the
  // one after it.
  int64_t Reserve();
  // Whether job n is here, staged or not, with exactly these bytes.
  bool Holds(int64_t n, std::string_view bytes) const;
  // Stores bytes as staged job n, on disk before it returns; false when n
  // is taken. Raises as Add does.
  bool Stage(int64_t n, std::string_view bytes);
  // Makes staged job n a job; the job n when there is one (staged or not).
  std::optional<SpoolJob> Release(int64_t n);
  std::string Read(const SpoolJob& job) const;
  // Raises RuntimeError when the file stays; the job's mark goes with it.
  void Remove(const SpoolJob& job);
  // Marks the job as handed to its printer, on disk before it returns;
  // raises the file layer's RuntimeError when it cannot.
  void Mark(SpoolJob& job);
  // Takes the mark away again (the printer certainly has none of the job).
  void Unmark(SpoolJob& job);
  // Sets the job aside for a move (NNNNNN.moving); false when it is gone.
  bool SetAside(const SpoolJob& job);
  // The job set aside is a job again (the move failed).
  void PutBack(const SpoolJob& job);
  // The job set aside, moved: it goes for good.
  void Moved(const SpoolJob& job);
  // Drops temporary files a crash left half-written (never handed over as
  // spooled, so nothing is lost) and marks of jobs that are gone. A job a
  // crash left set aside for a move may have reached the other printer: it
  // is a job again, marked. Only the folder's owner may call it.
  void RemoveUnfinished();

 private:
  std::filesystem::path Path(int64_t n, const char* extension) const;
  void Number();  // next_ from the folder, the first time

  std::filesystem::path folder_;
  std::mutex numbering_;
  int64_t next_ = 0;  // 0 until the folder was looked at
};

// The spool folder's name for a device name: letters and digits kept (lower
// case), every other run of characters one "-" ("KITCHEN1 TM-U220" ->
// "kitchen1-tm-u220").
std::string SpoolFolderName(std::string_view device_name);

}  // namespace korv
