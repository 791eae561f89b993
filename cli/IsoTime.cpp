#include "cli/IsoTime.h"

#include <limits>

#include "target/TimeText.h"

namespace {

constexpr int64_t kTicksPerSecond = 10'000'000;
constexpr size_t kFractionDigits = 7;
constexpr int kLargestOffsetMinutes = 14 * 60;

// 9999-12-31 23:59:59.9999999 at the offset -14:00 is the latest time that can be written, and a
// file time holds it: only the lower bound can be crossed.
static_assert(2650467743990000000 + (kTicksPerSecond - 1) + 14 * 3600 * kTicksPerSecond <=
              std::numeric_limits<int64_t>::max());

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool At(std::string_view text, size_t pos, char c) {
    return pos < text.size() && text[pos] == c;
}

// The value of `count` digits at pos; -1 when any is missing or no digit.
int Number(std::string_view text, size_t pos, size_t count) {
    if (pos + count > text.size()) return -1;
    int value = 0;
    for (size_t i = pos; i < pos + count; ++i) {
        if (!IsDigit(text[i])) return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

}  // namespace

std::optional<uint64_t> ParseIsoTime(std::string_view text) {
    if (!At(text, 4, '-') || !At(text, 7, '-') || !(At(text, 10, 'T') || At(text, 10, 't')) ||
        !At(text, 13, ':') || !At(text, 16, ':')) {
        return std::nullopt;
    }
    // A missing number is -1, which no field's range holds.
    const LocalDateTime time{Number(text, 0, 4),  Number(text, 5, 2),  Number(text, 8, 2),
                             Number(text, 11, 2), Number(text, 14, 2), Number(text, 17, 2)};
    if (!IsValidLocalDateTime(time)) return std::nullopt;

    size_t pos = 19;
    int64_t fraction = 0;
    if (At(text, pos, '.')) {
        size_t digits = 0;
        while (pos + 1 + digits < text.size() && IsDigit(text[pos + 1 + digits])) ++digits;
        if (digits == 0 || digits > kFractionDigits) return std::nullopt;
        fraction = Number(text, pos + 1, digits);
        for (size_t i = digits; i < kFractionDigits; ++i) fraction *= 10;
        pos += 1 + digits;
    }

    int64_t offsetSeconds = 0;
    if (pos + 1 == text.size() && (At(text, pos, 'Z') || At(text, pos, 'z'))) {
        // UTC
    } else if (pos + 6 == text.size() && (At(text, pos, '+') || At(text, pos, '-')) &&
               At(text, pos + 3, ':')) {
        const int hours = Number(text, pos + 1, 2), minutes = Number(text, pos + 4, 2);
        if (hours < 0 || minutes < 0 || minutes > 59 ||
            hours * 60 + minutes > kLargestOffsetMinutes)
            return std::nullopt;
        offsetSeconds = (text[pos] == '-' ? -60 : 60) * (hours * 60 + minutes);
    } else {
        return std::nullopt;
    }

    const int64_t ticks = (SecondsSince1601(time) - offsetSeconds) * kTicksPerSecond + fraction;
    if (ticks <= 0) return std::nullopt;
    return static_cast<uint64_t>(ticks);
}

std::string FormatIsoTime(uint64_t ticks) {
    const LocalDateTime t = DateTimeAfter1601(static_cast<int64_t>(ticks / kTicksPerSecond));
    std::string text = (t.year > 9999 ? "+" : "") + DateTimeText(t, 'T') + '.';
    AppendDigits(text, static_cast<int64_t>(ticks % kTicksPerSecond), 7);
    return text + 'Z';
}
