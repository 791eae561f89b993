#include "version/VersionPlacement.h"

#include <algorithm>

#include "version/PeChecksum.h"
#include "version/ResourceDirectory.h"

namespace {

constexpr uint32_t kSectionAlignment = 32;  // in the optional header
constexpr uint32_t kSectionHeader = 40, kVirtualSize = 8;
constexpr uint32_t kResources = 2, kCertificates = 4;

uint32_t U32(const uint8_t* at) {
    return uint32_t{at[0]} | uint32_t{at[1]} << 8 | uint32_t{at[2]} << 16 | uint32_t{at[3]} << 24;
}

std::vector<uint8_t> Le32(std::initializer_list<uint32_t> words) {
    std::vector<uint8_t> bytes;
    for (const uint32_t word : words) {
        for (int shift = 0; shift < 32; shift += 8) bytes.push_back(uint8_t(word >> shift));
    }
    return bytes;
}

// A store's writes, each with the bytes it replaces, and the checksum moved by them.
class Writes {
  public:
    Writes(const PeFileReader& read, const PeImage& image, uint64_t fileSize)
        : read_(read), image_(image), fileSize_(fileSize) {}

    // Fails, and so does every later one, when the bytes cannot be read, or must not be written:
    // the checksum field, the certificate table and its directory entry.
    void Add(uint64_t offset, std::vector<uint8_t> bytes) {
        std::vector<uint8_t> before(bytes.size());  // zeros past the file's end
        const uint64_t inside = offset < fileSize_ ? fileSize_ - offset : 0;
        const size_t count = static_cast<size_t>(std::min<uint64_t>(bytes.size(), inside));
        failed_ = failed_ || CoversChecksum(image_, offset, bytes.size()) ||
                  CoversCertificate(image_, offset, bytes.size()) ||
                  (count != 0 && !read_(offset, before.data(), count));
        if (failed_) return;
        move_.Add(offset, before.data(), bytes.data(), bytes.size());
        writes_.push_back({offset, std::move(bytes)});
    }

    StorePlan Plan(VersionPlacement placement) {
        if (failed_) return {StorePlan::Outcome::Refused, 0};
        return {StorePlan::Outcome::Write,    0,
                NoRoomCause::ResourceSection, placement,
                std::move(writes_),           move_.Moved(image_.checksum, fileSize_, fileSize_)};
    }

  private:
    const PeFileReader& read_;
    const PeImage& image_;
    uint64_t fileSize_;
    std::vector<FileWrite> writes_;
    ChecksumMove move_;
    bool failed_ = false;
};

}  // namespace

StorePlan PlaceVersionBlock(const VersionResource& resource, const PeFileReader& read,
                            const VersionBuffer& block) {
    const StorePlan refused{StorePlan::Outcome::Refused, 0};
    const PeImage& image = resource.image;
    const std::vector<PeSection>& sections = image.sections;
    const uint64_t fileSize = resource.fileSize, old = resource.offset, size = block.size();
    ResourceDirectory directory;
    uint8_t alignment[4];
    if (!image.version || !image.resources ||
        !ReadResourceDirectory(read, fileSize, image, image.version->dataEntry, directory) ||
        !read(image.optionalHeader + kSectionAlignment, alignment, 4)) {
        return refused;
    }
    const size_t home = SectionOf(sections, image.resources->rva);
    const size_t holder = SectionOf(sections, image.version->rva);
    if (home == sections.size() || holder == sections.size()) return refused;

    // What is used, but the old block: the directory, the other resources' data, whatever another
    // data directory or the certificate table holds, the headers, and other sections' data.
    std::vector<FileRange> used = std::move(directory.structures);
    used.insert(used.end(), directory.data.begin(), directory.data.end());
    for (uint32_t i = 0; i < image.directoryCount; ++i) {
        uint8_t entry[8];
        if (!read(image.directories + 8 * i, entry, 8)) return refused;
        if (i != kResources && i != kCertificates) {
            AddFileRanges(sections, fileSize, U32(entry), U32(entry + 4), used);
        }
    }
    if (const std::optional<PeCertificate>& table = image.certificate) {
        used.push_back({table->offset, table->offset + table->size});
    }
    used.push_back({0, image.sectionTable + kSectionHeader * sections.size()});
    for (size_t i = 0; i < sections.size(); ++i) {
        const PeSection& other = sections[i];
        if (i != home && i != holder) {
            used.push_back({other.rawPointer, uint64_t{other.rawPointer} + other.rawSize});
        }
    }
    std::sort(used.begin(), used.end());
    // A section's data in the file, within the pages that it takes.
    const uint64_t pages = std::max<uint32_t>(U32(alignment), 1);
    const auto extent = [&](size_t index) {
        const PeSection& section = sections[index];
        uint64_t length = section.rawSize;
        if (section.virtualSize != 0) {
            length = std::min(length, (section.virtualSize + pages - 1) / pages * pages);
        }
        return FileRange{std::min<uint64_t>(section.rawPointer, fileSize),
                         std::min(section.rawPointer + length, fileSize)};
    };
    // The old block's own bytes, and the free ones of the resource section where it holds nothing
    // but resources: the directory at its start, as linkers lay it out.
    const std::vector<FileRange> mine =
        Gaps({old, std::min(old + image.version->size, extent(holder).end)}, used);
    std::vector<FileRange> free;
    if (sections[home].virtualAddress == image.resources->rva) free = Gaps(extent(home), used);

    std::optional<uint64_t> at;
    size_t section = holder;
    for (const FileRange& run : holder == home && !free.empty() ? free : mine) {
        if (run.begin <= old && old + size <= run.end) at = old;
    }
    for (size_t i = 0; !at && i < free.size(); ++i) {
        const uint64_t first = (free[i].begin + 3) & ~uint64_t{3};
        if (first + size <= free[i].end) at = first, section = home;
    }
    if (!at) return {StorePlan::Outcome::NoRoom, 0, NoRoomCause::ResourceSection};

    // The block's RVA, which must lead the loader back to it (sections may overlap).
    std::vector<PeSection> after = sections;
    PeSection& into = after[section];
    const uint32_t offset = static_cast<uint32_t>(*at - into.rawPointer);
    const bool raised = into.virtualSize != 0 && offset + size > into.virtualSize;
    if (raised) into.virtualSize = static_cast<uint32_t>(offset + size);
    const uint32_t rva = into.virtualAddress + offset;
    if (MapToFile(after, fileSize, rva, static_cast<uint32_t>(size)) != at) return refused;
    Writes writes(read, image, fileSize);
    writes.Add(*at, block);
    writes.Add(image.version->dataEntry, Le32({rva, uint32_t(size)}));
    if (raised) {
        writes.Add(image.sectionTable + kSectionHeader * section + kVirtualSize,
                   Le32({into.virtualSize}));
    }
    for (const FileRange& range : mine) {
        for (const FileRange& left : Gaps(range, {{*at, *at + size}})) {
            writes.Add(left.begin, std::vector<uint8_t>(left.end - left.begin));
        }
    }
    return writes.Plan(*at == old ? VersionPlacement::InPlace : VersionPlacement::FreeSpace);
}
