#pragma once
// Every "now" and "today" of the program comes from here, so tests can set
// the time.

#include <cstdint>
#include <mutex>
#include <optional>

#include "common/date_time.h"

namespace korv {

class Clock {
 public:
  virtual ~Clock() = default;
  // Local date and time of day.
  virtual DateTime Now() const = 0;
  // Milliseconds on a clock that never goes back; timers run on it.
  virtual int64_t MonotonicMs() const = 0;
  Date Today() const { return Now().date; }
};

class SystemClock : public Clock {
 public:
  DateTime Now() const override;
  int64_t MonotonicMs() const override;
};

// The time of one send, held for the whole send: every ticket, the monitor
// file and the archive note of the send show the moment it began, and a send
// resumed after a restart prints what its first attempt printed. Without a
// held moment, or once the wrapped clock's day is no longer the held
// moment's day (a send resumed the next morning), it is the wrapped clock:
// the day's counters are always today's.
class HeldClock : public Clock {
 public:
  explicit HeldClock(const Clock& clock) : clock_(clock) {}
  DateTime Now() const override;
  int64_t MonotonicMs() const override { return clock_.MonotonicMs(); }
  void Hold(DateTime moment) { held_ = moment; }
  void Let() { held_.reset(); }

 private:
  const Clock& clock_;
  std::optional<DateTime> held_;
};

// A clock that moves only when told.
class FakeClock : public Clock {
 public:
  explicit FakeClock(DateTime start = DateTime{Date{2026, 12, 8}, 12 * 3600});
  DateTime Now() const override;
  int64_t MonotonicMs() const override;
  void Set(DateTime now);
  void AdvanceMs(int64_t ms);

 private:
  mutable std::mutex mu_;
  int64_t wall_ms_;  // since 12/30/1899 00:00
  int64_t mono_ms_ = 0;
};

}  // namespace korv
