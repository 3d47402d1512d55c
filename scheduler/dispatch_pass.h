#pragma once
// DispatchPass: the pending delayed orders and the pass that sends them.
// It owns the listing of the watched PhoneOrders\ folder, the pending orders
// read from its headers (the typed rows, in the folder's own name order,
// DS10 before DS9), the station's configuration as the pass reads it, and
// the error text's rule of saying each fault once. Each pass finishes the
// sends a crash left, counts the delayed headers, then sends every due order
// one after the other, starting again from the top after each send (from
// the tick's one listing of the folder, less the headers sent); the
// headers of the rows it holds are looked at (the sweep) once the orders due
// among them have gone out.
//
// Who calls it: the window's timer once a minute (Run), the program's single
// pass, and korvtool's order commands (the list alone). The send itself is
// an OrderSends (send_transaction.h), which reports back to the pass.
// Observers (the window, later a status file) are told what happened: rows
// added or gone, counts, faults said, orders sent; they never change the
// rows. Run lets an error of the file layer that no send caught go to the
// caller; what a send meets never escapes it.

#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "common/station.h"
#include "platform/platform.h"
#include "platform/screen/file_list.h"
#include "scheduler/pending_order.h"
#include "scheduler/send_transaction.h"

namespace korv {

struct HeaderRead;

// What a pass tells those who show it. Every call has a default that does
// nothing, so an observer takes only what it shows.
class PassObserver {
 public:
  virtual ~PassObserver() = default;
  virtual void RowsCleared() {}
  virtual void RowAdded(const PendingOrder& /*order*/) {}
  virtual void RowRemoved(int /*index*/) {}
  // The delayed header files counted (or the rows read, after a rebuild).
  virtual void Counted(int /*count*/) {}
  // A reading of the rows begins (true) or ends (false).
  virtual void Updating(bool /*updating*/) {}
  // A round of the pass has listed the folder: count headers there.
  virtual void Listed(int /*count*/) {}
  // A tick counted towards the full reading every sixth tick.
  virtual void Ticked(int /*tick_count*/) {}
  virtual void Progress(const std::string& /*text*/) {}
  virtual void FaultSaid(const std::string& /*message*/) {}
  virtual void OrderSent(const std::string& /*id*/, int /*phone_order*/) {}
  // A pass begins (the timer's, or the program's single pass).
  virtual void PassBegan() {}
  // The order stays pending for the rest of this pass, for why (said as a
  // fault too).
  virtual void OrderHeld(const std::string& /*id*/, const std::string& /*why*/) {}
  // The shared folder cannot be reached this pass.
  virtual void ShareDown(const std::string& /*why*/) {}
  // Its send stopped where it is; a later pass finishes it.
  virtual void SendHalted(const std::string& /*id*/, const std::string& /*reason*/) {}
  // The pass is under way (it lets window events run): nothing may start
  // another meanwhile.
  virtual void Busy() {}
  virtual void PassEnded() {}
};

class DispatchPass : public SendReport {
 public:
  DispatchPass(Station& station, Platform& platform);

  void SetSend(OrderSends* send) { send_ = send; }
  void AddObserver(PassObserver* observer) { observers_.push_back(observer); }
  // True once the station is asked to end: no further order is begun.
  std::function<bool()> Ending;

  // Reads the station's configuration and settings. One the station cannot
  // work from (missing, empty, cut short, locked, a DataRoot that names no
  // folder, settings it cannot read) is said, and no folder is watched:
  // without its DataRoot the station would watch a PhoneOrders\ of the
  // working folder. Every pass reads it again until it can be used.
  void ReadStationConfig();
  // Why the configuration cannot be used, as said; empty once it has been read.
  const std::string& ConfigProblem() const { return config_problem_; }

  // One pass. Nothing is sent while an operator's view is open.
  void Run();
  // The sends begun and not ended, finished (nothing while the
  // configuration cannot be used).
  void RecoverSends();

