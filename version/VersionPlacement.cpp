#include "version/VersionPlacement.h"

#include <algorithm>

#include "version/PeChecksum.h"
#include "version/ResourceDirectory.h"

namespace {

// Fields of the optional header, the same in PE32 and PE32+.
constexpr uint32_t kInitializedData = 8, kSectionAlignment = 32, kFileAlignment = 36;
constexpr uint32_t kImageSize = 56, kHeadersSize = 60;
constexpr uint32_t kSectionHeader = 40, kVirtualSize = 8;
constexpr uint32_t kResources = 2, kCertificates = 4;
constexpr uint32_t kReadableData = 0x40000040;  // IMAGE_SCN_CNT_INITIALIZED_DATA | _MEM_READ

uint32_t U32(const uint8_t* at) {
    return uint32_t{at[0]} | uint32_t{at[1]} << 8 | uint32_t{at[2]} << 16 | uint32_t{at[3]} << 24;
}

std::vector<uint8_t> Le32(std::initializer_list<uint64_t> words) {
    std::vector<uint8_t> bytes;
    for (const uint64_t word : words) {
        for (int shift = 0; shift < 32; shift += 8) bytes.push_back(uint8_t(word >> shift));
    }
    return bytes;
}

uint64_t AlignUp(uint64_t value, uint64_t alignment) {
    return (value + alignment - 1) / alignment * alignment;
}

// Where a store may put bytes, read once from the file, and what it writes there: each write with
// the bytes it replaces, the checksum moved by them.
class Placer {
  public:
    Placer(const VersionResource& resource, const PeFileReader& read)
        : resource_(resource),
          image_(resource.image),
          read_(read),
          fileSize_(resource.fileSize),
          newSize_(resource.fileSize) {}

    // Reads the headers and the resource directory; false when they cannot be read whole.
    bool Survey() {
        const std::vector<PeSection>& sections = image_.sections;
        directories_.resize(size_t{image_.directoryCount} * 8);
        const uint64_t leftOut = image_.version ? image_.version->dataEntry : ~uint64_t{0};
        if (!read_(image_.optionalHeader, optional_, sizeof optional_) ||
            !read_(image_.directories, directories_.data(), directories_.size()) ||
            (image_.resources &&
             !ReadResourceDirectory(read_, fileSize_, image_, leftOut, directory_))) {
            return false;
        }
        home_ = image_.resources ? SectionOf(sections, image_.resources->rva) : sections.size();
        holder_ = image_.version ? SectionOf(sections, image_.version->rva) : sections.size();
        // What is used, but the old block and the directory: the other resources' data, whatever
        // another data directory or the certificate table holds, the headers, other sections.
        others_ = directory_.data;
        for (uint32_t i = 0; i < image_.directoryCount; ++i) {
            if (i == kResources || i == kCertificates) continue;
            AddFileRanges(sections, fileSize_, Directory(i), Directory(i, 4), others_);
        }
        if (const std::optional<PeCertificate>& table = image_.certificate) {
            others_.push_back({table->offset, table->offset + table->size});
        }
        others_.push_back({0, TableEnd()});
        for (size_t i = 0; i < sections.size(); ++i) {
            const PeSection& other = sections[i];
            if (i != home_ && i != holder_) {
                others_.push_back({other.rawPointer, uint64_t{other.rawPointer} + other.rawSize});
            }
        }
        used_ = others_;
        used_.insert(used_.end(), directory_.structures.begin(), directory_.structures.end());
        std::sort(others_.begin(), others_.end());
        std::sort(used_.begin(), used_.end());
        // The version's data entry, which a block placed anew rewrites, is no part of anything
        // else of the directory.
        std::vector<FileRange>& structures = directory_.structures;
        for (const FileRange& range : structures) {
            if (image_.version && range.begin < leftOut + 16 && leftOut < range.end &&
                (range.begin != leftOut || range.end != leftOut + 16)) {
                return false;
            }
        }
        // The directory's own bytes once each, though its tables be read more than once.
        std::sort(structures.begin(), structures.end());
        size_t kept = 0;
        for (const FileRange& range : structures) {
            if (kept != 0 && range.begin <= structures[kept - 1].end) {
                structures[kept - 1].end = std::max(structures[kept - 1].end, range.end);
            } else {
                structures[kept++] = range;
            }
        }
        structures.resize(kept);
        return true;
    }

