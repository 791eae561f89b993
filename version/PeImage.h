// Where a Windows executable keeps its version resource, its checksum and its signature, read
// through bounds checks from the file's own bytes. The reading costs what the file's tables hold:
// the section table and the version type's language table are each read once, whole, and only the
// chosen resource is placed in the file.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

// Reads `size` bytes at `offset` of the file into `into`; false when it cannot.
using PeFileReader = std::function<bool(uint64_t offset, void* into, size_t size)>;

// The resource of type RT_VERSION and name 1 that the system's resource loader would give.
struct PeVersionEntry {
    uint16_t language;
    uint32_t size;
    // Where its data starts in the file; nothing unless all of it lies inside the file and
    // inside the part of one section that the file holds.
    std::optional<uint64_t> offset;
    uint64_t dataEntry;  // its data entry in the file: the data's RVA, then its size
    uint32_t rva;
};

// One header of the section table.
struct PeSection {
    uint32_t virtualSize, virtualAddress, rawSize, rawPointer;
};

// The resource directory: its data directory entry, and where it starts in the file.
struct PeResources {
    uint32_t rva, size;
    uint64_t offset;
};

// The Authenticode certificate table, which lies outside the image's sections: its directory
// entry gives a file offset, not an RVA.
struct PeCertificate {
    uint64_t offset;
    uint32_t size;
};

struct PeImage {
    uint64_t checksumOffset;                // the optional header's CheckSum field
    uint32_t checksum;                      // and what it holds
    std::optional<PeVersionEntry> version;  // none when the file has no version resource
    // The certificate table's data directory entry; none when the optional header has no room
    // for it.
    std::optional<uint64_t> certificateEntry;
    // The table itself: none unless the entry gives a nonzero size and the whole table lies inside
    // the file. A table pointing elsewhere signs nothing.
    std::optional<PeCertificate> certificate;
    // Where the rest of the headers lie, for a store that places its block anew.
    uint64_t fileHeader = 0;      // the COFF header, after "PE\0\0"
    uint64_t optionalHeader = 0;  // its magic first
    uint64_t directories = 0;     // the first data directory entry
    uint32_t directoryCount = 0;  // the entries that the header both declares and holds
    uint64_t sectionTable = 0;
    std::vector<PeSection> sections{};
    std::optional<PeResources> resources{};  // none when the image has no resource directory
};

// The bytes of a section that the loader maps from the file: its raw data, cut to its virtual size
// when that is given.
inline uint32_t MappedSize(const PeSection& section) {
    return section.virtualSize != 0 ? std::min(section.virtualSize, section.rawSize)
                                    : section.rawSize;
}

// The index of the first section whose mapped bytes hold `rva`, the one the loader takes;
// `sections.size()` when none does.
size_t SectionOf(const std::vector<PeSection>& sections, uint32_t rva);

// The file offset of [rva, rva + size) when that range lies inside the mapped bytes of one section.
std::optional<uint64_t> MapToFile(const std::vector<PeSection>& sections, uint64_t fileSize,
                                  uint32_t rva, uint32_t size);

// Nothing when the file is not a PE image whose headers and resource directory are consistent.
// Of the version resources, the loader gives a user whose languages are `preferred` (most wanted
// first) the first in the first of those languages that has one, else the first listed.
std::optional<PeImage> ReadPeImage(const PeFileReader& read, uint64_t fileSize,
                                   const std::vector<uint16_t>& preferred);

// True when the file's bytes [offset, offset + size) hold part of the image's checksum field: a
// rewrite there would change the field's own words.
bool CoversChecksum(const PeImage& image, uint64_t offset, uint64_t size);

// True when the file's bytes [offset, offset + size) hold part of the certificate table or of its
// directory entry: both must stay byte for byte, so that the file can be signed again.
bool CoversCertificate(const PeImage& image, uint64_t offset, uint64_t size);
