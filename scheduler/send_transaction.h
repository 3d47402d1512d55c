#pragma once
// SendTransaction: the send of a due delayed order, exactly once, and the
// recovery of the sends this station began and did not end. It is built
// from the station's settings, the platform, the order engine (as the
// narrow OrderEngine) and the journal of each send; it knows no window.
// Its steps, their order and their error rules are in send_order.h.
//
// Who calls it: the dispatch pass (dispatch_pass.h), one order at a time,
// and only while the station's configuration can be used; while one order
// ends, the next one due is claimed and read ahead. Nothing escapes
// a call but what the file layer cannot say (an error of the pass); what a
// send meets is told to its SendReport: a fault for the error text, an
// order the pass must leave alone (it stays pending, or its send halted), a
// halt that ends the pass, and each order sent.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/station.h"
#include "common/steps.h"
#include "platform/platform.h"
#include "scheduler/delayed_send_log.h"
#include "scheduler/order_claim.h"
#include "scheduler/order_engine.h"
#include "scheduler/orderfiles/turnover.h"
#include "scheduler/pending_order.h"
#include "scheduler/send_order.h"

namespace korv {

// What a send tells the pass that runs it.
class SendReport {
 public:
  virtual ~SendReport() = default;
  // For the error text and standard error; once: only the first time this
  // run says it. A warning: what the send went on past.
  virtual void Fault(const std::string& message, bool once = true,
                     Priority priority = Priority::kError) = 0;
  // The order stays as it is for the rest of this pass, and nobody need
  // know (another station has it).
  virtual void LeaveAlone(const std::string& id) = 0;
  // The order stays as it is for the rest of this pass, for why, said as a
  // fault: somebody may have to act for it to go out.
  virtual void Hold(const std::string& id, const std::string& why, bool once = true) = 0;
  // The shared folder cannot be reached (why names it): nothing can be sent.
  virtual void ShareDown(const std::string& why) = 0;
  // The send of order id stopped where it is, for reason; its journal keeps
  // it for a later pass (the order is also left alone).
  virtual void Halted(const std::string& id, const std::string& reason) = 0;
  // A send halted on something every send needs: no further order is sent
  // this pass.
  virtual void HaltPass() = 0;
  // What the send is doing, for the operator ("Sending order for ...").
  virtual void Progress(const std::string& text) = 0;
  virtual void Sent(const std::string& id, int phone_order) = 0;
};

// The order a pass would send after the one under way, once that one's
// delayed files are gone. holds: whether its row is still as the pass read
// it (a look at its header, where the pass would take one); asked on a
// thread of its own, with a file layer of its own.
struct NextDue {
  PendingOrder order;
  std::function<bool(const FileSystem&)> holds;
};
using NextDueFinder = std::function<std::optional<NextDue>()>;

// What the pass needs of a send: SendTransaction, or a stand-in.
class OrderSends {
 public:
  virtual ~OrderSends() = default;
  // The send of a due order. pending_count: the delayed header files last
  // counted, for its log entry. True when the send saw the order's header
  // gone at its end (the pass then drops its row without a look).
  // next_due: the order the pass would send next, asked once this one's
  // delayed files are gone, so that it is claimed and read meanwhile (empty:
  // nothing is asked).
  virtual bool Send(const PendingOrder& order, int pending_count,
                    const NextDueFinder& next_due) = 0;
  // Whether the order of row file_name is claimed ahead, its row found as
  // the pass read it: the pass then takes it without a look of its own.
  virtual bool ClaimedAhead(const std::string& /*file_name*/) { return false; }
  // The sends begun and not ended, finished before any new one.
  virtual void RecoverSends() = 0;
  // The pass's sends are over: what they held open for the next send closes.
  virtual void PassEnded() {}
};

class SendTransaction : public OrderSends {
 public:
  SendTransaction(Station& station, Platform& platform, OrderEngine& engine, SendReport& report);

  // The send of a due order: claimed, its line file and printers looked at,
  // then turned into a phone order and handed to the engine.
  bool Send(const PendingOrder& order, int pending_count, const NextDueFinder& next_due) override;
  bool ClaimedAhead(const std::string& file_name) override;
  // Finishes every send the station's journal holds unfinished (the station
  // was killed or lost its power in them, or a send halted), from where each
  // stopped; a send whose order cannot be reached now (PhoneOrders\ missing:
  // the share is down) waits, said, and its order is left alone. The first
  // call also clears what dead processes of this station left half written
  // in the folders it writes.
  void RecoverSends() override;
  void PassEnded() override;

