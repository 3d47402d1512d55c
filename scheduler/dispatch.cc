// The dispatch pass: counts the pending delayed orders, rebuilds the list
// when needed, and sends every order that has fallen due, one after the
// other, starting again from the top after each send; the folder is listed
// once a tick.

#include <sys/stat.h>

#include <cerrno>
#include <set>

#include "common/order_paths.h"
#include "common/runtime_error.h"
#include "common/val.h"
#include "engine/station_config.h"
#include "platform/clock/station_settings.h"
#include "scheduler/dispatch_pass.h"

namespace korv {
namespace {

// Why the station's own settings cannot be used; empty when they can. A date
// order the station cannot know would send orders on the wrong days.
std::string StationSettingsProblem(Station& station, const FileSystem& files) {
  try {
    station.date_order = ReadStationSettings(files).date_order;
  } catch (const RuntimeError& e) {
    if (e.number() == kErrInvalidCall) return e.description();
    return std::string(kStationSettingsPath) + " cannot be read: " + ExplainedError(e);
  }
  return {};
}

}  // namespace

DispatchPass::DispatchPass(Station& station, Platform& platform)
    : station_(station), platform_(platform), listing_(platform.files) {}

void DispatchPass::ReadStationConfig() {
  const bool was_unusable = !config_problem_.empty();
  config_problem_ = StationConfigProblem(station_, platform_.files);
  if (config_problem_.empty()) config_problem_ = StationSettingsProblem(station_, platform_.files);
  if (!config_problem_.empty()) {
    Say(config_problem_ + "; no order is sent until it can be used");
    return;
  }
  listing_.SetPath(PhoneOrdersFolder(station_.DataRoot));
  listing_.SetPattern("DS*.PH");
  if (was_unusable)
    platform_.status.Say("korv-delayed-send: " + station_.WorkPath + " read; watching " +
                         listing_.Path());
}

void DispatchPass::Run() {
  if (station_.ScreenMode == kScreenViewOpen) return;
  // The paths the pass resolves are kept for it: on a share every look at a
  // name is a round trip, and each send resolves the same few dozen.
  FilePass files_pass(platform_.files);
  Tell([](PassObserver& o) { o.PassBegan(); });
  passed_by_.clear();
  pass_halted_ = false;
  if (!config_problem_.empty()) ReadStationConfig();
  if (config_problem_.empty()) SendDueOrders();
  KeepWithinRetention();
  EndOfPass();
}

void DispatchPass::RecoverSends() {
  if (!config_problem_.empty() || !send_) return;  // no folders to finish them in yet
  send_->RecoverSends();
}

// The pass proper: the sends a crash interrupted first, then from the top
// again after each send, until nothing more is due. The folder is listed
// once a tick.
void DispatchPass::SendDueOrders() {
  Tell([](PassObserver& o) { o.Busy(); });
  RecoverSends();
  swept_ = false;
  read_alone_ = 0;
  // What the tick reads serves the tick only; a reading between ticks (the
  // window's) is no tick's.
  struct Tick {
    explicit Tick(DispatchPass& pass) : pass(pass) { pass.in_tick_ = true; }
    ~Tick() {
      pass.in_tick_ = false;
      pass.read_this_tick_.clear();
    }
    DispatchPass& pass;
  } tick(*this);
  for (bool first_of_tick = true;; first_of_tick = false) {
    Tell([](PassObserver& o) { o.Busy(); });
    const PendingOrder* due = nullptr;
    try {
      if (TopOfPass(first_of_tick) == 0) break;
      due = NextToSend();
    } catch (const std::exception& e) {
      // The folder vanished or a file is locked: say so, and make the next
      // tick rebuild the list rather than trust the one left half made.
      const std::string why = "The pending orders in " + PhoneOrdersFolder(station_.DataRoot) +
                              " could not be read: " + ExplainedError(AsRuntimeError(e));
      Say(why);
      ShareDown(why);
      station_.LastPendingCount = -1;
      break;
    }
    // The pass lets window events run, so the operator may have opened a view
    // meanwhile: then no further order goes out under the operator's eyes.
    // Nor once the station is asked to end.
    if (!due || station_.ScreenMode == kScreenViewOpen || IsEnding() || pass_halted_ || !send_)
      break;
    const std::string file_name = due->file_name;
    const std::string id = due->id;
    if (send_->Send(PendingOrder(*due), pending_count_, [this, id] { return NextDueAfter(id); }))
      listing_.Forget(file_name);
    else
      ForgetIfGone(file_name);
  }
  if (send_) send_->PassEnded();
}

// The tick's one listing serves all its sends: a header the send saw gone
// leaves it at once, any other after one look, where listing the folder
// again would cost hundreds of round trips on a share. Orders written
// meanwhile are listed at the next tick.
void DispatchPass::ForgetIfGone(const std::string& file_name) {
  const FileAt at = platform_.files.At(PendingFolder(), file_name);
  struct stat st;
  if (::fstatat(at.dir, at.c_str(), &st, 0) != 0 && errno == ENOENT) listing_.Forget(file_name);
}

// Steps 3 to 8: returns the count of delayed header files. Each round takes
// the tick's listing: rows of headers gone are dropped and new headers
// read. The headers of the rows kept are looked at by the sweep, once a
// tick, after the orders due among the rows held have gone out: an order
// due now waits for no look at the others.
int DispatchPass::TopOfPass(bool first_of_tick) {
  if (first_of_tick) ListFolder();
  const int count = listing_.ListCount();
  ShowPendingCount(count);
  Tell([&](PassObserver& o) { o.Listed(count); });
  platform_.loop.DoEvents();
  if (count == 0) {
    RefreshList();  // drops the rows of the orders gone, the one just sent among them
    return 0;
  }

  if (first_of_tick) {
    ++station_.TickCount;
    Tell([&](PassObserver& o) { o.Ticked(station_.TickCount); });
  }
  // A negative count left by a failed pass: the rows held are not trusted.
  if (station_.LastPendingCount < 0) {
    Sweep();
    return count;
  }
  RefreshList();
  station_.LastPendingCount = static_cast<int>(pending_.size());
  ShowPendingCount(listing_.ListCount());
  return count;
}

// The folder is listed before the stale phone order 0 goes (whose names the
// listing's pattern never takes), so that the names are looked up in what
// the listing read rather than in a second reading of the folder. A send
// never writes phone order 0, so once a tick finds any there is.
void DispatchPass::ListFolder() {
  listing_.Refresh();
  for (const std::string& stale :
       {PhoneOrderLinesPath(station_.DataRoot, 0), PhoneOrderHeaderPath(station_.DataRoot, 0)}) {
    if (platform_.files.Exists(stale)) platform_.files.Kill(stale);
  }
}

// The first order due. A row held from an earlier tick is sent only while
// one look at its header shows it unchanged; otherwise its header is read
// again alone, and the first order due found again, so a header another
// station rewrote is sent as it now reads without waiting for every other
// header to be read (on a share, the full read takes seconds). When nothing
// held is due, the sweep looks at every header first (once a tick).
const PendingOrder* DispatchPass::NextToSend() {
  const PendingOrder* due = FindDueOrder();
  std::set<std::string> read_again;
  while (!swept_ && due && !read_this_tick_.count(due->file_name) &&
         !read_again.count(due->file_name)) {
    if ((send_ && send_->ClaimedAhead(due->file_name)) || RowHolds(*due)) return due;
    // Each row read alone rebuilds the list: past a few, the sweep is cheaper.
    if (read_alone_ >= kReadAloneAtMost) break;
    ++read_alone_;
    read_again.insert(due->file_name);
    ReadRowAgain(*due);
    due = FindDueOrder();
  }
  if (swept_ ||
      (due && (read_this_tick_.count(due->file_name) || read_again.count(due->file_name))))
    return due;
  Sweep();
  return FindDueOrder();
}

// Every header looked at (one stat each) and read again where it may have
// changed since it was read; every sixth tick every header read again,
// whatever came and went meanwhile.
void DispatchPass::Sweep() {
  swept_ = true;
  if (station_.TickCount > 5 || station_.LastPendingCount < 0) {
    station_.TickCount = 0;
    UpdateList();
  } else {
    RefreshList(true);
  }
  station_.LastPendingCount = static_cast<int>(pending_.size());
  ShowPendingCount(listing_.ListCount());
}

// One reading of the clock for the whole list: each is a call into the
// time zone's rules, and the list may be thousands long.
const PendingOrder* DispatchPass::FindDueOrder() {
  const DateTime now = platform_.clock.Now();
  for (const PendingOrder& order : pending_)
    if (IsDue(order, now)) return &order;
  return nullptr;
}

bool DispatchPass::IsDue(const PendingOrder& order, const DateTime& now) {
  if (passed_by_.count(order.id)) return false;
  const std::string why = WhyNotSendable(order);
  if (!why.empty()) {
    Hold(order.id, why);
    return false;
  }
  return IsDueAt(order, now);
}

// Why the order cannot go out as its header stands, as said; empty when it
// can. A send moment is never guessed: the order waits until its header is
// mended. Said by the pass only: the shared log holds what the stations' log
// viewers know.
std::string DispatchPass::WhyNotSendable(const PendingOrder& order) const {
  const std::string& id = order.id;
  if (!IsSafeOrderId(id))
    return "Order id \"" + id + "\" cannot name an order file; the order is left in " +
           PhoneOrdersFolder(station_.DataRoot);
  const std::string unreadable = UnreadableSendMoment(order);
  if (!unreadable.empty())
    return "Order " + id + " stays pending: the " + unreadable + " cannot be read in " +
           DelayedHeaderPath(station_.DataRoot, id);
  return {};
}

// The order this round would find next once order id has gone, as the rows
// stand while it is sent, with the look at its header the next round would
// take; nothing is said or held here. The send claims and reads it ahead;
// the next round finds it again, or finds another, and the claim ahead is
// let go.
std::optional<NextDue> DispatchPass::NextDueAfter(const std::string& id) const {
  if (station_.ScreenMode == kScreenViewOpen || IsEnding() || pass_halted_) return std::nullopt;
  const DateTime now = platform_.clock.Now();
  for (const PendingOrder& order : pending_) {
    if (order.id == id || passed_by_.count(order.id) || !WhyNotSendable(order).empty() ||
        !IsDueAt(order, now))
      continue;
    const bool look = !swept_ && !read_this_tick_.count(order.file_name);
    return NextDue{order, [look, folder = PendingFolder(), order](const FileSystem& files) {
                     return !look || RowHoldsIn(files, folder, order);
                   }};
  }
  return std::nullopt;
}

void DispatchPass::EndOfPass() {
  // A printer that holds tickets back (off, out of paper, unreachable) is
  // said in the error text, once for each state it is in.
  for (const std::string& warning : platform_.printer.HeldBackWarnings())
    Say(warning, true, Priority::kWarning);
  Tell([](PassObserver& o) { o.PassEnded(); });
}

void DispatchPass::Hold(const std::string& id, const std::string& why, bool once) {
  Say(why, once);
  if (passed_by_.insert(id).second) Tell([&](PassObserver& o) { o.OrderHeld(id, Printable(why)); });
}

void DispatchPass::ShareDown(const std::string& why) {
  Tell([&](PassObserver& o) { o.ShareDown(why); });
}

void DispatchPass::Halted(const std::string& id, const std::string& reason) {
  Tell([&](PassObserver& o) { o.SendHalted(id, reason); });
}

void DispatchPass::Progress(const std::string& text) {
  Tell([&](PassObserver& o) { o.Progress(text); });
}

void DispatchPass::Sent(const std::string& id, int phone_order) {
  Tell([&](PassObserver& o) { o.OrderSent(id, phone_order); });
}

void DispatchPass::Say(const std::string& message, bool once, Priority priority) {
  const std::string said = Printable(message);  // it may quote a damaged file
  if (once && !reported_.insert(said).second) return;
  Tell([&](PassObserver& o) { o.FaultSaid(said); });
  platform_.status.Say("korv-delayed-send: " + said, priority);
}

}  // namespace korv
