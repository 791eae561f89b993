// The one text form of a file time, "%Y-%m-%d %H:%M:%S" (a TimeText), and the conversions
// between it and the UTC file times a target carries. Nothing here asks the platform for the
// clock or the time zone: the caller passes the offset from UTC in force now.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

// A local date and time as the user reads and types it.
struct LocalDateTime {
    int year;
    int month;
    int day;
    int hour;
    int minute;
    int second;
};

// The decimal digits of a value that is not negative, zeros before them up to `width`.
void AppendDigits(std::string& out, int64_t value, int width);

// "%Y-%m-%d", the separator, "%H:%M:%S": a TimeText with ' ', an ISO 8601 date and time with 'T'.
std::string DateTimeText(const LocalDateTime& time, char separator);

// True when text has the shape of a TimeText: exactly 19 bytes, digits at every position
// except 4, 7, 10, 13, 16 (which are not looked at). Bytes, not characters: a full-width digit
// is two bytes and not a digit.
bool IsValidTimeText(const std::string& text);

// The six numbers at their fixed positions (0-3, 5-6, 8-9, 11-12, 14-15, 17-18).
// Precondition: IsValidTimeText(text).
LocalDateTime ParseTimeText(const std::string& text);

// True when every field is in range: year 1601..9999, month 1..12, day within that month
// (proleptic Gregorian leap years), hour 0..23, minute and second 0..59.
bool IsValidLocalDateTime(const LocalDateTime& time);

// The civil calendar counted in whole seconds from 1601-01-01 00:00:00, the epoch of file times:
// the count of a date and time that passes IsValidLocalDateTime, and the date and time of a count
// of at least 0 (proleptic Gregorian, years past 9999 included).
int64_t SecondsSince1601(const LocalDateTime& time);
LocalDateTime DateTimeAfter1601(int64_t seconds);

// Local time minus UTC, in seconds, under the rules in force at a UTC time given in seconds since
// 1601-01-01 00:00:00: daylight saving included, and the rules of that year.
using UtcOffsetAt = std::function<int64_t(int64_t utcSeconds)>;

// The UTC time (seconds since 1601) at which the clock shows the local time `localSeconds` under
// the rules that offsetAt gives, each rule lasting at least two days: none when the clock never
// shows it (the hour skipped when the clocks go forward), the earlier of the two when it shows it
// twice (the hour repeated when they go back).
std::optional<int64_t> LocalToUtcSeconds(int64_t localSeconds, const UtcOffsetAt& offsetAt);

// File times count 100-ns ticks since 1601-01-01 00:00:00 UTC. utcOffsetSeconds is local time
// minus UTC in force NOW (daylight saving included), the same offset for display and write,
// whatever the date shown. Because both directions use that one offset, a shown text written
// back unchanged gives the same file time to the second; if the offset changes between display
// and write (a daylight-saving switch meanwhile), the written time moves by the difference.

// The TimeText ("%Y-%m-%d %H:%M:%S", 19 bytes) of a file time: fileTime + offset, truncated to
// the second. Empty string when the time has no TimeText: a zero file time, or a local form
// outside 1601-01-01 00:00:00 .. 9999-12-31 23:59:59.
std::string FileTimeToTimeText(uint64_t fileTime, int64_t utcOffsetSeconds);

// The TimeText of a file time under the rules of local time in force then; empty as above.
std::string LocalTimeText(uint64_t fileTime, const UtcOffsetAt& offsetAt);

// The UTC file time to write for a typed text: the typed local time minus the offset, zero
// fraction. nullopt when the text fails IsValidTimeText, a field is out of range (month 00 or
// 13+, a day the month does not have, hour 24+, minute/second 60+ are refused, never
// normalised), or the result falls before 1601-01-01 00:00:00 UTC or beyond what a FILETIME can
// hold (0x7FFFFFFFFFFFFFFF, the largest value the platform's time calls accept).
std::optional<uint64_t> TimeTextToFileTime(const std::string& text, int64_t utcOffsetSeconds);

// One of the three new times when a modification runs: kept as loaded, a typed time text (with
// the text that was shown for the loaded time: a typed text left as shown keeps the loaded time
// exactly, its fraction of a second included), an exact file time, or one of the target's own
// loaded times; any of them moved by a shift.
struct NewTime {
    enum class Kind { Kept, Typed, Exact, Copied };
    Kind kind = Kind::Kept;
    std::string typed;   // Typed: the text's bytes in the ANSI code page
    std::string shown;   // Typed: the text shown for the loaded time
    uint64_t exact = 0;  // Exact: the file time
    size_t source = 0;   // Copied: the loaded time it takes: creation, last write, last access
    int64_t shift = 0;   // ticks added
};

// The file times to write for the new creation, last-write and last-access times, or the index of
// the first to refuse (-1 when none is). The shape of every typed text is checked before the range
// of any. A kept time gives back the loaded one; a typed one TimeTextToFileTime's time. A typed,
// exact or copied time of 0, which the platform takes for "leave unchanged", is refused, and so is
// a shift of no time or one that leaves 1 .. 0x7FFFFFFFFFFFFFFF.
struct FileTimesDecision {
    int refused;
    std::array<uint64_t, 3> times;
};
FileTimesDecision DecideFileTimes(const std::array<NewTime, 3>& times,
                                  const std::array<uint64_t, 3>& loaded, int64_t utcOffsetSeconds);
