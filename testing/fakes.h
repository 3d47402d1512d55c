#pragma once
// Stand-ins for the window services in tests: a loop that runs posted work
// and timers on a fake clock, message boxes answered from a script, a silent
// sound cue, status lines kept in a list, a host with a set name, a
// printer that records documents and one that holds them back.

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/clock/clock.h"
#include "platform/host/host.h"
#include "platform/print/print_service.h"
#include "platform/screen/services.h"

namespace korv::testing {

// Timers fire only when the test advances the fake clock through RunFor.
class TestLoop : public EventLoop {
 public:
  explicit TestLoop(FakeClock& clock) : clock_(clock) {}
  void DoEvents() override;
  void Post(std::function<void()> work) override { posted_.push_back(std::move(work)); }
  void AddTimer(Timer& timer) override;
  void RemoveTimer(Timer& timer) override;
  // Advances the clock by ms in steps, firing each timer that falls due.
  void RunFor(int64_t ms);
  int do_events_calls = 0;

 private:
  struct Armed {
    Timer* timer;
    int64_t due;
  };
  void Arm(Timer& timer);
  FakeClock& clock_;
  std::deque<std::function<void()>> posted_;
  std::vector<Armed> timers_;
};

struct ShownBox {
  std::string text;
  std::string title;
  BoxIcon icon;
  BoxButtons buttons;
};

class ScriptedBoxes : public MessageBoxes {
 public:
  BoxAnswer Show(const std::string& text, const std::string& title, BoxIcon icon,
                 BoxButtons buttons) override;
  std::vector<ShownBox> shown;
  std::deque<BoxAnswer> answers;  // used in order; OK / Yes when empty
  std::function<void()> on_show;  // runs while the box is up
};

class SilentSound : public SoundCue {
 public:
  void Play(const std::string& host_path) override { played.push_back(host_path); }
  std::vector<std::string> played;
};

class RecordedStatusLines : public StatusLines {
 public:
  void Say(const std::string& line, Priority priority = Priority::kInfo) override {
    lines.push_back(line);
    priorities.push_back(priority);
  }
  std::vector<std::string> lines;
  std::vector<Priority> priorities;  // of each line
};

class FakeHost : public Host {
 public:
  std::optional<std::string> ComputerName() override { return name; }
  bool PreviousInstance() override { return previous; }
  std::optional<std::string> name = std::string("STATION7");
  bool previous = false;
};

// Keeps every delivered document; fails delivery when told to.
class RecordingDestination : public Destination {
 public:
  explicit RecordingDestination(std::vector<Document>* sink) : sink_(sink) {}
  void Deliver(const Document& doc) override;
  std::string Describe() const override { return "recording"; }
  int fail_with = 0;  // a run-time error number to raise, 0 for none

 private:
  std::vector<Document>* sink_;
};

// A printer whose holding the test sets, counting the operator's retries.
class HoldingDestination : public Destination {
 public:
  explicit HoldingDestination(std::string described) : described_(std::move(described)) {}
  void Deliver(const Document&) override {}
  std::string Describe() const override { return described_; }
  DestinationState State() const override { return state; }
  void RetryNow() override { ++retries; }
  DestinationState state;
  int retries = 0;

 private:
  std::string described_;
};

// A send's ledger of documents kept in memory.
class MemoryLedger : public DocumentLedger {
 public:
  LedgerEntry Entry(int document) const override;
  void Begin(int document, const std::string& printer, int64_t ref) override;
  void Done(int document, bool delivered) override;
  std::map<int, LedgerEntry> entries;
};

// Installed printers of these device names, all recording into one list.
std::vector<InstalledPrinter> RecordingPrinters(const std::vector<std::string>& names,
                                                std::vector<Document>* sink);

}  // namespace korv::testing
