// Builds small PE32 and PE32+ images in memory for tests: headers, a code section and a
// resource section with a complete type / name / language directory tree.
#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace pe_test {

struct Resource {
    uint32_t type;
    uint32_t name;
    uint16_t language;
    std::vector<uint8_t> data;
};

struct ImageOptions {
    bool pe32Plus = false;
    std::vector<Resource> resources;
    // Named type entries (such as a type "CUSTOM") put before the integer ids of the root.
    std::vector<std::u16string> namedTypes;
    size_t appendedBytes = 0;  // data after the last section
};

// Offsets of the parts of a built image, for tests that corrupt them.
struct Image {
    std::vector<uint8_t> bytes;
    uint32_t peOffset = 0x80;
    uint32_t optionalHeader = 0;  // file offset
    uint32_t directories = 0;     // file offset of the data directories
    uint32_t sectionTable = 0;
    uint32_t resourceSection = 0;  // file offset of .rsrc
    uint32_t resourceRva = 0;
    uint32_t resourceSize = 0;
    // Offsets inside the resource section.
    uint32_t rootDirectory = 0;
    uint32_t versionTypeEntry = 0;      // the root entry for type 16, if any
    uint32_t firstDataEntry = 0;        // the data entries, 16 bytes each, in tree order
    std::vector<uint64_t> dataOffsets;  // file offset of each resource's data, in input order

    void Put16(uint64_t at, uint16_t v) {
        bytes.at(at) = static_cast<uint8_t>(v);
        bytes.at(at + 1) = static_cast<uint8_t>(v >> 8);
    }
    void Put32(uint64_t at, uint32_t v) {
        Put16(at, static_cast<uint16_t>(v));
        Put16(at + 2, static_cast<uint16_t>(v >> 16));
    }
    uint32_t Get32(uint64_t at) const {
        return uint32_t{bytes.at(at)} | uint32_t{bytes.at(at + 1)} << 8 |
               uint32_t{bytes.at(at + 2)} << 16 | uint32_t{bytes.at(at + 3)} << 24;
    }
};

inline uint32_t AlignUp(uint32_t v, uint32_t a) {
    return (v + a - 1) / a * a;
}

