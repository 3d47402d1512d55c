#pragma once
// The printing service: one process-wide current printer receiving lines in
// the current font state, printed as one document when the document is ended.
// The ticket code names printers by a prefix of their device names.

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "common/color.h"
#include "platform/print/code_page.h"
#include "platform/print/printer_condition.h"

namespace korv {

// One printed line and the output state it was printed in.
struct PrintedLine {
  std::vector<std::string> items;  // printed one after the other
  std::string font = "Arial";
  double size = 10;
  bool bold = false;
  bool italic = false;
  Color color = kBlack;
  std::string Text() const;  // the items joined
};

struct Document {
  std::string printer;  // device name
  std::vector<PrintedLine> lines;
};

// What a destination holds back from its printer.
struct DestinationState {
  int held = 0;         // documents accepted but not yet taken by the printer
  std::string problem;  // why the printer did not take the last one; empty when it did
  // What the printer said of itself at the last attempt (kUnknown: it was
  // not asked, or did not answer).
  PrinterCondition condition = PrinterCondition::kUnknown;
};

// What the journal of a send knows of the documents the send ended,
// numbered 1, 2, 3, ... in the order they were ended: the printer and the
// number each was to take there (ref: its spool job, its folder document),
// and whether it got there.
struct LedgerEntry {
  bool begun = false;   // a number was reserved for it
  std::string printer;  // device name
  int64_t ref = 0;
  bool done = false;       // settled: delivered, or failed and not to be tried again
  bool delivered = false;  // it reached its printer's spool or folder
};

class DocumentLedger {
 public:
  virtual ~DocumentLedger() = default;
  virtual LedgerEntry Entry(int document) const = 0;
  // Each is on disk before it returns.
  virtual void Begin(int document, const std::string& printer, int64_t ref) = 0;
  virtual void Done(int document, bool delivered) = 0;
};

// Where an installed printer's ended documents go (a ticket printer, a CUPS
// queue, a folder). Failing to deliver raises RuntimeError.
class Destination {
 public:
  virtual ~Destination() = default;
  virtual void Deliver(const Document& doc) = 0;
  // Delivery under a number that a ledger records first, so that a send
  // resumed after a crash never delivers a document twice. Reserve: the
  // number the document is to take. Holds: whether the document is already
  // there under ref, whole and as given (a spool job, a folder's document).
  // DeliverAs: delivers it under ref, on disk before it returns; false (and
  // nothing delivered) when ref was taken meanwhile. Release: the ledger
  // knows ref is out: a spooled printer may now send it. A destination
  // without numbers delivers at once and holds nothing.
  virtual int64_t Reserve(const Document& /*doc*/) { return 0; }
  virtual bool Holds(int64_t /*ref*/, const Document& /*doc*/) { return false; }
  virtual bool DeliverAs(int64_t /*ref*/, const Document& doc) {
    Deliver(doc);
    return true;
  }
  virtual void Release(int64_t /*ref*/) {}
  // Starts handing what it holds to the printer, when that waits for it
  // (the station program: once the interrupted sends are finished).
  virtual void Start() {}
  // Stops handing jobs to the printer (what it holds stays for the next
  // start); the printers stop together before any is destroyed, since one
  // may hand its jobs to another.
  virtual void Stop() {}
  // The operator says the printer may be back (paper loaded, switched on):
  // what it holds is tried at once instead of after the pause between
  // retries. Safe from any thread; returns at once.
  virtual void RetryNow() {}
  // Text shown to an administrator ("socket://10.0.0.5:9100").
  virtual std::string Describe() const = 0;
  // False for an entry that names nothing this station can print to: its
  // tickets wait rather than fail.
  virtual bool CanPrint() const { return true; }
  // Cheap; safe to call on every dispatch pass.
  virtual DestinationState State() const { return {}; }
  // Waits until the printer has taken every accepted document; false when
  // `within` passed first. Destinations that deliver at once return true.
  virtual bool Drain(std::chrono::milliseconds /*within*/) { return true; }
  // Whether the printer can be reached now, found without printing anything
  // and within about `within`: empty when it can, else why not. For an
  // administrator's check of a station that sends nothing meanwhile.
  virtual std::string Check(std::chrono::milliseconds /*within*/) const { return {}; }
  // What the printer says of itself now, asked within about `within`;
  // kUnknown where it cannot be asked.
  virtual PrinterCondition Ask(std::chrono::milliseconds /*within*/) const {
    return PrinterCondition::kUnknown;
  }
};

// What a printer's entry says about its paper and characters.
struct PaperSetup {
  int columns = 0;  // "columns=": characters a line in its standard font; 0: not given
  CodePage code_page = CodePage::k1252;  // "codepage="
};

struct InstalledPrinter {
  std::string device_name;
  std::unique_ptr<Destination> destination;
  bool red = false;  // the printer prints red (two-colour ribbon)
  PaperSetup paper = {};
};

class PrintService {
 public:
  PrintService() = default;
  explicit PrintService(std::vector<InstalledPrinter> printers, int current = 0);
  ~PrintService();
  PrintService(PrintService&&) = default;
  PrintService& operator=(PrintService&&) = default;

