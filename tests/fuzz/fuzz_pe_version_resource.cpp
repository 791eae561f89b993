// Throws random file images at the PE reading that finds the version resource's data. It must
// never read outside the file, and what it finds must lie inside the file.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "version/PeVersionResource.h"

namespace {

void Require(bool condition) {
    if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    uint64_t reads = 0;
    const PeFileReader read = [&](uint64_t offset, void* into, size_t count) {
        ++reads;
        if (offset > size || count > size - offset) return false;
        std::memcpy(into, data + offset, count);
        return true;
    };
    const uint16_t fromInput = size >= 2 ? static_cast<uint16_t>(data[0] | data[1] << 8) : 0;
    for (uint16_t language : {uint16_t{0x0804}, uint16_t{0x0409}, fromInput}) {
        const std::optional<PeResourceData> found = FindVersionResource(read, size, language);
        if (!found) continue;
        Require(found->fileOffset <= size && found->size <= size - found->fileOffset);
        Require(FindVersionResourceOffset(read, size, language, found->size) == found->fileOffset);
        Require(!FindVersionResourceOffset(read, size, language, found->size + 1));
    }
    // Each search reads headers, section headers and directory entries a bounded number of times.
    Require(reads <= 64 * (size + 64));
    return 0;
}
