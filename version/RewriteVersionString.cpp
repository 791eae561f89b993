#include "version/RewriteVersionString.h"

#include <algorithm>
#include <cstring>

namespace {

struct StoredValue {
    uint32_t offset;     // o, the first byte of the stored text
    uint32_t roomUnits;  // N + 1, or the units up to S when the text has no terminator there
};

uint16_t UnitAt(const uint8_t* bytes) {
    return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}

// Finds the stored text behind an ANSI form; nothing when the offsets do not fit the block.
bool LocateStoredValue(const VersionBuffer& buffer, uint32_t ansiOffset, uint32_t ansiLength,
                       StoredValue& value) {
    const uint64_t size = buffer.size();
    const uint64_t rawSize = buffer.RawSize();
    if (size < 4) return false;
    // The ANSI form must lie in the ANSI area, and so must the L bytes that it takes.
    const uint64_t ansiShift = (size + 4) / 2;  // S + 4
    if (ansiOffset < ansiShift || uint64_t{ansiOffset} + ansiLength > size) return false;
    const uint64_t offset = ansiOffset - ansiShift;
    if (offset >= rawSize) return false;

    const uint8_t* bytes = buffer.data();
    uint32_t units = 0;
    uint64_t at = offset;
    while (at + 2 <= rawSize) {
        ++units;
        if (UnitAt(bytes + at) == 0) break;
        at += 2;
    }
    if (units == 0) return false;  // not even one unit before S
    value = {static_cast<uint32_t>(offset), units};
    return true;
}

RewriteResult Check(const VersionBuffer& buffer, uint32_t ansiOffset, uint32_t ansiLength,
                    std::u16string_view text, StoredValue& value) {
    if (!LocateStoredValue(buffer, ansiOffset, ansiLength, value)) return RewriteResult::Invalid;
    // A zero unit would end the value early: it would not read back as given.
    if (text.find(u'\0') != std::u16string_view::npos) return RewriteResult::Invalid;
    if (text.size() >= value.roomUnits) return RewriteResult::TooLong;  // units + 1 > room
    return RewriteResult::Written;
}

}  // namespace

RewriteResult CheckVersionRewrite(const VersionBuffer& buffer, uint32_t ansiOffset,
                                  uint32_t ansiLength, std::u16string_view text) {
    StoredValue value{};
    return Check(buffer, ansiOffset, ansiLength, text, value);
}

RewriteResult RewriteVersionString(VersionBuffer& buffer, uint32_t ansiOffset, uint32_t ansiLength,
                                   std::u16string_view text) {
    StoredValue value{};
    const RewriteResult result = Check(buffer, ansiOffset, ansiLength, text, value);
    if (result != RewriteResult::Written) return result;

    uint8_t* stored = buffer.data() + value.offset;
    const uint64_t roomBytes = uint64_t{value.roomUnits} * 2;
    std::memset(stored, 0, static_cast<size_t>(std::min<uint64_t>(ansiLength, roomBytes)));
    for (char16_t unit : text) {
        *stored++ = static_cast<uint8_t>(unit & 0xFF);
        *stored++ = static_cast<uint8_t>(unit >> 8);
    }
    stored[0] = 0;
    stored[1] = 0;
    return RewriteResult::Written;
}

bool MatchesAnsiForm(const VersionBuffer& buffer, uint32_t ansiOffset, uint32_t ansiLength,
                     std::string_view fieldText) {
    if (fieldText.size() != ansiLength) return false;
    if (uint64_t{ansiOffset} + ansiLength > buffer.size()) return false;
    return ansiLength == 0 ||
           std::memcmp(buffer.data() + ansiOffset, fieldText.data(), ansiLength) == 0;
}
