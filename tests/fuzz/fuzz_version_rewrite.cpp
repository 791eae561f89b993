// Throws random blocks, offsets, lengths and texts at the in-place rewrite of a version string.
// A rewrite must never change a byte outside the value's room, a refusal must change nothing,
// and a written text must read back exactly, terminated within the room.
//
// Input: flags (1 byte), offset selector (4), L (4), text length in units (2), the text's
// units (2 bytes each, little-endian), then the raw resource: the rest.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "version/RewriteVersionString.h"
#include "version/VersionBuffer.h"

namespace {

void Require(bool condition) {
    if (!condition) __builtin_trap();
}

class Input {
  public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint32_t Take(size_t bytes) {
        uint32_t value = 0;
        for (size_t i = 0; i < bytes && at_ < size_; ++i)
            value |= uint32_t{data_[at_++]} << (8 * i);
        return value;
    }
    const uint8_t* rest() const { return data_ + at_; }
    size_t restSize() const { return size_ - at_; }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

uint16_t UnitAt(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input input(data, size);
    const uint32_t flags = input.Take(1);
    const uint32_t selector = input.Take(4);
    const uint32_t lengthWord = input.Take(4);
    const uint32_t units = input.Take(2);
    std::u16string text;
    for (uint32_t i = 0; i < units && input.restSize() >= 2; ++i) {
        text.push_back(static_cast<char16_t>(input.Take(2)));
    }
    // Mostly real texts: no zero unit, unless the flags ask for them.
    if ((flags & 8) == 0) {
        for (char16_t& c : text) c = c == 0 ? u'0' : c;
    }
    const uint32_t s = static_cast<uint32_t>(std::min<size_t>(input.restSize(), 1 << 16));
    const uint32_t r = 2 * s + 4 + ((flags & 2) ? 1 : 0);

    VersionBuffer buffer(r);
    Require(buffer.size() == r && buffer.RawSize() == s);
    std::memcpy(buffer.data(), input.rest(), s);
    std::memset(buffer.data() + s, 0xCC, 4);
    std::memcpy(buffer.data() + s + 4, input.rest(), s);  // some ANSI area

    // Mostly an offset that lands in the raw resource; sometimes any offset at all.
    const uint32_t a = (flags & 1) ? selector : s + 4 + selector % (s + 1);
    const uint32_t length = (flags & 4) ? lengthWord : lengthWord % (2 * s + 8);

    const std::vector<uint8_t> before(buffer.data(), buffer.data() + r);
    const RewriteResult checked = CheckVersionRewrite(buffer, a, length, text);
    Require(std::memcmp(before.data(), buffer.data(), r) == 0);
    const RewriteResult result = RewriteVersionString(buffer, a, length, text);
    Require(result == checked);

    if (result != RewriteResult::Written) {
        Require(std::memcmp(before.data(), buffer.data(), r) == 0);
    } else {
        // The room as the file holds it: the stored text and its terminator, never past S.
        Require(a >= s + 4 && a - (s + 4) < s);
        const uint32_t o = a - (s + 4);
        uint32_t room = 0;
        for (uint32_t at = o; at + 2 <= s; at += 2) {
            ++room;
            if (UnitAt(before.data() + at) == 0) break;
        }
        Require(text.size() + 1 <= room);
        Require(text.find(u'\0') == std::u16string::npos);
        for (uint32_t i = 0; i < r; ++i) {
            if (i >= o && i < o + 2 * room) continue;
            Require(buffer.data()[i] == before[i]);
        }
        for (size_t i = 0; i < text.size(); ++i)
            Require(UnitAt(buffer.data() + o + 2 * i) == text[i]);
        Require(UnitAt(buffer.data() + o + 2 * text.size()) == 0);
    }

    // Comparing a field with the ANSI form reads only what it may.
    const std::string field(reinterpret_cast<const char*>(data), std::min<size_t>(size, length));
    if (MatchesAnsiForm(buffer, a, length, field)) {
        Require(field.size() == length && uint64_t{a} + length <= r);
    }
    return 0;
}