 private:
  // A due order claimed, and what was read of it before anything of it is
  // turned over.
  struct ClaimedOrder {
    std::string file_name, id;    // its row's
    bool header_claimed = false;  // false: another station has it, or it is gone
    std::optional<FileRead> lines_read;
    std::vector<std::string> rows;  // of its line file
    std::string lines_problem;      // why its lines cannot be sent; empty when they can
    SendStart start;
  };
  // Before anything of the order is turned over (send_transaction.cc).
  bool TakeClaim(const std::string& id, bool with_header = true);
  SendStart StartNow() const;
  ClaimedOrder ReadClaimed(OrderClaim& claim, FileSystem& files, const PendingOrder& order,
                           SendStart start);
  bool ClaimAndReadHeader(OrderClaim& claim, const std::string& id, SendStart* start);
  std::string LinesProblem(FileSystem& files, const std::string& id,
                           std::optional<FileRead>* lines_read, std::vector<std::string>* rows);
  // The next order, claimed and read while this one ends (send_transaction.cc).
  void ClaimNextAhead();
  std::optional<ClaimedOrder> ClaimAhead(const NextDue& next, FileSystem& files,
                                         const SendStart& start);
  std::optional<ClaimedOrder> TakeClaimedAhead(const PendingOrder& order);
  void SettleAhead();
  void DropAhead();
  bool PrintersMissing(const std::string& id, const std::vector<std::string>& rows);
  // The send of one claimed order in its steps, in the order they run
  // (send_order.cc).
  bool SendClaimedOrder(const std::string& id, const std::optional<FileRead>& lines_read,
                        const SendStart& start, int pending_count);
  void ResumeSend(std::unique_ptr<SendJournal> journal);
  void RunSend(OrderSend& send);
  DelayedOrderTurnOver TurnOver(FileSystem* files = nullptr);
  OrderSend StartSend(const std::string& id, const std::optional<FileRead>& lines_read,
                      const SendStart& start, int pending_count);
  bool ArchiveLinesDrawAndCopy(OrderSend& send);  // false: the order stays pending
  void Recorded(const std::string& what, const std::function<void()>& step);
  bool DrawAndCopy(OrderSend& send);
  bool DrawPhoneInNumber(OrderSend& send);
  std::optional<std::filesystem::path> WrittenAhead(FileSystem& files,
                                                    const std::optional<FileRead>& read) const;
  void CopyToPhoneOrder(OrderSend& send);
  void DeleteAndRewrite(OrderSend& send);
  void DeleteDelayedPair(OrderSend& send);
  std::string DeleteBegunFiles(const SendBeginning& b,
                               bool* header_deleted = nullptr);  // why the header stays
  void SayHeaderLeft(const SendJournal& journal, const std::string& why);
  std::unique_ptr<LogOpenedAhead> OpenLogAhead(const OrderSend& send);
  void LogSent(const OrderSend& send, LogOpenedAhead* opened);
  void AppendLogOnce(const OrderSend& send, const std::vector<std::string>& lines);
  void TakeCustomer(OrderSend& send);
  void SayUnknownCustomer(const OrderSend& send);
  void ReadCustomerOfSend(const OrderSend& send);
  std::optional<CustomerRecord> CustomerIfReadable(FileSystem& files,
                                                   const OrderHeader& header) const;
  void HandToEngine(const OrderSend& send);
  void AwaitSent(const OrderSend& send);
  void UnloadAndClear();
  void EndSend(const OrderSend& send);
  void HaltSend(const OrderSend& send, const StepsHalted& halted);
  // The sends a crash interrupted (interrupted_sends.cc).
  void RecoverSend(const std::string& journal_path);
  bool TakeBackOrder(const SendJournal& journal);
  void RemoveCopies(const SendJournal& journal);
  void LeftHeader(SendJournal& journal);
  void ClearTemporaries();

  Station& station_;
  Platform& platform_;
  OrderEngine& engine_;
  SendReport& report_;
  std::unique_ptr<OrderClaim> claim_;       // the order under way
  std::unique_ptr<OrderClaim> next_claim_;  // the next one, claimed ahead
  NextDueFinder next_due_;                  // the pass's, while a send is under way
  uint64_t ahead_pass_ = 0;                 // the file layer's pass of the claim ahead
  // The claim ahead under way, declared after the claims it uses, so that
  // it has ended before they go; then what it claimed and read.
  std::future<std::optional<ClaimedOrder>> claiming_ahead_;
  std::optional<ClaimedOrder> claimed_ahead_;
  bool temporaries_cleared_ = false;
  bool halted_ = false;  // this recovery met what every send needs
  // The clearing of what dead processes left, under way beside the start's
  // first pass; waited for when the transaction ends.
  std::future<void> clearing_;
};

}  // namespace korv
