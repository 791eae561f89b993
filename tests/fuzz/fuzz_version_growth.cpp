// Any bytes as a program whose version strings grow beyond their rooms, or that gets the version
// resource it lacks: a store writes only inside the file or straight after its end, and the file
// it leaves reads back with the new strings, every other string and the fixed versions as they
// were (as given, for a resource made anew), and its checksum as valid as before (zero staying
// zero).
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

// The image's version resource; one without a block where the image has none.
static std::optional<VersionResource> Resource(const fixture::Bytes& file) {
    const std::optional<PeImage> image = ReadPeImage(Reader(file), file.size(), {0});
    if (image && !image->version) return VersionResource{file.size(), *image, 0, {}, {}};
    return image ? ReadVersionResource(Reader(file), file.size(), *image) : std::nullopt;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fixture::Bytes file(data, data + size);
    const std::optional<VersionResource> resource = Resource(file);
    const bool made = resource && resource->block.empty();
    if (!resource || (!made && !resource->table.translation)) return 0;
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
    const FixedVersion given{1, 2, 3, static_cast<uint16_t>(size)};
    if (made) changes.fileVersion = given;  // FileVersion is edited: the string as edited
    const PeImage& image = resource->image;
    const StorePlan plan = PlanVersionStore(
        *resource, Reader(file), resource->table.translation.value_or(VersionTranslation{}),
        changes, {true, 0x0409});
    if (plan.outcome != StorePlan::Outcome::Write) return 0;
    const bool valid = image.checksum == fixture::SystemChecksum(file, image.checksumOffset);
    for (const FileWrite& write : plan.writes) {
        assert(write.offset <= file.size());  // no gap after the file's end
        file.resize(std::max(file.size(), write.offset + write.bytes.size()));
        std::copy(write.bytes.begin(), write.bytes.end(), file.begin() + write.offset);
    }
    fixture::Put32(file, image.checksumOffset, plan.checksum);
    assert(image.checksum == 0
               ? plan.checksum == 0
               : !valid || plan.checksum == fixture::SystemChecksum(file, image.checksumOffset));
    const std::optional<VersionResource> again = Resource(file);
    assert(again && !again->block.empty());
    assert(again->table.translation ==
           (made ? VersionTranslation{0x0409, 1200} : resource->table.translation));
    for (size_t key = 0; key < kVersionStringKeyCount; ++key) {
        const std::optional<VersionValue>& value = again->table.values[key];
        assert(value.has_value() == texts[key].has_value());
        assert(!value || StoredText(again->block, *value) == *texts[key]);
    }
    const std::optional<VersionFixedInfo>&fixed = resource->table.fixed, &now = again->table.fixed;
    assert(!fixed || (now && now->fileVersion == fixed->fileVersion &&
                      now->productVersion == fixed->productVersion));
    assert(!made || (now && now->fileVersion == given));
    return 0;
}
