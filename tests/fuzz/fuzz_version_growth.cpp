// Any bytes as a program whose version strings grow beyond their rooms: a store writes only
// inside the file, and the file it leaves reads back with the new strings, every other string and
// the fixed versions as they were, and its checksum as valid as before (zero staying zero).
#include <cassert>
#include <cstring>
#include <utility>

#include "tests/support/VersionImage.h"
#include "version/VersionStore.h"

static PeFileReader Reader(const fixture::Bytes& file) {
    return [&file](uint64_t offset, void* into, size_t count) {
        assert(offset <= file.size() && count <= file.size() - offset);
        std::memcpy(into, file.data() + offset, count);
        return true;
    };
}

static std::optional<VersionResource> Resource(const fixture::Bytes& file) {
    const std::optional<PeImage> image = ReadPeImage(Reader(file), file.size(), {0});
    return image ? ReadVersionResource(Reader(file), file.size(), *image) : std::nullopt;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fixture::Bytes file(data, data + size);
    const std::optional<VersionResource> resource = Resource(file);
    if (!resource || !resource->table.translation) return 0;
    // The first key that the table holds grows by as many units as the last byte says; the first
    // that it lacks is added.
    std::array<std::optional<std::u16string>, kVersionStringKeyCount> texts;
    VersionChanges changes;
    bool edited[2] = {};  // a key that the table lacks, one that it holds
    for (size_t key = 0; key < kVersionStringKeyCount; ++key) {
        const std::optional<VersionValue>& value = resource->table.values[key];
        if (value) texts[key] = StoredText(resource->block, *value);
        if (!std::exchange(edited[value.has_value()], true)) {
            texts[key] = value ? *texts[key] + std::u16string(1 + data[size - 1], u'+') : u"new";
            changes.strings.push_back({key, *texts[key]});
        }
    }
    const PeImage& image = resource->image;
    const StorePlan plan =
        PlanVersionStore(*resource, Reader(file), *resource->table.translation, changes, {true});
    if (plan.outcome != StorePlan::Outcome::Write) return 0;
    const bool valid = image.checksum == fixture::SystemChecksum(file, image.checksumOffset);
    for (const FileWrite& write : plan.writes) {
        assert(write.offset <= size && write.bytes.size() <= size - write.offset);
        std::copy(write.bytes.begin(), write.bytes.end(), file.begin() + write.offset);
    }
    fixture::Put32(file, image.checksumOffset, plan.checksum);
    assert(image.checksum == 0
               ? plan.checksum == 0
               : !valid || plan.checksum == fixture::SystemChecksum(file, image.checksumOffset));
    const std::optional<VersionResource> again = Resource(file);
    assert(again && again->table.translation == resource->table.translation);
    for (size_t key = 0; key < kVersionStringKeyCount; ++key) {
        const std::optional<VersionValue>& value = again->table.values[key];
        assert(value.has_value() == texts[key].has_value());
        assert(!value || StoredText(again->block, *value) == *texts[key]);
    }
    const std::optional<VersionFixedInfo>&fixed = resource->table.fixed, &now = again->table.fixed;
    assert(!fixed || (now && now->fileVersion == fixed->fileVersion &&
                      now->productVersion == fixed->productVersion));
    return 0;
}
