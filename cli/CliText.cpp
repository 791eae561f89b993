#include "cli/CliText.h"

std::u16string DecimalU16(uint64_t value) {
    std::u16string digits;
    do {
        digits.insert(digits.begin(), static_cast<char16_t>(u'0' + value % 10));
        value /= 10;
    } while (value != 0);
    return digits;
}

std::optional<std::string> AsciiBytes(std::u16string_view text) {
    std::string bytes;
    for (const char16_t unit : text) {
        if (unit > 0x7F) return std::nullopt;
        bytes += static_cast<char>(unit);
    }
    return bytes;
}

std::optional<FixedVersion> ParseFixedVersion(std::u16string_view text) {
    FixedVersion version{};
    size_t pos = 0;
    for (size_t part = 0; part < version.size(); ++part) {
        if (part > 0 && (pos == text.size() || text[pos++] != u'.')) return std::nullopt;
        const size_t first = pos;
        uint32_t value = 0;
        // Stops at 65536 or above, however many digits follow.
        for (; pos < text.size() && text[pos] >= u'0' && text[pos] <= u'9'; ++pos) {
            value = value * 10 + (text[pos] - u'0');
            if (value > 0xFFFF) return std::nullopt;
        }
        if (pos == first) return std::nullopt;
        version[part] = static_cast<uint16_t>(value);
    }
    if (pos != text.size()) return std::nullopt;
    return version;
}

std::optional<int64_t> ParseShift(std::u16string_view text) {
    constexpr std::u16string_view kUnits = u"dhms";
    constexpr int64_t kSeconds[] = {86400, 3600, 60, 1};
    constexpr int64_t kLargest = INT64_MAX / 10'000'000;  // seconds
    if (text.size() < 3 || (text[0] != u'+' && text[0] != u'-')) return std::nullopt;
    int64_t seconds = 0;
    size_t pos = 1, unit = 0;
    while (pos < text.size()) {
        const size_t first = pos;
        int64_t count = 0;
        for (; pos < text.size() && text[pos] >= u'0' && text[pos] <= u'9'; ++pos) {
            count = count * 10 + (text[pos] - u'0');
            if (count > kLargest) return std::nullopt;
        }
        const size_t found = pos < text.size() ? kUnits.find(text[pos], unit) : kUnits.npos;
        if (pos == first || found == kUnits.npos || count > (kLargest - seconds) / kSeconds[found])
            return std::nullopt;
        seconds += count * kSeconds[found];
        unit = found + 1;
        ++pos;
    }
    return (text[0] == u'-' ? -seconds : seconds) * 10'000'000;
}
