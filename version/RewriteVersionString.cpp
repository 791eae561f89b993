#include "version/RewriteVersionString.h"

#include <cstring>

RewriteResult CheckVersionRewrite(const VersionBuffer& block, const VersionValue& value,
                                  std::u16string_view text) {
    if (value.offset > block.size() || uint64_t{value.room} * 2 > block.size() - value.offset ||
        uint64_t{value.entry} + 4 > value.offset) {
        return RewriteResult::Invalid;
    }
    if (text.find(u'\0') != std::u16string_view::npos) return RewriteResult::Invalid;
    if (text.size() >= value.room) return RewriteResult::TooLong;
    return RewriteResult::Written;
}

RewriteResult RewriteVersionString(VersionBuffer& block, const VersionValue& value,
                                   std::u16string_view text) {
    const RewriteResult check = CheckVersionRewrite(block, value, text);
    if (check != RewriteResult::Written) return check;
    uint8_t* stored = block.data() + value.offset;
    std::memset(stored, 0, size_t{value.room} * 2);
    for (char16_t unit : text) {
        *stored++ = static_cast<uint8_t>(unit);
        *stored++ = static_cast<uint8_t>(unit >> 8);
    }
    // Readers that take the value's length from its entry (VerQueryValueW, pefile) read no further
    // than it says: it grows to hold the text and its terminator, in the entry's own unit.
    uint8_t* length = block.data() + value.entry + 2;
    const size_t needed = (text.size() + 1) * (value.inBytes ? 2 : 1);
    if (length[0] + length[1] * 256u < needed) {
        length[0] = static_cast<uint8_t>(needed);
        length[1] = static_cast<uint8_t>(needed >> 8);
    }
    return RewriteResult::Written;
}
