// Any bytes as a file: the PE reader never reads outside them and never places a version resource
// outside them.
#include <cassert>
#include <cstring>

#include "version/PeImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const PeFileReader read = [&](uint64_t offset, void* into, size_t count) {
        assert(offset <= size && count <= size - offset);
        std::memcpy(into, data + offset, count);
        return true;
    };
    if (const std::optional<PeImage> image = ReadPeImage(read, size)) {
        for (const PeVersionEntry& entry : image->versions) {
            if (entry.offset) assert(*entry.offset + entry.size <= size);
        }
    }
    return 0;
}
