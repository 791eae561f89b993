// Finds a version resource's data inside a Windows executable image, so that the raw resource
// can be written back in place without the platform rebuilding the whole file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

// Reads size bytes at offset of the file into `into`; false when it cannot.
using PeFileReader = std::function<bool(uint64_t offset, void* into, size_t size)>;

struct PeResourceData {
    uint64_t fileOffset;  // where the resource's data starts in the file
    uint32_t size;        // the data size that the resource declares
};

// The data of the resource of type RT_VERSION (16), integer name 1 and the given language:
// its place in the file, which lies wholly inside the file and inside its section's raw data.
// Nothing when the file is not a PE image that this reader understands, when it has no such
// resource, or when any offset or size in the way is inconsistent.
std::optional<PeResourceData> FindVersionResource(const PeFileReader& read, uint64_t fileSize,
                                                  uint16_t language);

// The file offset of that data, only when the resource's size is exactly expectedSize.
std::optional<uint64_t> FindVersionResourceOffset(const PeFileReader& read, uint64_t fileSize,
                                                  uint16_t language, uint32_t expectedSize);
