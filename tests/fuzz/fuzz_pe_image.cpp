// Any bytes as a file: the PE reader never reads outside them and never places a version
// resource outside them; the checksum's running sum agrees with a fresh one after a rewrite.
#include <algorithm>
#include <cstring>

#include "version/PeChecksum.h"
#include "version/PeImage.h"
#include "version/VersionBlock.h"

#define CHECK(condition) \
    if (!(condition)) __builtin_trap()

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const PeFileReader read = [&](uint64_t offset, void* into, size_t count) {
        CHECK(offset <= size && count <= size - offset);
        std::memcpy(into, data + offset, count);
        return true;
    };
    if (const std::optional<PeImage> image = ReadPeImage(read, size)) {
        for (const PeVersionEntry& entry : image->versions) {
            if (entry.offset) CHECK(*entry.offset + entry.size <= size);
        }
        const PeVersionEntry* chosen = ChooseVersionEntry(image->versions, {0, 0x0804, 0x0409});
        if (chosen && chosen->offset) {
            ReadVersionTable(data + *chosen->offset, std::min<size_t>(chosen->size, 0xFFFF));
        }
    }
    if (size < 16) return 0;
    const uint64_t field = data[0] % 8, at = 12 + data[1] % (size - 12);
    const size_t count = std::min<size_t>(size - at, data[2] + 1);
    std::vector<uint8_t> changed(data, data + size);
    std::reverse(changed.begin() + at, changed.begin() + at + count);
    PeWordSum running(field), fresh(field);
    running.Add(0, data, size);
    running.Replace(at, data + at, changed.data() + at, count);
    fresh.Add(0, changed.data(), size);
    CHECK(running.Checksum(size) == fresh.Checksum(size));
    return 0;
}