    StorePlan Block(const VersionBuffer& block) {
        const uint64_t old = resource_.offset, size = block.size();
        if (holder_ == image_.sections.size()) return Plan(VersionPlacement::InPlace, true);
        const std::vector<FileRange> mine =
            Gaps({old, std::min(old + image_.version->size, Extent(holder_).end)}, used_);
        const std::vector<FileRange> free = Free(used_);
        std::optional<uint64_t> at =
            Fit(holder_ == home_ && !free.empty() ? free : mine, size, old);
        const bool inPlace = at.has_value();
        if (!at) at = Fit(free, size);
        const std::optional<uint32_t> rva = Place(at, size, inPlace ? holder_ : home_);
        if (!rva) return Plan(VersionPlacement::InPlace);
        at ? Add(*at, block) : AddSection(block);
        Add(raised_.offset, std::move(raised_.bytes));
        Add(image_.version->dataEntry, Le32({*rva, size}));
        Zero(mine, at ? FileRange{*at, *at + size} : FileRange{});
        return Plan(inPlace ? VersionPlacement::InPlace
                    : at    ? VersionPlacement::FreeSpace
                            : VersionPlacement::NewSection);
    }

    StorePlan Resource(const VersionBuffer& block, uint16_t language) {
        ResourceDirectory& directory = directory_;  // its structures stay as read
        ResourceEntry* const entry = AddVersionEntries(directory, language);
        if (!entry) return Plan(VersionPlacement::InPlace, true);
        const uint64_t tables = WriteResourceDirectory(directory).size();
        const uint64_t size = AlignUp(tables, 4) + block.size();
        // The old directory's tables, names and data entries are free to take.
        const std::vector<FileRange> free = Free(others_);
        const uint64_t old = image_.resources ? image_.resources->offset : 0;
        std::optional<uint64_t> at = Fit(free, size, old);
        const bool inPlace = at.has_value();
        if (!at) at = Fit(free, size);
        const std::optional<uint32_t> rva = Place(at, size, home_);
        if (!rva) return Plan(VersionPlacement::InPlace);
        const std::vector<uint8_t> data = Le32({*rva + AlignUp(tables, 4), block.size()});
        std::copy(data.begin(), data.end(), entry->data);
        std::vector<uint8_t> bytes = WriteResourceDirectory(directory);
        bytes.resize(AlignUp(tables, 4));
        bytes.insert(bytes.end(), block.begin(), block.end());
        at ? Add(*at, bytes) : AddSection(bytes);
        Add(raised_.offset, std::move(raised_.bytes));
        Add(image_.directories + 8 * kResources, Le32({*rva, tables}));
        for (const FileRange& range : directory_.structures) {
            Zero(Gaps(range, others_), at ? FileRange{*at, *at + size} : FileRange{});
        }
        return Plan(inPlace ? VersionPlacement::InPlace
                    : at    ? VersionPlacement::FreeSpace
                            : VersionPlacement::NewSection);
    }

  private:
    uint32_t Optional(uint32_t field) const { return U32(optional_ + field); }
    uint32_t Directory(uint32_t index, uint32_t field = 0) const {
        return U32(&directories_[8 * index + field]);
    }
    uint64_t TableEnd() const {
        return image_.sectionTable + uint64_t{kSectionHeader} * image_.sections.size();
    }

    // A section's data in the file, within the pages that it takes.
    FileRange Extent(size_t index) const {
        const PeSection& section = image_.sections[index];
        const uint64_t pages = std::max<uint32_t>(Optional(kSectionAlignment), 1);
        uint64_t length = section.rawSize;
        if (section.virtualSize != 0)
            length = std::min(length, AlignUp(section.virtualSize, pages));
        return {std::min<uint64_t>(section.rawPointer, fileSize_),
                std::min(section.rawPointer + length, fileSize_)};
    }

    // The runs of the resource section that `used` leaves, where it holds resources alone.
    std::vector<FileRange> Free(const std::vector<FileRange>& used) const {
        if (home_ == image_.sections.size() ||
            image_.sections[home_].virtualAddress != image_.resources->rva) {
            return {};
        }
        return Gaps(Extent(home_), used);
    }

    // Where `size` bytes fit in the runs: at `start` only, or at the first 4-byte boundary.
    static std::optional<uint64_t> Fit(const std::vector<FileRange>& runs, uint64_t size,
                                       std::optional<uint64_t> start = std::nullopt) {
        for (const FileRange& run : runs) {
            const uint64_t at = start ? *start : AlignUp(run.begin, 4);
            if (run.begin <= at && at + size <= run.end) return at;
        }
        return std::nullopt;
    }

