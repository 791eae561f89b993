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

std::optional<uint16_t> ParseLanguage(std::u16string_view text) {
    static constexpr struct {
        std::u16string_view tag;
        uint16_t language;
    } kTags[] = {{u"zh-cn", 0x0804}, {u"zh-tw", 0x0404}, {u"zh-hk", 0x0C04}, {u"zh-sg", 0x1004},
                 {u"en-us", 0x0409}, {u"en-gb", 0x0809}, {u"ja-jp", 0x0411}, {u"ko-kr", 0x0412},
                 {u"de-de", 0x0407}, {u"fr-fr", 0x040C}, {u"es-es", 0x0C0A}, {u"it-it", 0x0410},
                 {u"ru-ru", 0x0419}, {u"pt-br", 0x0416}};
    std::u16string lower(text);
    for (char16_t& unit : lower) unit = unit >= u'A' && unit <= u'Z' ? unit + 32 : unit;
    for (const auto& [tag, language] : kTags) {
        if (lower == tag) return language;
    }
    std::u16string_view digits = lower;
    if (digits.substr(0, 2) == u"0x") digits.remove_prefix(2);
    if (digits.empty() || digits.size() > 4) return std::nullopt;
    uint16_t language = 0;
    for (const char16_t unit : digits) {
        const size_t value = std::u16string_view(u"0123456789abcdef").find(unit);
        if (value == std::u16string_view::npos) return std::nullopt;
        language = static_cast<uint16_t>(language * 16 + value);
    }
    return language;
}
