#include "scheduler/station_watch.h"

#include <algorithm>
#include <utility>

#include "common/val.h"

namespace korv {

const char* HealthName(Health health) {
  switch (health) {
    case Health::kFault:
      return "fault";
    case Health::kAttention:
      return "attention";
    case Health::kNormal:
      break;
  }
  return "normal";
}

void StationWatch::PassBegan() {
  found_.clear();
  state_.pass_began = clock_.Now();
}

void StationWatch::OrderHeld(const std::string& id, const std::string& why) {
  Add({"order " + id, Health::kAttention, id + " held", why});
}

void StationWatch::SendHalted(const std::string& id, const std::string& reason) {
  Add({"send " + id, Health::kFault, "the send of " + id + " stopped", reason});
}

void StationWatch::ShareDown(const std::string& why) {
  Add({"share", Health::kFault, "the shared folder cannot be reached", why});
}

// One condition a key; a send that halted is not also an order held.
void StationWatch::Add(Condition condition) {
  const auto has = [&](const std::string& key) {
    return std::any_of(found_.begin(), found_.end(),
                       [&](const Condition& c) { return c.key == key; });
  };
  const std::string& key = condition.key;
  if (has(key)) return;
  if (key.rfind("order ", 0) == 0 && has("send " + key.substr(6))) return;
  if (key.rfind("send ", 0) == 0)
    std::erase_if(found_, [&](const Condition& c) { return c.key == "order " + key.substr(5); });
  found_.push_back(std::move(condition));
}

std::vector<PrinterState> StationWatch::Printers() {
  std::vector<PrinterState> out;
  const DateTime now = clock_.Now();
  for (int i = 0; i < printers_.PrinterCount(); ++i) {
    const InstalledPrinter& p = printers_.printer(i);
    const DestinationState d = p.destination->State();
    PrinterState s{p.device_name, p.destination->Describe(), d.held, d.problem, std::nullopt};
    if (d.held > 0)
      s.since = holding_since_.try_emplace(p.device_name, now).first->second;
    else
      holding_since_.erase(p.device_name);
    out.push_back(std::move(s));
  }
  return out;
}

// The earliest send moment of the pending rows that can be read.
std::string StationWatch::NextDue() const {
  const PendingOrder* next = nullptr;
  for (const PendingOrder& o : pass_.PendingOrders()) {
    if (!o.send_day || !o.send_seconds) continue;
    const auto moment = [](const PendingOrder& p) {
      return std::pair(p.send_day->Serial(), *p.send_seconds);
    };
    if (!next || moment(o) < moment(*next)) next = &o;
  }
  if (!next) return {};
  return next->id + " " + Trim(next->header.send_date) + " " + Trim(next->header.send_time);
}

void StationWatch::PassEnded() {
  if (!pass_.ConfigProblem().empty())
    Add({"configuration", Health::kFault, "the configuration cannot be used",
         pass_.ConfigProblem()});
  state_.printers = Printers();
  for (const PrinterState& p : state_.printers) {
    if (p.held == 0) continue;
    const std::string tickets = std::to_string(p.held) + (p.held == 1 ? " ticket" : " tickets");
    Add({"printer " + p.name, Health::kAttention,
         p.name + " holds " + tickets + (p.problem.empty() ? "" : " (" + p.problem + ")"),
         "Printer " + p.name + " (" + p.destination + ") holds " + tickets +
             (p.problem.empty() ? "" : ": " + p.problem)});
  }
  std::stable_sort(found_.begin(), found_.end(),
                   [](const Condition& a, const Condition& b) { return a.level > b.level; });
  const std::vector<Condition> before = std::move(state_.conditions);
  state_.conditions = found_;
  state_.pass_ended = clock_.Now();
  state_.pending = pass_.PendingCount();
  state_.next_due = NextDue();
  state_.health = found_.empty() ? Health::kNormal : found_.front().level;
  state_.summary = std::to_string(state_.pending) + " pending";
  for (const Condition& c : found_) state_.summary += "; " + c.brief;
  TellChanges(before);
  found_.clear();
}

void StationWatch::TellChanges(const std::vector<Condition>& before) {
  const auto in = [](const std::vector<Condition>& list, const std::string& key) {
    return std::any_of(list.begin(), list.end(), [&](const Condition& c) { return c.key == key; });
  };
  for (const Condition& c : before)
    if (!in(state_.conditions, c.key))
      for (StationWatchListener* l : listeners_) l->ConditionEnded(c);
  for (const Condition& c : state_.conditions)
    if (!in(before, c.key))
      for (StationWatchListener* l : listeners_) l->ConditionBegan(c);
  for (StationWatchListener* l : listeners_) l->StateChanged(state_);
}

}  // namespace korv