    // The RVA of `size` bytes placed at `at` of the section (its virtual size raised to hold them
    // where needed), or, with `at` none, of a new section; none when the new section cannot be.
    std::optional<uint32_t> Place(std::optional<uint64_t> at, uint64_t size, size_t index) {
        if (!at) return NewSection(size);
        const PeSection& section = image_.sections[index];
        const uint32_t offset = static_cast<uint32_t>(*at - section.rawPointer);
        if (section.virtualSize != 0 && offset + size > section.virtualSize) {
            raised_ = {image_.sectionTable + kSectionHeader * index + kVirtualSize,
                       Le32({offset + size})};
        }
        // The loader takes the first section that maps an RVA: none before may map any of these.
        const uint64_t rva = section.virtualAddress + offset;
        for (size_t i = 0; i < index; ++i) {
            const PeSection& other = image_.sections[i];
            failed_ = failed_ || (other.virtualAddress < rva + size &&
                                  rva < uint64_t{other.virtualAddress} + MappedSize(other));
        }
        return static_cast<uint32_t>(rva);
    }

    std::optional<uint32_t> NewSection(uint64_t size) {
        uint64_t end = 0, first = Optional(kHeadersSize), top = Optional(kImageSize);
        for (const PeSection& section : image_.sections) {
            if (section.rawSize != 0) {
                end = std::max<uint64_t>(end, uint64_t{section.rawPointer} + section.rawSize);
                first = std::min<uint64_t>(first, section.rawPointer);
            }
            top = std::max<uint64_t>(top, uint64_t{section.virtualAddress} +
                                              std::max(section.virtualSize, section.rawSize));
        }
        // A certificate table may follow the data, aligned as signing tools append it, and no
        // more.
        const std::optional<PeCertificate>& table = image_.certificate;
        const bool signature = table && table->offset >= end && table->offset - end < 8 &&
                               table->offset + table->size == fileSize_;
        if (!signature && fileSize_ != end) return NoRoom(NoRoomCause::AppendedData);
        // One more section header, where the headers hold nothing, nor does any data directory
        // (bound imports, say) lead there.
        const uint64_t header = TableEnd();
        uint8_t room[kSectionHeader] = {1};
        bool taken = header + kSectionHeader > first || !read_(header, room, kSectionHeader) ||
                     std::any_of(room, room + kSectionHeader, [](uint8_t b) { return b != 0; });
        for (uint32_t i = 0; i < image_.directoryCount; ++i) {
            taken = taken || (Directory(i, 4) != 0 && Directory(i) < header + kSectionHeader &&
                              header < uint64_t{Directory(i)} + Directory(i, 4));
        }
        if (taken) return NoRoom(NoRoomCause::SectionTable);
        // Alignments that the loader takes: powers of two, file pages of at most 64 KiB and none
        // larger than the memory's (a crafted one would pad the file by gigabytes).
        const uint64_t pages = Optional(kSectionAlignment), alignment = Optional(kFileAlignment);
        if (pages == 0 || alignment == 0 || (pages & (pages - 1)) ||
            (alignment & (alignment - 1)) || alignment > 0x10000 || alignment > pages)
            return NoRoom(NoRoomCause::ResourceSection);
        // Raw data where the loader takes it as it is: on a 512-byte boundary at least.
        section_ = {static_cast<uint32_t>(size), static_cast<uint32_t>(AlignUp(top, pages)),
                    static_cast<uint32_t>(AlignUp(size, alignment)),
                    static_cast<uint32_t>(AlignUp(end, std::max<uint64_t>(alignment, 512)))};
        end_ = end;
        if (AlignUp(top, pages) + AlignUp(size, pages) > 0xFFFFFFFF ||
            AlignUp(end, std::max<uint64_t>(alignment, 512)) + AlignUp(size, alignment) +
                    (table ? table->size : 0) >
                0xFFFFFFFF) {
            return NoRoom(NoRoomCause::ResourceSection);
        }
        return section_.virtualAddress;
    }

