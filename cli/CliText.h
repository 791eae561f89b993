// Small conversions between the console's UTF-16 texts and numbers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "version/VersionBlock.h"

std::u16string DecimalU16(uint64_t value);

// The text's bytes when every unit is ASCII; nothing otherwise, so that a full-width digit or a
// superscript one is never read as a digit.
std::optional<std::string> AsciiBytes(std::u16string_view text);

// "A.B.C.D": exactly four decimal numbers 0..65535 between three dots, no sign and no spaces
// (leading zeros are read as decimal, never as octal); FixedVersionText writes it.
std::optional<FixedVersion> ParseFixedVersion(std::u16string_view text);

// A shift of time, "+" or "-" and then at least one of days, hours, minutes and seconds in this
// order, each a decimal count and its letter ("+1d12h", "-90s", "+2h30m"): its 100-ns ticks.
// Nothing for any other text, and for a shift longer than a file time can span.
std::optional<int64_t> ParseShift(std::u16string_view text);

// The language of a version resource made anew: hexadecimal, "0x0409" or "409", or one of the
// common tags, "zh-CN" or "en-US" (any case).
std::optional<uint16_t> ParseLanguage(std::u16string_view text);
