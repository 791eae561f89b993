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
    const std::optional<PeImage> image = ReadPeImage(read, size, {0, 0x0804, 0x0409});
    if (image && image->version && image->version->offset) {
        assert(*image->version->offset + image->version->size <= size);
    }
    return 0;
}