    // Writes the new section's data, the certificate table after it, and the headers that count it.
    void AddSection(std::vector<uint8_t> content) {
        const PeSection& section = section_;
        content.insert(content.begin(), section.rawPointer - end_, 0);
        content.resize(section.rawPointer - end_ + section.rawSize);
        moving_ = true;
        Add(end_, std::move(content));
        newSize_ = uint64_t{section.rawPointer} + section.rawSize;
        if (const std::optional<PeCertificate>& table = image_.certificate) {
            std::vector<uint8_t> bytes(table->size);
            failed_ = failed_ || !read_(table->offset, bytes.data(), bytes.size());
            Add(newSize_, std::move(bytes));
            Add(*image_.certificateEntry, Le32({newSize_}));
            newSize_ += table->size;
        }
        std::vector<uint8_t> header = {'.', 'r', 's', 'r', 'c', 0, 0, 0};
        if (image_.resources) header[5] = '2';  // the first holds the directory
        const std::vector<uint8_t> fields =
            Le32({section.virtualSize, section.virtualAddress, section.rawSize, section.rawPointer,
                  0, 0, 0, kReadableData});
        header.insert(header.end(), fields.begin(), fields.end());
        Add(TableEnd(), header);
        const size_t count = image_.sections.size() + 1;
        Add(image_.fileHeader + 2, {uint8_t(count), uint8_t(count >> 8)});
        Add(image_.optionalHeader + kImageSize,
            Le32({AlignUp(uint64_t{section.virtualAddress} + section.virtualSize,
                          Optional(kSectionAlignment))}));
        Add(image_.optionalHeader + kInitializedData,
            Le32({Optional(kInitializedData) + section.rawSize}));
    }

    // The parts of `ranges` that the bytes placed anew (`kept`, empty in a new section) do not
    // cover become zeros.
    void Zero(const std::vector<FileRange>& ranges, FileRange kept) {
        for (const FileRange& range : ranges) {
            for (const FileRange& left : Gaps(range, {kept}))
                Add(left.begin, std::vector<uint8_t>(left.end - left.begin));
        }
    }

    // Fails, and so does every later one, when the bytes cannot be read or must not be written:
    // the checksum field, and the certificate table and its entry unless they move.
    void Add(uint64_t offset, std::vector<uint8_t> bytes) {
        std::vector<uint8_t> before(bytes.size());  // zeros past the file's end
        const size_t count = static_cast<size_t>(
            std::min<uint64_t>(bytes.size(), offset < fileSize_ ? fileSize_ - offset : 0));
        failed_ = failed_ || CoversChecksum(image_, offset, bytes.size()) ||
                  (!moving_ && CoversCertificate(image_, offset, bytes.size())) ||
                  (count != 0 && !read_(offset, before.data(), count));
        if (failed_) return;
        move_.Add(offset, before.data(), bytes.data(), bytes.size());
        if (!bytes.empty()) writes_.push_back({offset, std::move(bytes)});
    }

    std::optional<uint32_t> NoRoom(NoRoomCause cause) {
        cause_ = cause;
        return std::nullopt;
    }

    StorePlan Plan(VersionPlacement placement, bool refused = false) {
        if (cause_) return {StorePlan::Outcome::NoRoom, 0, *cause_};
        if (refused || failed_) return {StorePlan::Outcome::Refused, 0};
        return {StorePlan::Outcome::Write,    0,
                NoRoomCause::ResourceSection, placement,
                std::move(writes_),           move_.Moved(image_.checksum, fileSize_, newSize_)};
    }

    const VersionResource& resource_;
    const PeImage& image_;
    const PeFileReader& read_;
    uint64_t fileSize_, newSize_;
    uint8_t optional_[64] = {};
    std::vector<uint8_t> directories_;
    ResourceDirectory directory_;
    size_t home_ = 0, holder_ = 0;  // the sections of the directory and of the old block
    std::vector<FileRange> others_, used_;
    FileWrite raised_{};   // a virtual size raised: written once the block is
    PeSection section_{};  // a new one
    uint64_t end_ = 0;     // where the sections' data ends in the file
    std::vector<FileWrite> writes_;
    ChecksumMove move_;
    bool moving_ = false;  // the certificate table moves
    bool failed_ = false;
    std::optional<NoRoomCause> cause_;
};

}  // namespace

StorePlan PlaceVersionBlock(const VersionResource& resource, const PeFileReader& read,
                            const VersionBuffer& block) {
    Placer placer(resource, read);
    if (!resource.image.version || !resource.image.resources || !placer.Survey()) {
        return {StorePlan::Outcome::Refused, 0};
    }
    return placer.Block(block);
}

StorePlan PlaceNewVersionResource(const VersionResource& resource, const PeFileReader& read,
                                  const VersionBuffer& block, uint16_t language) {
    Placer placer(resource, read);
    if (resource.image.version || !placer.Survey()) return {StorePlan::Outcome::Refused, 0};
    return placer.Resource(block, language);
}
