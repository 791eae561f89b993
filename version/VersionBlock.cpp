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
    size_t key;  // six bytes after the entry's start
    size_t keyUnits;
    size_t value;
    size_t valueBytes;
    size_t children;
    bool inBytes;  // a value length that counts bytes
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
        entry.inBytes = !text;
        // Some resource compilers count a string's value in bytes rather than in units.
        if (entry.valueBytes > room && text) {
            entry.valueBytes = valueLength;
            entry.inBytes = true;
        }
        if (entry.valueBytes > room) return std::nullopt;
        entry.children = std::min(Align4(entry.value + entry.valueBytes), entry.end);
        return entry;
    }

    // Every entry below `parent` fits where it is.
    bool Consistent(const Entry& parent, int depth) const {
        for (size_t at = parent.children; at < parent.end;) {
            // A zero length ends a list, and so does a last byte too few to hold one (an entry of
            // odd length, its value rewritten up to that byte).
            if (parent.end - at < 2 || U16(bytes_ + at) == 0) break;
            const std::optional<Entry> child = Read(at, parent.end);
            if (!child || depth >= kDeepestEntry || !Consistent(*child, depth + 1)) return false;
            at = Align4(child->end);
        }
        return true;
    }

    // Each child of `parent`, in order.
    template <typename Visit>
    void Children(const Entry& parent, Visit visit) const {
        for (size_t at = parent.children; at < parent.end;) {
            const std::optional<Entry> child = Read(at, parent.end);
            if (!child) break;
            visit(*child);
            at = Align4(child->end);
        }
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

    // A string entry's room runs from its value to the entry's end, or to its first child where it
    // has one: a rewrite must never reach into a child's header. Its text ends at the first zero.
    VersionValue Text(const Entry& entry) const {
        const bool children = entry.end - entry.children >= 2 && U16(bytes_ + entry.children) != 0;
        const size_t end = children ? entry.children : entry.end;
        VersionValue text{static_cast<uint32_t>(entry.value), 0,
                          static_cast<uint32_t>((end - entry.value) / 2),
                          static_cast<uint32_t>(entry.key - 6), entry.inBytes};
        while (text.units < text.room && U16(bytes_ + entry.value + 2 * text.units) != 0)
            ++text.units;
        return text;
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

// Writes a block entry by entry, each on a 4-byte boundary; an entry's length is set when it
// closes, over all that was written since it opened.
class BlockWriter {
  public:
    explicit BlockWriter(const uint8_t* old = nullptr) : old_(old) {}

    // Opens an entry: its value length, type and key (ASCII, or the old block's key at `old`);
    // its value follows.
    size_t Open(size_t valueLength, size_t type, const char* key, const Entry* old = nullptr) {
        Align();
        const size_t at = out.size();
        Unit(0);  // the length
        Unit(valueLength);
        Unit(type);
        if (old) {
            Bytes(old_ + old->key, old->keyUnits * 2);
        } else {
            while (*key) Unit(*key++);
        }
        Unit(0);
        Align();
        return at;
    }
    // Opens an entry with the head, key and value that it has in the old block.
    size_t Reopen(const Entry& entry) {
        const size_t at = Open(U16(old_ + entry.key - 4), U16(old_ + entry.key - 2), "", &entry);
        Bytes(old_ + entry.value, entry.valueBytes);
        return at;
    }
    // A string entry: the text, its terminator, and its value length in units or in bytes.
    size_t OpenString(const char* key, const Entry* old, std::u16string_view text, bool inBytes) {
        const size_t at = Open((text.size() + 1) * (inBytes ? 2 : 1), 1, key, old);
        Units(text);
        Unit(0);
        return at;
    }
    void Close(size_t at) {
        out[at] = static_cast<uint8_t>(out.size() - at);
        out[at + 1] = static_cast<uint8_t>((out.size() - at) >> 8);
    }
    // An entry of the old block, whole.
    void Copy(const Entry& entry) {
        Align();
        Bytes(old_ + entry.key - 6, entry.end - entry.key + 6);
    }

    void Align() { out.resize(Align4(out.size())); }
    void Bytes(const uint8_t* from, size_t count) { out.insert(out.end(), from, from + count); }
    void Unit(size_t unit) {
        out.push_back(static_cast<uint8_t>(unit));
        out.push_back(static_cast<uint8_t>(unit >> 8));
    }
    void Units(std::u16string_view text) {
        for (const char16_t unit : text) Unit(unit);
    }

    VersionBuffer out;

  private:
    const uint8_t* old_;
};

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

std::optional<VersionBuffer> RebuildVersionBlock(const VersionBuffer& block,
                                                 const VersionTranslation& pair,
                                                 const std::vector<VersionEdit>& edits) {
    const Tree tree(block.data());
    const std::optional<Entry> root = tree.Read(0, block.size());
    if (!root || !tree.Consistent(*root, 1)) return std::nullopt;
    char name[9];
    TableName(pair, name);
    BlockWriter writer(block.data());
    const auto copy = [&writer](const Entry& entry) { writer.Copy(entry); };
    // The strings of the pair's table: the first entry of each edited key takes its new text, and
    // the keys not there follow the last.
    std::vector<bool> written(edits.size());
    const auto strings = [&](const Entry* table) {
        if (table) {
            tree.Children(*table, [&](const Entry& entry) {
                size_t i = 0;
                while (i < edits.size() &&
                       (written[i] || !tree.KeyIs(entry, kVersionStringKeys[edits[i].key].name)))
                    ++i;
                if (i == edits.size()) return writer.Copy(entry);
                written[i] = true;
                const size_t at = writer.OpenString("", &entry, edits[i].text, entry.inBytes);
                tree.Children(entry, copy);
                writer.Close(at);
            });
        }
        for (size_t i = 0; i < edits.size(); ++i) {
            if (written[i]) continue;
            const VersionEdit& edit = edits[i];
            writer.Close(
                writer.OpenString(kVersionStringKeys[edit.key].name, nullptr, edit.text, false));
        }
    };
    const auto table = [&](const Entry* old) {
        const size_t at = old ? writer.Reopen(*old) : writer.Open(0, 1, name);
        strings(old);
        writer.Close(at);
    };
    const size_t at = writer.Reopen(*root);
    const std::optional<Entry> own = tree.Child(*root, "StringFileInfo");
    if (!own) {  // as resource compilers lay it out: the strings before VarFileInfo
        const size_t info = writer.Open(0, 1, "StringFileInfo");
        table(nullptr);
        writer.Close(info);
    }
    tree.Children(*root, [&](const Entry& child) {
        if (!own || child.key != own->key) return writer.Copy(child);
        const size_t info = writer.Reopen(child);
        bool found = false;
        tree.Children(child, [&](const Entry& old) {
            if (found || !tree.KeyIs(old, name)) return writer.Copy(old);
            found = true;
            table(&old);
        });
        if (!found) table(nullptr);
        writer.Close(info);
    });
    writer.Close(at);
    if (writer.out.size() > 0xFFFF) return std::nullopt;
    return writer.out;
}

VersionBuffer NewVersionBlock(const VersionTranslation& pair, uint32_t fileType) {
    BlockWriter writer;
    const size_t root = writer.Open(kFixedInfoSize, 0, "VS_VERSION_INFO");
    const uint32_t fixed[13] = {kFixedSignature, 0x10000, 0, 0, 0, 0, 0x3F, 0, 0x40004, fileType};
    for (const uint32_t word : fixed) writer.Unit(word), writer.Unit(word >> 16);
    char name[9];
    TableName(pair, name);
    const size_t strings = writer.Open(0, 1, "StringFileInfo");
    writer.Close(writer.Open(0, 1, name));
    writer.Close(strings);
    const size_t vars = writer.Open(0, 1, "VarFileInfo");
    const size_t translation = writer.Open(4, 0, "Translation");
    writer.Unit(pair.language);
    writer.Unit(pair.codePage);
    writer.Close(translation);
    writer.Close(vars);
    writer.Close(root);
    return writer.out;
}
