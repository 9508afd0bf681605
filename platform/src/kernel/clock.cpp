// The clock seam and the time functions that read it. The system clock is
// CLOCK_REALTIME with the zone's offset from localtime_r; ticks come from
// CLOCK_MONOTONIC so that GetTickCount never steps back with the wall clock.
#include "host.h"

#include <cerrno>
#include <ctime>

namespace vqwin::kernel {
namespace {

LONGLONG SystemUtc(void *) {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  return LONGLONG(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

LONG SystemOffset(LONGLONG utcMilliseconds, void *) {
  const time_t seconds = time_t(utcMilliseconds / 1000);
  tm local{};
  if (!localtime_r(&seconds, &local))
    return 0;
  return LONG(local.tm_gmtoff);
}

ULONGLONG SystemTicks(void *) {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ULONGLONG(ts.tv_sec) * 1000 + ULONGLONG(ts.tv_nsec) / 1000000;
}

constexpr VQWIN_CLOCK kSystemClock = {SystemUtc, SystemOffset, SystemTicks, nullptr};
VQWIN_CLOCK current = kSystemClock;

LONGLONG FloorDiv(LONGLONG a, LONGLONG b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }

// Days since 1970-01-01 to a civil date (proleptic Gregorian), computed in
// 400-year eras so that negative day numbers need no special case.
void CivilFromDays(LONGLONG days, LONGLONG &year, unsigned &month, unsigned &day) {
  days += 719468;
  const LONGLONG era = FloorDiv(days, 146097);
  const unsigned dayOfEra = unsigned(days - era * 146097);
  const unsigned yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const unsigned shiftedMonth = (5 * dayOfYear + 2) / 153; // March = 0
  day = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
  month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
  year = LONGLONG(yearOfEra) + era * 400 + (month <= 2);
}

void ToSystemTime(LONGLONG milliseconds, SYSTEMTIME &st) {
  const LONGLONG days = FloorDiv(milliseconds, 86400000);
  LONGLONG rest = milliseconds - days * 86400000;
  LONGLONG year;
  unsigned month, day;
  CivilFromDays(days, year, month, day);
  // SYSTEMTIME holds 1601-30827; outside that the clock is broken, and the
  // nearest representable year is less surprising than a wrapped WORD.
  st.wYear = WORD(year < 1601 ? 1601 : year > 30827 ? 30827 : year);
  st.wMonth = WORD(month);
  st.wDay = WORD(day);
  const LONGLONG weekday = (days + 4) % 7; // 1970-01-01 was a Thursday
  st.wDayOfWeek = WORD(weekday < 0 ? weekday + 7 : weekday);
  st.wHour = WORD(rest / 3600000);
  rest %= 3600000;
  st.wMinute = WORD(rest / 60000);
  rest %= 60000;
  st.wSecond = WORD(rest / 1000);
  st.wMilliseconds = WORD(rest % 1000);
}

} // namespace

const VQWIN_CLOCK &Clock() { return current; }

void Wait(DWORD milliseconds) {
  timespec ts{time_t(milliseconds / 1000), long(milliseconds % 1000) * 1000000};
  while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
  }
}

} // namespace vqwin::kernel

using vqwin::kernel::Clock;

void WINAPI VqwinSetClock(const VQWIN_CLOCK *clock) {
  using namespace vqwin::kernel;
  if (clock && clock->utcMilliseconds && clock->localOffsetSeconds && clock->tickMilliseconds)
    current = *clock;
  else
    current = kSystemClock;
}

void WINAPI GetSystemTime(LPSYSTEMTIME lpSystemTime) {
  if (!lpSystemTime)
    return;
  const VQWIN_CLOCK &c = Clock();
  vqwin::kernel::ToSystemTime(c.utcMilliseconds(c.context), *lpSystemTime);
}

void WINAPI GetLocalTime(LPSYSTEMTIME lpSystemTime) {
  if (!lpSystemTime)
    return;
  const VQWIN_CLOCK &c = Clock();
  const LONGLONG utc = c.utcMilliseconds(c.context);
  const LONGLONG offset = c.localOffsetSeconds(utc, c.context);
  vqwin::kernel::ToSystemTime(utc + offset * 1000, *lpSystemTime);
}

DWORD WINAPI GetTickCount(void) {
  const VQWIN_CLOCK &c = Clock();
  return DWORD(c.tickMilliseconds(c.context));
}
