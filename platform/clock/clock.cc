#include "platform/clock/clock.h"

#include <chrono>
#include <ctime>

namespace korv {
namespace {

constexpr int64_t kDayMs = 86400000;

int64_t ToWallMs(const DateTime& t) {
  return t.date.Serial() * kDayMs + static_cast<int64_t>(t.seconds) * 1000;
}

}  // namespace

DateTime SystemClock::Now() const {
  std::time_t t = std::time(nullptr);
  std::tm tm = {};
  localtime_r(&t, &tm);
  return DateTime{Date{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday},
                  tm.tm_hour * 3600 + tm.tm_min * 60 + tm.tm_sec};
}

int64_t SystemClock::MonotonicMs() const {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

DateTime HeldClock::Now() const {
  DateTime now = clock_.Now();
  return held_ && held_->date.Serial() == now.date.Serial() ? *held_ : now;
}

FakeClock::FakeClock(DateTime start) : wall_ms_(ToWallMs(start)) {}

DateTime FakeClock::Now() const {
  std::lock_guard<std::mutex> lock(mu_);
  int64_t day = wall_ms_ / kDayMs;
  return DateTime{Date::FromSerial(static_cast<long>(day)),
                  static_cast<int>((wall_ms_ % kDayMs) / 1000)};
}

int64_t FakeClock::MonotonicMs() const {
  std::lock_guard<std::mutex> lock(mu_);
  return mono_ms_;
}

void FakeClock::Set(DateTime now) {
  std::lock_guard<std::mutex> lock(mu_);
  wall_ms_ = ToWallMs(now);
}

void FakeClock::AdvanceMs(int64_t ms) {
  std::lock_guard<std::mutex> lock(mu_);
  wall_ms_ += ms;
  mono_ms_ += ms;
}

}  // namespace korv
