// Exact times as the command line takes them and the JSON output gives them: ISO 8601 in its
// extended form, with an offset from UTC.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The file time (100-ns ticks since 1601-01-01 00:00:00 UTC) of "YYYY-MM-DDTHH:MM:SS", an optional
// fraction of one to seven digits after a '.', then 'Z' or an offset "+HH:MM" / "-HH:MM" of at most
// 14:00. 'T' and 'Z' may be lower case. Refused: no offset (the time would be neither local nor
// UTC for sure), the basic forms "+0800" and "+08" (the rest is in the extended form, so the offset
// is too), eight fraction digits or more (finer than a tick), a field out of range (year
// 1601..9999 as written, real month lengths, hour 0..23, no leap second), and a time at or before
// 1601-01-01 00:00:00 UTC, which a file time of 0 ("leave as it is") or none stands for.
std::optional<uint64_t> ParseIsoTime(std::string_view text);

// UTC with all seven fraction digits, "2024-05-01T08:00:00.0000000Z"; a year past 9999 is written
// in ISO 8601's expanded form, "+30828-09-14T02:48:05.4775807Z".
std::string FormatIsoTime(uint64_t ticks);
