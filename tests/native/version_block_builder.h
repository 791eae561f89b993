// Builds version resources and version blocks for tests: a VS_VERSIONINFO with its
// StringFileInfo tables and VarFileInfo Translation, and the block that GetFileVersionInfoA
// would fill from it (R = 2S + 4, each ANSI form at its stored text's offset + S + 4).
#pragma once

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "version/VersionBuffer.h"

namespace version_test {

struct StringEntry {
    std::u16string key;
    std::u16string value;
    // The value's ANSI form, as the platform would make it. Empty with a non-empty value
    // means: the value is ASCII, take its units as bytes.
    std::string ansi;
};

struct StringTable {
    std::u16string name;  // e.g. u"080404b0"
    std::vector<StringEntry> strings;
};

struct Translation {
    uint16_t language;
    uint16_t codePage;
};

struct VersionLayout {
    std::vector<StringTable> tables;
    bool hasVarFileInfo = true;
    std::vector<Translation> translations = {{0x0804, 1200}};
};

// Where one string value sits in the raw resource.
struct PlacedString {
    std::u16string table;
    std::u16string key;
    uint32_t storedOffset;  // first byte of the UTF-16 value
    uint32_t units;         // N, without the terminator
    std::string ansi;
};

struct RawVersionResource {
    std::vector<uint8_t> bytes;
    std::vector<PlacedString> strings;

    const PlacedString& Find(const std::u16string& key) const {
        for (const PlacedString& s : strings) {
            if (s.key == key) return s;
        }
        throw std::out_of_range("no such version string");
    }
};

class VersionResourceWriter {
  public:
    RawVersionResource Build(const VersionLayout& layout) {
        out_.clear();
        placed_.clear();
        const size_t root = Begin(u"VS_VERSION_INFO", 52, 0);
        WriteFixedFileInfo();
        Align();
        if (!layout.tables.empty()) {
            const size_t info = Begin(u"StringFileInfo", 0, 1);
            for (const StringTable& table : layout.tables) {
                const size_t t = Begin(table.name, 0, 1);
                for (const StringEntry& entry : table.strings) WriteString(table.name, entry);
                End(t);
            }
            End(info);
        }
        if (layout.hasVarFileInfo) {
            const size_t var = Begin(u"VarFileInfo", 0, 1);
            const size_t translation =
                Begin(u"Translation", static_cast<uint16_t>(layout.translations.size() * 4), 0);
            for (const Translation& t : layout.translations) {
                Word(t.language);
                Word(t.codePage);
            }
            End(translation);
            End(var);
        }
        End(root);
        return {out_, placed_};
    }

  private:
    void Word(uint16_t w) {
        out_.push_back(static_cast<uint8_t>(w & 0xFF));
        out_.push_back(static_cast<uint8_t>(w >> 8));
    }
    void Text(const std::u16string& s) {
        for (char16_t c : s) Word(c);
        Word(0);
    }
    void Align() {
        while (out_.size() % 4 != 0) out_.push_back(0);
    }
    size_t Begin(const std::u16string& key, uint16_t valueLength, uint16_t type) {
        Align();
        const size_t at = out_.size();
        Word(0);  // wLength, set by End
        Word(valueLength);
        Word(type);
        Text(key);
        Align();
        return at;
    }
    void End(size_t at) {
        const size_t length = out_.size() - at;
        out_[at] = static_cast<uint8_t>(length & 0xFF);
        out_[at + 1] = static_cast<uint8_t>(length >> 8);
    }
    void WriteFixedFileInfo() {
        const uint32_t fields[13] = {0xFEEF04BD, 0x00010000, 0x00010000, 0x0000007B, 0x00010000,
                                     0x0000007B, 0x3F,       0,          0x00040004, 1,
                                     0,          0,          0};
        for (uint32_t f : fields) {
            Word(static_cast<uint16_t>(f & 0xFFFF));
            Word(static_cast<uint16_t>(f >> 16));
        }
    }
    void WriteString(const std::u16string& table, const StringEntry& entry) {
        const size_t at = Begin(entry.key, static_cast<uint16_t>(entry.value.size() + 1), 1);
        const uint32_t offset = static_cast<uint32_t>(out_.size());
        Text(entry.value);
        End(at);
        std::string ansi = entry.ansi;
        if (ansi.empty()) {
            for (char16_t c : entry.value) {
                if (c >= 0x80) throw std::invalid_argument("give the ANSI form of non-ASCII text");
                ansi.push_back(static_cast<char>(c));
            }
        }
        placed_.push_back(
            {table, entry.key, offset, static_cast<uint32_t>(entry.value.size()), ansi});
    }

    std::vector<uint8_t> out_;
    std::vector<PlacedString> placed_;
};

inline RawVersionResource BuildVersionResource(const VersionLayout& layout) {
    return VersionResourceWriter().Build(layout);
}

// The block that the platform fills from a raw resource: R = 2S + 4, the raw resource in
// [0, S), four platform bytes (0xCC here, so that a stray write shows), and each string's
// ANSI form, zero-terminated, at its stored offset + S + 4.
inline VersionBuffer MakeVersionBlock(const RawVersionResource& raw) {
    const uint32_t s = static_cast<uint32_t>(raw.bytes.size());
    VersionBuffer buffer(2 * s + 4);
    std::memcpy(buffer.data(), raw.bytes.data(), s);
    std::memset(buffer.data() + s, 0xCC, 4);
    for (const PlacedString& str : raw.strings) {
        if (str.ansi.size() + 1 > 2 * (str.units + 1)) {
            throw std::invalid_argument("ANSI form longer than its stored text's room");
        }
        std::memcpy(buffer.data() + str.storedOffset + s + 4, str.ansi.data(), str.ansi.size());
    }
    return buffer;
}

// The offset of a string's ANSI form in the block made from raw.
inline uint32_t AnsiOffset(const RawVersionResource& raw, const PlacedString& str) {
    return str.storedOffset + static_cast<uint32_t>(raw.bytes.size()) + 4;
}

// The stored text at a byte offset of the block, up to its terminator or `limit` units.
inline std::u16string ReadStoredText(const VersionBuffer& buffer, uint32_t offset, uint32_t limit) {
    std::u16string text;
    for (uint32_t i = 0; i < limit && offset + 2 * i + 1 < buffer.size(); ++i) {
        const char16_t unit = static_cast<char16_t>(buffer.data()[offset + 2 * i] |
                                                    buffer.data()[offset + 2 * i + 1] << 8);
        if (unit == 0) break;
        text.push_back(unit);
    }
    return text;
}

}  // namespace version_test
