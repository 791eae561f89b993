#include "cli/PathList.h"

namespace {

bool IsHighSurrogate(uint32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(uint32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

std::optional<std::u16string> DecodeUtf16(std::string_view bytes, bool bigEndian) {
    if (bytes.size() % 2 != 0) return std::nullopt;
    std::u16string text;
    for (size_t i = 0; i < bytes.size(); i += 2) {
        const auto high = static_cast<unsigned char>(bytes[i + (bigEndian ? 0 : 1)]);
        const auto low = static_cast<unsigned char>(bytes[i + (bigEndian ? 1 : 0)]);
        text += static_cast<char16_t>(high << 8 | low);
    }
    for (size_t i = 0; i < text.size(); ++i) {
        if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            ++i;
        } else if (IsHighSurrogate(text[i]) || IsLowSurrogate(text[i])) {
            return std::nullopt;
        }
    }
    return text;
}

std::optional<std::u16string> DecodeUtf8(std::string_view bytes) {
    std::u16string text;
    for (size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        // The sequence's length, and the least code point that needs it.
        const size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        constexpr uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
        uint32_t point = length == 1 ? lead : lead & (0x7F >> length);
        if ((lead >= 0x80 && lead < 0xC0) || lead > 0xF4 || bytes.size() - i < length) {
            return std::nullopt;
        }
        for (size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80) return std::nullopt;
            point = point << 6 | (next & 0x3F);
        }
        if (point < kLeast[length] || point > 0x10FFFF || IsHighSurrogate(point) ||
            IsLowSurrogate(point)) {
            return std::nullopt;
        }
        if (point >= 0x10000) {
            text += static_cast<char16_t>(0xD800 + ((point - 0x10000) >> 10));
            point = 0xDC00 + (point & 0x3FF);
        }
        text += static_cast<char16_t>(point);
        i += length;
    }
    return text;
}

}  // namespace

std::optional<std::u16string> DecodePathList(std::string_view bytes) {
    const auto starts = [bytes](std::string_view mark) {
        return bytes.substr(0, mark.size()) == mark;
    };
    if (starts("\xFF\xFE")) return DecodeUtf16(bytes.substr(2), false);
    if (starts("\xFE\xFF")) return DecodeUtf16(bytes.substr(2), true);
    return DecodeUtf8(bytes.substr(starts("\xEF\xBB\xBF") ? 3 : 0));
}

std::vector<std::u16string> PathListLines(std::u16string_view text) {
    std::vector<std::u16string> paths;
    while (!text.empty()) {
        const size_t end = text.find(u'\n');
        std::u16string_view line = text.substr(0, end);
        text.remove_prefix(end == text.npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == u'\r') line.remove_suffix(1);
        if (line.find_first_not_of(u" \t") != line.npos) paths.emplace_back(line);
    }
    return paths;
}
