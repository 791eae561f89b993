#include "version/VersionBlock.h"

#include <algorithm>

namespace {

constexpr uint16_t kTextValue = 1;
constexpr uint32_t kFixedSignature = 0xFEEF04BD;
constexpr size_t kFixedInfoSize = 52;  // sizeof(VS_FIXEDFILEINFO)
constexpr int kDeepestEntry = 8;       // real blocks nest four deep

uint16_t U16(const uint8_t* at) {
    return static_cast<uint16_t>(at[0] | at[1] << 8);
}
uint32_t U32(const uint8_t* at) {
    return U16(at) | uint32_t{U16(at + 2)} << 16;
}

// Entries start on 4-byte boundaries of the block.
constexpr size_t Align4(size_t at) {
    return (at + 3) & ~size_t{3};
}

// One entry: wLength, wValueLength, wType, the key, then the value and the children.
struct Entry {
    size_t end;
    size_t key;
    size_t keyUnits;
    size_t value;
    size_t valueBytes;
    size_t children;
};

class Tree {
  public:
    explicit Tree(const uint8_t* bytes) : bytes_(bytes) {}

    // The entry at `at`, which must lie inside [at, parentEnd).
    std::optional<Entry> Read(size_t at, size_t parentEnd) const {
        if (at > parentEnd || parentEnd - at < 6) return std::nullopt;
        const size_t length = U16(bytes_ + at);
        if (length < 6 || length > parentEnd - at) return std::nullopt;
        Entry entry{};
        entry.end = at + length;
        entry.key = at + 6;
        size_t unit = entry.key;
        for (;; unit += 2) {
            if (entry.end - unit < 2) return std::nullopt;  // the key runs out of its entry
            if (U16(bytes_ + unit) == 0) break;
        }
        entry.keyUnits = (unit - entry.key) / 2;
        entry.value = std::min(Align4(unit + 2), entry.end);
        const size_t room = entry.end - entry.value;
        const uint16_t valueLength = U16(bytes_ + at + 2);
        const bool text = U16(bytes_ + at + 4) == kTextValue;
        entry.valueBytes = text ? size_t{valueLength} * 2 : valueLength;
        // Some resource compilers count a string's value in bytes rather than in units.
        if (entry.valueBytes > room && text) entry.valueBytes = valueLength;
        if (entry.valueBytes > room) return std::nullopt;
        entry.children = std::min(Align4(entry.value + entry.valueBytes), entry.end);
        return entry;
    }

    // Every entry below `parent` fits where it is.
    bool Consistent(const Entry& parent, int depth) const {
        for (size_t at = parent.children; at < parent.end;) {
            if (parent.end - at >= 2 && U16(bytes_ + at) == 0) break;  // a zero length ends a list
            const std::optional<Entry> child = Read(at, parent.end);
            if (!child || depth >= kDeepestEntry || !Consistent(*child, depth + 1)) return false;
            at = Align4(child->end);
        }
        return true;
    }

    // The first child of `parent` whose key is `name`, compared without regard to ASCII case.
    std::optional<Entry> Child(const Entry& parent, const char* name) const {
        for (size_t at = parent.children; at < parent.end;) {
            const std::optional<Entry> child = Read(at, parent.end);
            if (!child) break;
            if (KeyIs(*child, name)) return child;
            at = Align4(child->end);
        }
        return std::nullopt;
    }

    bool KeyIs(const Entry& entry, const char* name) const {
        size_t i = 0;
        for (; name[i] != '\0'; ++i) {
            if (i == entry.keyUnits || Lower(U16(bytes_ + entry.key + 2 * i)) != Lower(name[i]))
                return false;
        }
        return i == entry.keyUnits;
    }

    // A string entry's text runs from its value to the first zero unit before the entry's end, or
    // before its first child where it has one: a rewrite must never reach into a child's header.
    VersionValue Text(const Entry& entry) const {
        const bool children = entry.end - entry.children >= 2 && U16(bytes_ + entry.children) != 0;
        const size_t end = children ? entry.children : entry.end;
        uint32_t units = 0;
        size_t at = entry.value;
        for (; end - at >= 2; at += 2, ++units) {
            if (U16(bytes_ + at) == 0)
                return {static_cast<uint32_t>(entry.value), units, units + 1};
        }
        return {static_cast<uint32_t>(entry.value), units, units};
    }

    std::optional<VersionFixedInfo> Fixed(const Entry& root) const {
        const uint8_t* info = bytes_ + root.value;
        if (root.valueBytes < kFixedInfoSize || U32(info) != kFixedSignature) return std::nullopt;
        const auto version = [info](uint32_t at) {
            return FixedVersion{U16(info + at + 2), U16(info + at), U16(info + at + 6),
                                U16(info + at + 4)};
        };
        return VersionFixedInfo{static_cast<uint32_t>(root.value), version(kFixedFileVersion),
                                version(kFixedProductVersion)};
    }

    std::optional<VersionTranslation> FirstPair(const Entry& var) const {
        if (var.valueBytes < 4) return std::nullopt;
        return VersionTranslation{U16(bytes_ + var.value), U16(bytes_ + var.value + 2)};
    }

  private:
    static unsigned Lower(unsigned c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; }

    const uint8_t* bytes_;
};

// "%04x%04x" of the pair: the name of its string table.
void TableName(const VersionTranslation& pair, char (&name)[9]) {
    const char* digits = "0123456789abcdef";
    const uint32_t both = uint32_t{pair.language} << 16 | pair.codePage;
    for (int i = 0; i < 8; ++i) name[i] = digits[(both >> (28 - 4 * i)) & 0xF];
    name[8] = '\0';
}

}  // namespace

uint16_t VersionBlockLength(const uint8_t* bytes, size_t size) {
    return size < 2 ? 0 : U16(bytes);
}

std::optional<VersionTable> ReadVersionTable(const uint8_t* block, size_t size) {
    const Tree tree(block);
    const std::optional<Entry> root = tree.Read(0, size);
    if (!root || !tree.KeyIs(*root, "VS_VERSION_INFO") || !tree.Consistent(*root, 1)) {
        return std::nullopt;
    }
    VersionTable table;
    table.fixed = tree.Fixed(*root);
    if (const std::optional<Entry> vars = tree.Child(*root, "VarFileInfo")) {
        if (const std::optional<Entry> var = tree.Child(*vars, "Translation")) {
            table.translation = tree.FirstPair(*var);
        }
    }
    if (!table.translation) return table;

    char name[9];
    TableName(*table.translation, name);
    const std::optional<Entry> strings = tree.Child(*root, "StringFileInfo");
    const std::optional<Entry> own = strings ? tree.Child(*strings, name) : std::nullopt;
    if (!own) return table;
    for (size_t i = 0; i < kVersionStringKeys.size(); ++i) {
        if (const std::optional<Entry> entry = tree.Child(*own, kVersionStringKeys[i].name)) {
            table.values[i] = tree.Text(*entry);
        }
    }
    return table;
}

std::u16string FixedVersionText(const FixedVersion& version) {
    std::u16string text;
    for (const uint16_t number : version) {
        if (!text.empty()) text += u'.';
        const std::string digits = std::to_string(number);
        text.append(digits.begin(), digits.end());
    }
    return text;
}

std::u16string StoredText(const VersionBuffer& block, const VersionValue& value) {
    std::u16string text;
    for (uint32_t i = 0; i < value.units; ++i) text.push_back(U16(&block[value.offset + 2 * i]));
    return text;
}
