#pragma once
// The window services the procedures call besides the elements: letting
// pending window events run, timers, message boxes, the sound cue and the
// program's status lines.

#include <functional>
#include <string>

#include "platform/screen/elements.h"

namespace korv {

class EventLoop {
 public:
  virtual ~EventLoop() = default;
  // Runs every queued window event (posted work, due timers) and returns. A
  // procedure of the same window may run inside it.
  virtual void DoEvents() = 0;
  // Queues work for the loop's thread; safe from any thread.
  virtual void Post(std::function<void()> work) = 0;
  // Makes the loop run the timer's Tick whenever its interval elapses.
  virtual void AddTimer(Timer& timer) = 0;
  virtual void RemoveTimer(Timer& timer) = 0;
};

enum class BoxIcon { kNone, kCritical, kQuestion, kExclamation, kInformation };
enum class BoxButtons { kOk, kOkCancel, kYesNo };
enum class BoxAnswer { kOk, kCancel, kYes, kNo };

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // Shows the box and waits for the answer.
  virtual BoxAnswer Show(const std::string& text, const std::string& title, BoxIcon icon,
                         BoxButtons buttons) = 0;
};

class SoundCue {
 public:
  virtual ~SoundCue() = default;
  // Plays a sound file once; the callers ask only when the file exists.
  virtual void Play(const std::string& host_path) = 0;
};

// How much a status line matters to whoever follows the station: a fault
// (an order not sent, a ticket lost, the station stopping), a problem the
// station waits out or works around, or what it did. A journal that sorts
// by priority shows the faults alone.
enum class Priority { kError, kWarning, kInfo };

// The program's lines on standard error: one for each order sent, each error
// the window shows and each message box, so that a station, and above all a
// headless one, can be followed where the system keeps its services' output.
// The core writes to no stream itself; it says its lines here.
class StatusLines {
 public:
  virtual ~StatusLines() = default;
  // Writes one line (without its end) and makes it visible at once.
  virtual void Say(const std::string& line, Priority priority = Priority::kInfo) = 0;
};

}  // namespace korv
