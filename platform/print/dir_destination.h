#pragma once
// A printer that prints into a folder (printers.conf "dir:PATH"): each ended
// document becomes NNNNNN.txt (RenderText) and NNNNNN.html (RenderHtml),
// with its lines as printed; when the entry gives the paper's columns, with
// its lines as that paper shows them (FitDocument, in the entry's code page).
// The files are numbered on, six digits or more, from the highest number in
// the folder at the first document, then from the destination's own last
// number, looking at the folder again whenever a number is found taken. Both are written whole
// under a temporary name first, put on disk, and then published under their number, so a reader
// never sees half a ticket and two printing processes never take the same number. The .html appears
// just before the .txt: a ticket is there once its .txt is. A document of nothing but printer
// commands (the paper cut after a ticket) ends the text of the ticket this destination wrote last.
// A missing folder is created. Failures raise the file layer's RuntimeError (61 disk full, 70 no
// permission, ...), and no temporary file is left behind.
//
// The folder is the printer's spool: a send's journal reserves a document's
// number, and the document is there once its .txt holds its text (Holds).

#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/print/print_service.h"

namespace korv {

class DirDestination : public Destination {
 public:
  // folder: the host folder; described: the destination as configured.
  DirDestination(std::filesystem::path folder, std::string described, PaperSetup paper = {})
      : folder_(std::move(folder)), described_(std::move(described)), paper_(paper) {}
  void Deliver(const Document& doc) override;
  int64_t Reserve(const Document& doc) override;
  bool Holds(int64_t ref, const Document& doc) override;
  bool DeliverAs(int64_t ref, const Document& doc) override;
  void Release(int64_t ref) override { last_number_ = ref; }
  std::string Describe() const override { return described_; }
  const std::filesystem::path& folder() const { return folder_; }
  // The folder, or the nearest folder above it when it is still to be made,
  // must be writable.
  std::string Check(std::chrono::milliseconds within) const override;

 private:
  Document OnPaper(const Document& printed) const;
  bool EndsLastTicket(const Document& doc) const;
  bool Taken();                                  // the number tried is another writer's: false
  bool Write(int64_t ref, const Document& doc);  // DeliverAs of a document on paper

  std::filesystem::path folder_;
  std::string described_;
  PaperSetup paper_;
  int64_t last_number_ = 0;  // the ticket this destination wrote last
  bool look_again_ = false;  // a number was found taken: read the folder
};

// The highest number among the folder's NNNNNN.txt and NNNNNN.html files
// (any letter case); 0 when there is none or the folder is missing.
int64_t HighestDocumentNumber(const std::filesystem::path& folder);
// The number of a document's file name (NNNNNN.txt or NNNNNN.html, six
// digits or more, any letter case); -1 for any other name.
int64_t DocumentNumber(const std::string& name);

}  // namespace korv