  // Device names in the order the system lists them.
  std::vector<std::string> Printers() const;
  int PrinterCount() const { return static_cast<int>(printers_.size()); }
  // -1 when no printer is installed.
  int Current() const { return current_; }
  // Whether a document ended on printer index goes anywhere: a printer whose
  // entry names no destination this station can print to does not.
  bool CanPrint(int index) const;
  std::string CurrentName() const;
  // Selecting another printer while a document is open ends (sends) that
  // document first; when that delivery fails, the new printer is current
  // all the same and the failure is raised. Error 5 for an index outside the
  // list.
  void Select(int index);

  void SetFontName(std::string name) { state_.font = std::move(name); }
  const std::string& FontName() const { return state_.font; }
  void SetFontSize(double size) { state_.size = size; }
  double FontSize() const { return state_.size; }
  void SetBold(bool on) { state_.bold = on; }
  bool Bold() const { return state_.bold; }
  void SetItalic(bool on) { state_.italic = on; }
  bool Italic() const { return state_.italic; }
  void SetForeColor(Color c) { state_.color = c; }
  Color ForeColor() const { return state_.color; }
  // The page setting a station resets to 1 after each ticket.
  void SetCopies(int copies) { copies_ = copies; }
  int Copies() const { return copies_; }

  // Prints the items on one line; no items prints an empty line. Error 482
  // when no printer is installed.
  void PrintLine(std::vector<std::string> items = {});
  // Sends the open document; nothing happens when no line was printed. A
  // delivery failure is raised to the caller after the document is dropped.
  // Under a ledger a document that cannot be delivered is kept in it, begun
  // and not done, and StepsHalted stops the send that ended it, past every
  // ticket's own error handling: a ticket is never dropped, and the send
  // resumed later delivers it under the same number.
  void EndDoc();
  // Documents ended from now on are numbered from 1 and go through the
  // ledger: one it knows is done is not delivered again, one it began is
  // looked for at its printer first (null: delivered at once, as always).
  void SetLedger(DocumentLedger* ledger);
  // Starts every printer that waits for it (Destination::Start).
  void Start();
  // Every printer tries what it holds at once (Destination::RetryNow).
  void RetryHeldTickets();
  bool DocumentOpen() const { return !open_.lines.empty(); }
  const Document& OpenDocument() const { return open_; }

  InstalledPrinter& printer(int index) { return printers_.at(index); }

  // One line for each printer that holds documents back because its last
  // attempt failed, naming the printer, its destination, how many it holds
  // and why; none when every printer is keeping up. For the error text and
  // standard error, on each dispatch pass.
  std::vector<std::string> HeldBackWarnings() const;
  // Before the program ends: gives the printers up to `within` in all to take
  // what they hold; false when some still hold documents (they stay spooled
  // and go out at the next start).
  bool Drain(std::chrono::milliseconds within);

 private:
  void DeliverOnce(Destination& destination, const Document& doc);
  void DeliverEntry(Destination& destination, const Document& doc, int document);

  std::vector<InstalledPrinter> printers_;
  int current_ = -1;
  DocumentLedger* ledger_ = nullptr;
  int ended_ = 0;  // documents ended under the ledger
  // A new program's printer writes in the colour every ticket line returns
  // to (the button text), so the first ticket after a start prints as every
  // later one does.
  PrintedLine state_ = PrintedLine{{}, "Arial", 10, false, false, kButtonText};
  int copies_ = 1;
  Document open_;
};

}  // namespace korv