inline Image BuildImage(const ImageOptions& options) {
    Image image;
    constexpr uint32_t kHeaders = 0x200, kTextRva = 0x1000, kRsrcRva = 0x2000;
    constexpr uint32_t kTextRaw = 0x200;

    // The resource tree: type -> name -> language -> index into options.resources.
    std::map<uint32_t, std::map<uint32_t, std::map<uint16_t, size_t>>> tree;
    for (size_t i = 0; i < options.resources.size(); ++i) {
        const Resource& r = options.resources[i];
        tree[r.type][r.name][r.language] = i;
    }
    const uint32_t named = static_cast<uint32_t>(options.namedTypes.size());

    // Lay out the section: directories, data entries, name strings, then the data.
    std::vector<uint8_t> rsrc;
    uint32_t at = 16 + 8 * (named + static_cast<uint32_t>(tree.size()));
    const uint32_t emptyDirectory = at;  // what the named types point to
    at += 16;
    std::map<uint32_t, uint32_t> nameDirs;
    std::map<std::pair<uint32_t, uint32_t>, uint32_t> languageDirs;
    for (const auto& [type, names] : tree) {
        nameDirs[type] = at;
        at += 16 + 8 * static_cast<uint32_t>(names.size());
    }
    size_t dataCount = 0;
    for (const auto& [type, names] : tree) {
        for (const auto& [name, languages] : names) {
            languageDirs[{type, name}] = at;
            at += 16 + 8 * static_cast<uint32_t>(languages.size());
            dataCount += languages.size();
        }
    }
    image.firstDataEntry = at;
    at += 16 * static_cast<uint32_t>(dataCount);
    std::vector<uint32_t> nameStrings;
    for (const std::u16string& n : options.namedTypes) {
        nameStrings.push_back(at);
        at += 2 + 2 * static_cast<uint32_t>(n.size());
    }
    std::vector<uint32_t> dataAt(options.resources.size());
    at = AlignUp(at, 8);
    for (size_t i = 0; i < options.resources.size(); ++i) {
        dataAt[i] = at;
        at = AlignUp(at + static_cast<uint32_t>(options.resources[i].data.size()), 8);
    }
    rsrc.assign(at, 0);
    auto put16 = [&](uint32_t o, uint32_t v) {
        rsrc.at(o) = static_cast<uint8_t>(v);
        rsrc.at(o + 1) = static_cast<uint8_t>(v >> 8);
    };
    auto put32 = [&](uint32_t o, uint32_t v) {
        put16(o, v & 0xFFFF);
        put16(o + 2, v >> 16);
    };
    auto directory = [&](uint32_t o, uint32_t namedCount, uint32_t idCount) {
        put16(o + 12, namedCount);
        put16(o + 14, idCount);
    };

    directory(0, named, static_cast<uint32_t>(tree.size()));
    for (uint32_t i = 0; i < named; ++i) {
        put32(16 + 8 * i, 0x80000000u | nameStrings[i]);
        put32(16 + 8 * i + 4, 0x80000000u | emptyDirectory);
        put16(nameStrings[i], static_cast<uint32_t>(options.namedTypes[i].size()));
        for (size_t c = 0; c < options.namedTypes[i].size(); ++c) {
            put16(nameStrings[i] + 2 + 2 * static_cast<uint32_t>(c), options.namedTypes[i][c]);
        }
    }
    uint32_t entry = 16 + 8 * named;
    uint32_t dataEntry = image.firstDataEntry;
    for (const auto& [type, names] : tree) {
        if (type == 16) image.versionTypeEntry = entry;
        put32(entry, type);
        put32(entry + 4, 0x80000000u | nameDirs[type]);
        entry += 8;
        const uint32_t nameDir = nameDirs[type];
        directory(nameDir, 0, static_cast<uint32_t>(names.size()));
        uint32_t nameEntry = nameDir + 16;
        for (const auto& [name, languages] : names) {
            const uint32_t languageDir = languageDirs[{type, name}];
            put32(nameEntry, name);
            put32(nameEntry + 4, 0x80000000u | languageDir);
            nameEntry += 8;
            directory(languageDir, 0, static_cast<uint32_t>(languages.size()));
            uint32_t languageEntry = languageDir + 16;
            for (const auto& [language, index] : languages) {
                put32(languageEntry, language);
                put32(languageEntry + 4, dataEntry);
                languageEntry += 8;
                put32(dataEntry, kRsrcRva + dataAt[index]);
                put32(dataEntry + 4, static_cast<uint32_t>(options.resources[index].data.size()));
                dataEntry += 16;
            }
        }
    }
    for (size_t i = 0; i < options.resources.size(); ++i) {
        const std::vector<uint8_t>& d = options.resources[i].data;
        std::copy(d.begin(), d.end(), rsrc.begin() + dataAt[i]);
    }

    // Headers.
    const uint32_t rsrcSize = static_cast<uint32_t>(rsrc.size());
    const uint32_t rsrcRaw = AlignUp(rsrcSize, 0x200);
    image.resourceSection = kHeaders + kTextRaw;
    image.resourceRva = kRsrcRva;
    image.resourceSize = rsrcSize;
    image.bytes.assign(image.resourceSection + rsrcRaw, 0);
    image.Put16(0, 0x5A4D);  // "MZ"
    image.Put32(0x3C, image.peOffset);
    image.Put32(image.peOffset, 0x00004550);  // "PE\0\0"
    const uint32_t fileHeader = image.peOffset + 4;
    const uint16_t optionalSize = options.pe32Plus ? 240 : 224;
    image.Put16(fileHeader, options.pe32Plus ? 0x8664 : 0x014C);
    image.Put16(fileHeader + 2, 2);  // sections
    image.Put16(fileHeader + 16, optionalSize);
    image.Put16(fileHeader + 18, options.pe32Plus ? 0x0022 : 0x0102);
    image.optionalHeader = fileHeader + 20;
    const uint32_t opt = image.optionalHeader;
    image.Put16(opt, options.pe32Plus ? 0x20B : 0x10B);
    image.Put32(opt + 16, kTextRva);                              // entry point
    image.Put32(opt + 32, 0x1000);                                // section alignment
    image.Put32(opt + 36, 0x200);                                 // file alignment
    image.Put16(opt + 40, 4);                                     // operating system version
    image.Put16(opt + 48, 4);                                     // subsystem version
    image.Put32(opt + 56, AlignUp(kRsrcRva + rsrcSize, 0x1000));  // size of image
    image.Put32(opt + 60, kHeaders);
    image.Put16(opt + 68, 3);  // console subsystem
    image.directories = opt + (options.pe32Plus ? 112 : 96);
    image.Put32(image.directories - 4, 16);
    image.Put32(image.directories + 2 * 8, kRsrcRva);
    image.Put32(image.directories + 2 * 8 + 4, rsrcSize);

    image.sectionTable = opt + optionalSize;
    auto section = [&](uint32_t header, const char* name, uint32_t virtualSize, uint32_t rva,
                       uint32_t rawSize, uint32_t rawPointer, uint32_t characteristics) {
        for (int i = 0; name[i] != 0 && i < 8; ++i) image.bytes.at(header + i) = name[i];
        image.Put32(header + 8, virtualSize);
        image.Put32(header + 12, rva);
        image.Put32(header + 16, rawSize);
        image.Put32(header + 20, rawPointer);
        image.Put32(header + 36, characteristics);
    };
    section(image.sectionTable, ".text", 1, kTextRva, kTextRaw, kHeaders, 0x60000020);
    image.bytes.at(kHeaders) = 0xC3;  // ret
    section(image.sectionTable + 40, ".rsrc", rsrcSize, kRsrcRva, rsrcRaw, image.resourceSection,
            0x40000040);
    std::copy(rsrc.begin(), rsrc.end(), image.bytes.begin() + image.resourceSection);

    for (size_t i = 0; i < options.resources.size(); ++i) {
        image.dataOffsets.push_back(image.resourceSection + dataAt[i]);
    }
    for (size_t i = 0; i < options.appendedBytes; ++i) {
        image.bytes.push_back(static_cast<uint8_t>(i * 7 + 1));
    }
    return image;
}

}  // namespace pe_test
