#include "version/PeImage.h"

#include <algorithm>

namespace {

constexpr uint32_t kVersionType = 16;  // RT_VERSION
constexpr uint32_t kVersionName = 1;
constexpr uint32_t kSubdirectory = 0x80000000u;

// Every read is checked against the file's size before the reader sees it.
class File {
  public:
    File(const PeFileReader& read, uint64_t size) : read_(read), size_(size) {}
    uint64_t size() const { return size_; }

    bool U16(uint64_t offset, uint16_t& value) const {
        uint8_t b[2];
        if (!Read(offset, b, 2)) return false;
        value = static_cast<uint16_t>(b[0] | b[1] << 8);
        return true;
    }
    bool U32(uint64_t offset, uint32_t& value) const {
        uint8_t b[4];
        if (!Read(offset, b, 4)) return false;
        value = uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24;
        return true;
    }

  private:
    bool Read(uint64_t offset, void* into, size_t count) const {
        return offset <= size_ && count <= size_ - offset && read_(offset, into, count);
    }

    const PeFileReader& read_;
    uint64_t size_;
};

struct Sections {
    uint64_t table;
    uint16_t count;
};

// The file offset of [rva, rva + size) when that range lies inside the part of one section that
// the loader maps from the file (its raw data, cut to its virtual size when that is given).
std::optional<uint64_t> MapToFile(const File& file, const Sections& sections, uint32_t rva,
                                  uint32_t size) {
    for (uint32_t i = 0; i < sections.count; ++i) {
        const uint64_t header = sections.table + uint64_t{i} * 40;
        uint32_t virtualSize, virtualAddress, rawSize, rawPointer;
        if (!file.U32(header + 8, virtualSize) || !file.U32(header + 12, virtualAddress) ||
            !file.U32(header + 16, rawSize) || !file.U32(header + 20, rawPointer)) {
            return std::nullopt;
        }
        if (rva < virtualAddress) continue;
        const uint64_t mapped = virtualSize != 0 ? std::min(virtualSize, rawSize) : rawSize;
        const uint64_t into = rva - virtualAddress;
        if (into >= mapped) continue;
        if (size > mapped - into) return std::nullopt;  // starts here but runs past the section
        // The loader rounds a raw data pointer down to 512 bytes; an image that relies on that
        // is not one whose bytes we place ourselves.
        if (rawPointer % 512 != 0) return std::nullopt;
        const uint64_t offset = uint64_t{rawPointer} + into;
        if (offset > file.size() || size > file.size() - offset) return std::nullopt;
        return offset;
    }
    return std::nullopt;
}

// The resource directory: offsets in it are relative to its start and stay inside its size.
class Directory {
  public:
    Directory(const File& file, uint64_t offset, uint32_t size)
        : file_(file), offset_(offset), size_(size) {}

    bool U16(uint64_t at, uint16_t& value) const {
        return Holds(at, 2) && file_.U16(offset_ + at, value);
    }
    bool U32(uint64_t at, uint32_t& value) const {
        return Holds(at, 4) && file_.U32(offset_ + at, value);
    }

    // The integer-id entries (name, data) of the table at `table`; false when it does not fit.
    template <class Visit>
    bool ForEachId(uint32_t table, Visit visit) const {
        uint16_t named, ids;
        if (!U16(uint64_t{table} + 12, named) || !U16(uint64_t{table} + 14, ids)) return false;
        const uint64_t first = uint64_t{table} + 16 + uint64_t{named} * 8;  // names come first
        if (!Holds(first, uint64_t{ids} * 8)) return false;
        for (uint32_t i = 0; i < ids; ++i) {
            uint32_t name, data;
            if (!U32(first + i * 8ull, name) || !U32(first + i * 8ull + 4, data)) return false;
            if (!visit(name, data)) break;
        }
        return true;
    }

