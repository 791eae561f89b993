// Any bytes as a file: the PE reader never reads outside them, never places a version resource
// outside them, and the block it chooses is read within its bounds.
#include <algorithm>
#include <cassert>
#include <cstring>

#include "version/PeImage.h"
#include "version/VersionBlock.h"

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
        const PeVersionEntry* chosen = ChooseVersionEntry(image->versions, {0, 0x0804, 0x0409});
        if (chosen && chosen->offset) {
            ReadVersionTable(data + *chosen->offset, std::min<size_t>(chosen->size, 0xFFFF));
        }
    }
    return 0;
}
