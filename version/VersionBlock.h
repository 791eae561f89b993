// A version resource as its file holds it, and where the strings of its first translation lie.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "version/VersionStringKey.h"

// The VS_VERSIONINFO block of one load or one store, byte for byte as the file holds it. Bytes
// that a resource carries after its block are not part of it and are never written.
using VersionBuffer = std::vector<uint8_t>;

// Where one string's UTF-16 text lies in the block.
struct VersionValue {
    uint32_t offset;  // the text's first byte
    uint32_t units;   // N, the units before its terminator
    // The units that a text and its terminator may take: all that its entry declares from the
    // text's start to the entry's end (or its first child), whatever the text stored now.
    uint32_t room;
    uint32_t entry;  // the entry's first byte; its value length word follows the length word
    bool inBytes;    // that word counts bytes (a binary value's, or a text's as some resource
                     // compilers write it), not units
};

// A new text for one of kVersionStringKeys.
struct VersionEdit {
    size_t key;
    std::u16string text;
};

// The four numbers of a fixed numeric version "A.B.C.D", most significant first: the file and
// product versions of the root's VS_FIXEDFILEINFO, which Explorer shows.
using FixedVersion = std::array<uint16_t, 4>;

struct VersionTranslation {
    uint16_t language;
    uint16_t codePage;
    bool operator==(const VersionTranslation& other) const {
        return language == other.language && codePage == other.codePage;
    }
};

// Where the root's VS_FIXEDFILEINFO lies in the block, and the versions it holds.
struct VersionFixedInfo {
    uint32_t offset;  // its first byte, the signature 0xFEEF04BD
    FixedVersion fileVersion;
    FixedVersion productVersion;
};

// The words of a fixed version, after the signature: dwFileVersionMS at +8, then LS, then the
// product version's two at +16; each MS word holds A.B, each LS word C.D.
constexpr uint32_t kFixedFileVersion = 8, kFixedProductVersion = 16;

struct VersionTable {
    // The first pair of the Translation value; none when the value is missing or too short to
    // hold a pair.
    std::optional<VersionTranslation> translation;
    // The keys of kVersionStringKeys that that pair's string table holds, in the same order.
    std::array<std::optional<VersionValue>, kVersionStringKeyCount> values;
    // None unless the root's value holds all 52 bytes of a VS_FIXEDFILEINFO, signature first.
    std::optional<VersionFixedInfo> fixed;
};

// The length word at the start of a block: the size of the block proper.
uint16_t VersionBlockLength(const uint8_t* bytes, size_t size);

// Reads a block of `size` bytes. Nothing unless it is one whole, consistent tree: the root
// "VS_VERSION_INFO" fits the bytes, every entry lies inside its parent, every key is terminated
// and every value lies inside its entry.
std::optional<VersionTable> ReadVersionTable(const uint8_t* block, size_t size);

// "A.B.C.D", in decimal without padding: the text that the FileVersion and ProductVersion strings
// hold for a fixed version.
std::u16string FixedVersionText(const FixedVersion& version);

// The text of a value, without its terminator.
std::u16string StoredText(const VersionBuffer& block, const VersionValue& value);

// The block laid out anew, every entry 4-byte aligned and each length exact: in the string table
// of `pair` (made, and its StringFileInfo, where the block has none), the first entry of each
// edited key takes its new text, and a key that the table lacks is added after its last entry;
// every other entry is copied as it is. Nothing when the block is no consistent tree or the
// result outgrows the 16-bit length of its root.
std::optional<VersionBuffer> RebuildVersionBlock(const VersionBuffer& block,
                                                 const VersionTranslation& pair,
                                                 const std::vector<VersionEdit>& edits);

// The block of a file that has none, as resource compilers write one: a VS_FIXEDFILEINFO of
// version 0.0.0.0 for 32-bit Windows (VOS_NT_WINDOWS32) and the file type given (VFT_APP 1 or
// VFT_DLL 2), an empty string table for the pair, and the pair as the Translation value.
VersionBuffer NewVersionBlock(const VersionTranslation& pair, uint32_t fileType);
