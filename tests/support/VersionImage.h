// Builds version blocks, and small PE images holding them, laid out as compilers and linkers do.
#pragma once

#include <cstdint>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace fixture {

using Bytes = std::vector<uint8_t>;

inline void Put16(Bytes& b, size_t at, uint32_t v) {
    b.at(at) = static_cast<uint8_t>(v);
    b.at(at + 1) = static_cast<uint8_t>(v >> 8);
}
inline void Put32(Bytes& b, size_t at, uint32_t v) {
    Put16(b, at, v);
    Put16(b, at + 2, v >> 16);
}

// The system's own computation of a PE checksum (CheckSumMappedFile), written out plainly: the
// field at `field` left out of the words' sum.
inline uint32_t SystemChecksum(const Bytes& file, size_t field) {
    uint32_t sum = 0;
    for (size_t i = 0; i < file.size(); i += 2) {
        sum += file[i] | (i + 1 < file.size() ? file[i + 1] << 8 : 0);
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    for (size_t at : {field, field + 2}) {
        const uint32_t word = file[at] | file[at + 1] << 8;
        sum = (sum >= word ? sum - word : sum - word - 1) & 0xFFFF;
    }
    return sum + static_cast<uint32_t>(file.size());
}

// One entry of a version block: a text value (terminator included) or a binary one, and children.
struct Entry {
    std::u16string key, text;
    Bytes bytes;
    std::vector<Entry> children;
};

inline void Append(Bytes& out, const Entry& e) {
    const size_t at = out.size();
    out.resize(at + 6);
    for (char16_t c : e.key + u'\0') out.insert(out.end(), {uint8_t(c), uint8_t(c >> 8)});
    out.resize((out.size() + 3) & ~size_t{3});
    for (char16_t c : e.text) out.insert(out.end(), {uint8_t(c), uint8_t(c >> 8)});
    out.insert(out.end(), e.bytes.begin(), e.bytes.end());
    for (const Entry& child : e.children) {
        out.resize((out.size() + 3) & ~size_t{3});
        Append(out, child);
    }
    Put16(out, at, static_cast<uint32_t>(out.size() - at));
    Put16(out, at + 2, static_cast<uint32_t>(e.bytes.empty() ? e.text.size() : e.bytes.size()));
    Put16(out, at + 4, e.bytes.empty());
}

// A VS_FIXEDFILEINFO of file version 1.2.3.123 and product version 4.5.6.7.
inline Bytes FixedInfo() {
    Bytes b(52);
    const uint32_t words[] = {0xFEEF04BD, 0x10000, 0x10002, 0x3007B, 0x40005, 0x60007};
    for (size_t i = 0; i < std::size(words); ++i) Put32(b, 4 * i, words[i]);
    return b;
}

// A block as resource compilers write it: the fixed part, one string table, the Translation.
inline Bytes VersionBlock(const std::vector<std::pair<std::u16string, std::u16string>>& strings,
                          const std::u16string& table = u"080404b0",
                          const Bytes& translation = {0x04, 0x08, 0xB0, 0x04}) {
    Entry values{table, u"", {}, {}};
    for (const auto& [key, value] : strings)
        values.children.push_back({key, value + u'\0', {}, {}});
    Entry root{u"VS_VERSION_INFO", u"", FixedInfo(), {}};
    root.children = {{u"StringFileInfo", u"", {}, {values}},
                     {u"VarFileInfo", u"", {}, {{u"Translation", u"", translation, {}}}}};
    Bytes out;
    Append(out, root);
    return out;
}

// A PE32+ image (PE32 with `pe32`) whose last section, ".rsrc" (RVA 0x1000), holds one version
// resource (type 16, name 1) in each language given, after a type with a name as many programs
// have, and `appended` bytes after the section. `empty` sections that the file holds no byte of
// come before it in the section table.
struct PeFile {
    Bytes bytes;
    size_t rsrc = 0;                  // where the section's data starts: the resource directory
    size_t dataEntries = 0;           // the first of the data entries, 16 bytes each
    std::vector<size_t> dataOffsets;  // where each resource's data lies
};

inline PeFile MakePeFile(const std::vector<std::pair<uint16_t, Bytes>>& resources,
                         size_t appended = 0, uint32_t empty = 0, bool pe32 = false) {
    PeFile file;
    Bytes& b = file.bytes;
    const uint32_t count = static_cast<uint32_t>(resources.size());
    const size_t shift = pe32 ? 16 : 0;                // PE32's optional header is 16 bytes shorter
    const size_t header = 0x148 - shift + 40 * empty;  // .rsrc's section header
    const size_t rsrc = file.rsrc = (header + 40 + 0x1FF) & ~size_t{0x1FF};
    file.dataEntries = rsrc + 0x48 + 8 * count;
    b.assign(file.dataEntries + 16 * count, 0);
    for (const auto& resource : resources) {
        b.resize((b.size() + 3) & ~size_t{3});
        file.dataOffsets.push_back(b.size());
        b.insert(b.end(), resource.second.begin(), resource.second.end());
    }
    b.resize((b.size() + 0x1FF) & ~size_t{0x1FF});
    const uint32_t raw = static_cast<uint32_t>(b.size() - rsrc), at = static_cast<uint32_t>(rsrc);
    // Offset and value, in pairs: "MZ", the PE header at 0x40, x64 or x86, the sections, PE32+ or
    // PE32, the initialized data, the section and file alignments, the headers' size,
    // the resource directory's and the section's place and size; then the types (a named one, 16)
    // -> names (1, at +0x20) -> the languages (at +0x38) -> their data entries.
    const size_t machine = pe32 ? 0x14C : 0x8664, magic = pe32 ? 0x10B : 0x20B;
    const size_t fields[] = {
        0,          0x5A4D,       0x3C,        0x40,         0x40,        0x4550,       0x44,
        machine,    0x46,         empty + 1,   0x54,         240 - shift, 0x58,         magic,
        0x60,       raw,          0x78,        0x1000,       0x7C,        0x200,        0x94,
        rsrc,       0xC4 - shift, 16,          0xD8 - shift, 0x1000,      0xDC - shift, raw,
        header + 8, raw,          header + 12, 0x1000,       header + 16, raw,          header + 20,
        at,         at + 0x0C,    1,           at + 0x0E,    1,           at + 0x10,    0x80000020,
        at + 0x14,  0x80000020,   at + 0x18,   16,           at + 0x1C,   0x80000020,   at + 0x2E,
        1,          at + 0x30,    1,           at + 0x34,    0x80000038,  at + 0x46,    count};
    for (size_t i = 0; i < std::size(fields); i += 2) Put32(b, fields[i], uint32_t(fields[i + 1]));
    for (uint32_t i = 0; i < empty; ++i) {  // 4 KiB each, from 0x2000 on
        Put32(b, 0x148 - shift + 40 * i + 8, 0x1000);
        Put32(b, 0x148 - shift + 40 * i + 12, 0x2000 + 0x1000 * i);
    }
    for (uint32_t i = 0; i < count; ++i) {
        const size_t entry = file.dataEntries + 16 * i;
        Put32(b, rsrc + 0x48 + 8 * i, resources[i].first);
        Put32(b, rsrc + 0x4C + 8 * i, static_cast<uint32_t>(entry - rsrc));
        Put32(b, entry, static_cast<uint32_t>(file.dataOffsets[i] - rsrc + 0x1000));
        Put32(b, entry + 4, static_cast<uint32_t>(resources[i].second.size()));
    }
    for (size_t i = 0; i < appended; ++i) b.push_back(static_cast<uint8_t>(i * 7 + 1));
    return file;
}

}  // namespace fixture
