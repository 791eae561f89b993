// Where a Windows executable keeps its version resources and its checksum, read through bounds
// checks from the file's own bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

// Reads `size` bytes at `offset` of the file into `into`; false when it cannot.
using PeFileReader = std::function<bool(uint64_t offset, void* into, size_t size)>;

// One resource of type RT_VERSION and name 1.
struct PeVersionEntry {
    uint16_t language;
    uint32_t size;
    // Where its data starts in the file; nothing unless all of it lies inside the file and
    // inside the part of one section that the file holds.
    std::optional<uint64_t> offset;
};

struct PeImage {
    uint64_t checksumOffset;               // the optional header's CheckSum field
    uint32_t checksum;                     // and what it holds
    std::vector<PeVersionEntry> versions;  // in the order of the resource directory
};

// Nothing when the file is not a PE image whose headers and resource directory are consistent.
std::optional<PeImage> ReadPeImage(const PeFileReader& read, uint64_t fileSize);

// The version resource that the system's resource loader gives a user whose languages are
// `preferred`, most wanted first: the first entry in the first of those languages that has one,
// else the first entry. Null when there is none.
const PeVersionEntry* ChooseVersionEntry(const std::vector<PeVersionEntry>& entries,
                                         const std::vector<uint16_t>& preferred);