    // The subdirectory that the entry `id` of `table` points to.
    std::optional<uint32_t> Subdirectory(uint32_t table, uint32_t id) const {
        std::optional<uint32_t> found;
        ForEachId(table, [&](uint32_t name, uint32_t data) {
            if (name != id) return true;
            if (data & kSubdirectory) found = data & ~kSubdirectory;
            return false;
        });
        return found;
    }

  private:
    bool Holds(uint64_t at, uint64_t count) const { return at <= size_ && count <= size_ - at; }

    const File& file_;
    uint64_t offset_;
    uint32_t size_;
};

}  // namespace

std::optional<PeImage> ReadPeImage(const PeFileReader& read, uint64_t fileSize) {
    const File file(read, fileSize);
    uint16_t dosMagic;
    uint32_t peOffset, peSignature;
    // The checksum is a sum of aligned 16-bit words: headers at an odd offset are no image
    // whose checksum can be kept.
    if (!file.U16(0, dosMagic) || dosMagic != 0x5A4D ||  // "MZ"
        !file.U32(0x3C, peOffset) || peOffset % 2 != 0 || !file.U32(peOffset, peSignature) ||
        peSignature != 0x00004550) {  // "PE\0\0"
        return std::nullopt;
    }
    const uint64_t fileHeader = uint64_t{peOffset} + 4;
    const uint64_t optionalHeader = fileHeader + 20;
    uint16_t sectionCount, optionalSize, magic;
    if (!file.U16(fileHeader + 2, sectionCount) || !file.U16(fileHeader + 16, optionalSize) ||
        !file.U16(optionalHeader, magic)) {
        return std::nullopt;
    }
    uint32_t directories;  // where the data directories start in the optional header
    if (magic == 0x10B) {
        directories = 96;  // PE32
    } else if (magic == 0x20B) {
        directories = 112;  // PE32+
    } else {
        return std::nullopt;
    }
    constexpr uint32_t kResources = 2;
    uint32_t checksum, directoryCount, resourceRva, resourceSize;
    if (optionalSize < directories + (kResources + 1) * 8 ||
        !file.U32(optionalHeader + 64, checksum) ||
        !file.U32(optionalHeader + directories - 4, directoryCount) ||
        directoryCount <= kResources ||
        !file.U32(optionalHeader + directories + kResources * 8, resourceRva) ||
        !file.U32(optionalHeader + directories + kResources * 8 + 4, resourceSize)) {
        return std::nullopt;
    }
    PeImage image{optionalHeader + 64, checksum, {}};
    if (resourceRva == 0) return image;  // no resources at all

    const Sections sections{optionalHeader + optionalSize, sectionCount};
    const std::optional<uint64_t> resources = MapToFile(file, sections, resourceRva, resourceSize);
    if (!resources) return std::nullopt;
    const Directory directory(file, *resources, resourceSize);
    // Three levels: type, name, then language, whose entries point to the data entries.
    const std::optional<uint32_t> names = directory.Subdirectory(0, kVersionType);
    const std::optional<uint32_t> languages =
        names ? directory.Subdirectory(*names, kVersionName) : std::nullopt;
    if (!languages) return image;
    bool consistent = true;
    const bool listed = directory.ForEachId(*languages, [&](uint32_t language, uint32_t data) {
        uint32_t rva, size;
        if ((data & kSubdirectory) || language > 0xFFFF || !directory.U32(data, rva) ||
            !directory.U32(uint64_t{data} + 4, size)) {
            consistent = false;
            return false;
        }
        image.versions.push_back(
            {static_cast<uint16_t>(language), size, MapToFile(file, sections, rva, size)});
        return true;
    });
    if (!listed || !consistent) return std::nullopt;
    return image;
}

const PeVersionEntry* ChooseVersionEntry(const std::vector<PeVersionEntry>& entries,
                                         const std::vector<uint16_t>& preferred) {
    for (uint16_t language : preferred) {
        for (const PeVersionEntry& entry : entries) {
            if (entry.language == language) return &entry;
        }
    }
    return entries.empty() ? nullptr : &entries.front();
}
