#include "target/TimeText.h"

#include <algorithm>
#include <limits>

namespace {

constexpr size_t kTimeTextLength = 19;
constexpr int64_t kTicksPerSecond = 10'000'000;
constexpr int64_t kSecondsPerDay = 86'400;

bool IsSeparatorPosition(size_t i) {
    return i == 4 || i == 7 || i == 10 || i == 13 || i == 16;
}

bool IsAsciiDigit(char c) {
    unsigned char byte = static_cast<unsigned char>(c);
    return byte >= '0' && byte <= '9';
}

// Decimal value of count digit bytes starting at pos; the caller has checked they are digits.
int ReadNumber(const std::string& text, size_t pos, size_t count) {
    int value = 0;
    for (size_t i = pos; i < pos + count; ++i) {
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

constexpr bool IsLeapYear(int64_t year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

constexpr int DaysInMonth(int64_t year, int month) {
    constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Days from 1970-01-01 to the given proleptic Gregorian date. Works in 400-year eras counted
// from 0000-03-01, so that the leap day falls at the end of each counted year.
constexpr int64_t DaysFromCivil(int64_t year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;  // [0, 399]
    const int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

// The inverse of DaysFromCivil.
constexpr LocalDateTime CivilFromDays(int64_t days) {
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t dayOfEra = days - era * 146097;  // [0, 146096]
    const int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;  // [0, 399]
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;  // March is 0
    const int day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    const int month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    const int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    return LocalDateTime{static_cast<int>(year), month, day, 0, 0, 0};
}

constexpr int64_t kEpochDays = DaysFromCivil(1601, 1, 1);

// The last second a TimeText can show: 9999-12-31 23:59:59.
constexpr int64_t kLastTimeTextSecond =
    (DaysFromCivil(9999, 12, 31) - kEpochDays + 1) * kSecondsPerDay - 1;

// The platform's time calls refuse file times with the top bit set.
constexpr int64_t kLastFileTimeSecond = std::numeric_limits<int64_t>::max() / kTicksPerSecond;

// The largest file time that the platform's time calls take.
constexpr uint64_t kLastFileTime = std::numeric_limits<int64_t>::max();

static_assert(DaysFromCivil(1970, 1, 1) == 0);
static_assert(kEpochDays == -134774);
static_assert(kLastTimeTextSecond <= kLastFileTimeSecond);

}  // namespace

void AppendDigits(std::string& out, int64_t value, int width) {
    char digits[20];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0 || count < width);
    while (count > 0) out += digits[--count];
}

std::string DateTimeText(const LocalDateTime& t, char separator) {
    std::string text;
    text.reserve(kTimeTextLength);
    AppendDigits(text, t.year, 4);
    text += '-';
    AppendDigits(text, t.month, 2);
    text += '-';
    AppendDigits(text, t.day, 2);
    text += separator;
    AppendDigits(text, t.hour, 2);
    text += ':';
    AppendDigits(text, t.minute, 2);
    text += ':';
    AppendDigits(text, t.second, 2);
    return text;
}

bool IsValidTimeText(const std::string& text) {
    if (text.size() != kTimeTextLength) {
        return false;
    }
    for (size_t i = 0; i < kTimeTextLength; ++i) {
        if (!IsSeparatorPosition(i) && !IsAsciiDigit(text[i])) {
            return false;
        }
    }
    return true;
}

LocalDateTime ParseTimeText(const std::string& text) {
    return LocalDateTime{ReadNumber(text, 0, 4),  ReadNumber(text, 5, 2),  ReadNumber(text, 8, 2),
                         ReadNumber(text, 11, 2), ReadNumber(text, 14, 2), ReadNumber(text, 17, 2)};
}

bool IsValidLocalDateTime(const LocalDateTime& time) {
    if (time.year < 1601 || time.year > 9999 || time.month < 1 || time.month > 12) {
        return false;
    }
    return time.day >= 1 && time.day <= DaysInMonth(time.year, time.month) && time.hour >= 0 &&
           time.hour <= 23 && time.minute >= 0 && time.minute <= 59 && time.second >= 0 &&
           time.second <= 59;
}

int64_t SecondsSince1601(const LocalDateTime& t) {
    return (DaysFromCivil(t.year, t.month, t.day) - kEpochDays) * kSecondsPerDay + t.hour * 3600 +
           t.minute * 60 + t.second;
}

LocalDateTime DateTimeAfter1601(int64_t seconds) {
    const int64_t secondOfDay = seconds % kSecondsPerDay;
    LocalDateTime t = CivilFromDays(kEpochDays + seconds / kSecondsPerDay);
    t.hour = static_cast<int>(secondOfDay / 3600);
    t.minute = static_cast<int>(secondOfDay / 60 % 60);
    t.second = static_cast<int>(secondOfDay % 60);
    return t;
}

std::optional<int64_t> LocalToUtcSeconds(int64_t local, const UtcOffsetAt& offsetAt) {
    // The offsets in force a day either side are those before and after any change near the
    // time; each gives the time's UTC reading, which holds where that offset is in force there.
    std::optional<int64_t> utc;
    for (const int64_t side : {-kSecondsPerDay, kSecondsPerDay}) {
        const int64_t offset = offsetAt(std::max<int64_t>(local + side, 0));
        if (offsetAt(std::max<int64_t>(local - offset, 0)) == offset &&
            (!utc || local - offset < *utc))
            utc = local - offset;
    }
    return utc;
}

std::string FileTimeToTimeText(uint64_t fileTime, int64_t utcOffsetSeconds) {
    if (fileTime == 0) {
        return std::string();  // the platform's "no time"
    }
    // At most about 1.8e12 seconds, so it fits a signed count; the fraction is dropped here, and
    // adding a whole-second offset afterwards cannot bring it back.
    const int64_t utcSeconds = static_cast<int64_t>(fileTime / kTicksPerSecond);
    if (utcOffsetSeconds > kLastTimeTextSecond - utcSeconds) {
        return std::string();
    }
    // Cannot overflow: utcSeconds >= 0, and a large positive offset was turned away above.
    const int64_t localSeconds = utcSeconds + utcOffsetSeconds;
    if (localSeconds < 0) {
        return std::string();
    }
    return DateTimeText(DateTimeAfter1601(localSeconds), ' ');
}

std::string LocalTimeText(uint64_t fileTime, const UtcOffsetAt& offsetAt) {
    return FileTimeToTimeText(fileTime, offsetAt(static_cast<int64_t>(fileTime / kTicksPerSecond)));
}

std::optional<uint64_t> TimeTextToFileTime(const std::string& text, int64_t utcOffsetSeconds) {
    if (!IsValidTimeText(text)) {
        return std::nullopt;
    }
    const LocalDateTime local = ParseTimeText(text);
    if (!IsValidLocalDateTime(local)) {
        return std::nullopt;  // refused, never normalised into another date
    }
    const int64_t localSeconds = SecondsSince1601(local);  // [0, kLastTimeTextSecond]
    // utc = local - offset must land in [0, kLastFileTimeSecond]; compare before subtracting so
    // that no offset, however large, can overflow.
    if (utcOffsetSeconds > localSeconds) {
        return std::nullopt;  // before 1601-01-01 00:00:00 UTC
    }
    if (utcOffsetSeconds < localSeconds - kLastFileTimeSecond) {
        return std::nullopt;  // beyond what a file time can hold
    }
    const int64_t utcSeconds = localSeconds - utcOffsetSeconds;
    return static_cast<uint64_t>(utcSeconds) * kTicksPerSecond;
}

FileTimesDecision DecideFileTimes(const std::array<NewTime, 3>& times,
                                  const std::array<uint64_t, 3>& loaded, int64_t utcOffsetSeconds) {
    FileTimesDecision decision{-1, loaded};
    for (int i = 0; i < 3; ++i) {
        if (times[i].kind == NewTime::Kind::Typed && !IsValidTimeText(times[i].typed))
            return {i, {}};
    }
    for (int i = 0; i < 3; ++i) {
        const NewTime& time = times[i];
        switch (time.kind) {
            case NewTime::Kind::Kept:
                if (time.shift == 0) continue;
                break;
            case NewTime::Kind::Typed:
                decision.times[i] =
                    time.typed == time.shown
                        ? loaded[i]
                        : TimeTextToFileTime(time.typed, utcOffsetSeconds).value_or(0);
                break;
            case NewTime::Kind::Exact:
                decision.times[i] = time.exact;
                break;
            case NewTime::Kind::Copied:
                decision.times[i] = loaded[time.source];
                break;
        }
        const uint64_t base = decision.times[i];
        const uint64_t by = time.shift < 0 ? 0 - static_cast<uint64_t>(time.shift) : time.shift;
        const uint64_t room = time.shift < 0 ? base - 1 : kLastFileTime - base;
        if (base == 0 || base > kLastFileTime || by > room) return {i, {}};
        decision.times[i] = time.shift < 0 ? base - by : base + by;
    }
    return decision;
}