  // The listing of the watched folder (the window's File1).
  FileListBox& Listing() { return listing_; }
  const std::vector<PendingOrder>& PendingOrders() const { return pending_; }
  // The delayed header files last counted.
  int PendingCount() const { return pending_count_; }
  // The rows read again from every listed header.
  void UpdateList();
  // The rows brought up to the listing: rows of headers that are gone are
  // dropped and new headers are read, while rows of the headers still there
  // are kept as read. A send changes only the sent order's files, so after a
  // send this gives what a full rebuild gives without reading every pending
  // header again. look_at_headers: each kept row's header is looked at too
  // (one stat), and read again when it may have changed since it was read,
  // so a header another station rewrote in place is seen.
  void RefreshList(bool look_at_headers = false);
  // One row's header read again alone, the other rows kept as they are.
  void ReadRowAgain(const PendingOrder& order);

  // Says a fault: to the observers (the error text) and on the status
  // service; each distinct message only once per run, so a fault met every
  // minute is said once. A message names the file or the order it is about;
  // control bytes it quotes from a file are shown escaped.
  void Say(const std::string& message, bool once = true, Priority priority = Priority::kError);

  // SendReport: what the send under way tells the pass.
  void Fault(const std::string& message, bool once = true,
             Priority priority = Priority::kError) override {
    Say(message, once, priority);
  }
  void LeaveAlone(const std::string& id) override { passed_by_.insert(id); }
  void Hold(const std::string& id, const std::string& why, bool once = true) override;
  void ShareDown(const std::string& why) override;
  void Halted(const std::string& id, const std::string& reason) override;
  void HaltPass() override { pass_halted_ = true; }
  void Progress(const std::string& text) override;
  void Sent(const std::string& id, int phone_order) override;

 private:
  template <typename F>
  void Tell(F f) {
    for (PassObserver* o : observers_) f(*o);
  }
  bool IsEnding() const { return Ending && Ending(); }
  // The pass in its steps (dispatch.cc).
  void SendDueOrders();
  int TopOfPass(bool first_of_tick);
  void ListFolder();
  void ForgetIfGone(const std::string& file_name);
  const PendingOrder* NextToSend();
  void Sweep();
  const PendingOrder* FindDueOrder();
  bool IsDue(const PendingOrder& order, const DateTime& now);
  std::string WhyNotSendable(const PendingOrder& order) const;
  std::optional<NextDue> NextDueAfter(const std::string& id) const;
  void EndOfPass();
  // Once a day: the files the station writes, kept within its retention
  // (retention.h); what is removed is said, what cannot be is a fault.
  void KeepWithinRetention();
  // The pending orders (pending_list.cc): every change of the rows goes
  // through these, so the observers never differ from them.
  void ClearPending();
  void AddPending(PendingOrder order);
  void RemovePending(int index);
  void ShowPendingCount(int count);
  std::filesystem::path PendingFolder() const;  // the listing's folder on this machine
  bool AddRead(const std::filesystem::path& folder, const std::string& file_name, HeaderRead& read);
  std::vector<bool> RowsThatHold(const std::filesystem::path& folder) const;
  bool RowHolds(const PendingOrder& order) const;  // one look at its header
  static bool RowHoldsIn(const FileSystem& files, const std::filesystem::path& folder,
                         const PendingOrder& order);
  bool PassHeaderBy(const std::string& why);  // about the header at WorkPath; false
  bool SameNamesAsListed() const;
  bool DropGoneRows();
  // The rows brought up to the listing, those that do not hold read again.
  void MergeRows(const std::filesystem::path& folder, std::vector<bool> holds);

  Station& station_;
  Platform& platform_;
  FileListBox listing_;
  OrderSends* send_ = nullptr;
  std::vector<PassObserver*> observers_;
  std::string config_problem_;
  std::set<std::string> reported_;
  std::set<std::string> passed_by_;  // ids this pass leaves alone
  bool pass_halted_ = false;         // a send halted on a file every send needs
  bool swept_ = false;               // every header looked at this tick
  int read_alone_ = 0;               // due rows read again alone this tick
  static constexpr int kReadAloneAtMost = 16;
  bool in_tick_ = false;                  // sending the due orders of a tick
  std::set<std::string> read_this_tick_;  // headers (file names) read this tick
  std::optional<Date> retention_day_;     // the day KeepWithinRetention last ran
  std::vector<PendingOrder> pending_;
  int pending_count_ = 0;  // the delayed header files last counted
};

}  // namespace korv
