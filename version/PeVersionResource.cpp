#include "version/PeVersionResource.h"

#include <algorithm>

namespace {

constexpr uint32_t kVersionType = 16;  // RT_VERSION
constexpr uint32_t kVersionName = 1;
constexpr uint32_t kSubdirectoryBit = 0x80000000u;

// Every read is checked against the file size before the reader sees it.
class Image {
  public:
    Image(const PeFileReader& read, uint64_t size) : read_(read), size_(size) {}

    uint64_t size() const { return size_; }

    bool Read(uint64_t offset, void* into, size_t count) const {
        if (offset > size_ || count > size_ - offset) return false;
        return read_(offset, into, count);
    }

    bool U16(uint64_t offset, uint16_t& value) const {
        uint8_t b[2];
        if (!Read(offset, b, sizeof b)) return false;
        value = static_cast<uint16_t>(b[0] | b[1] << 8);
        return true;
    }

    bool U32(uint64_t offset, uint32_t& value) const {
        uint8_t b[4];
        if (!Read(offset, b, sizeof b)) return false;
        value = uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24;
        return true;
    }

  private:
    const PeFileReader& read_;
    uint64_t size_;
};

struct SectionTable {
    uint64_t offset;
    uint16_t count;
};

// The file offset of [rva, rva + size) when the range lies inside the part of one section that
// the loader maps from the file (its raw data, cut to its virtual size when that is given).
std::optional<uint64_t> MapToFile(const Image& image, const SectionTable& sections, uint32_t rva,
                                  uint32_t size) {
    for (uint32_t i = 0; i < sections.count; ++i) {
        const uint64_t header = sections.offset + uint64_t{i} * 40;
        uint32_t virtualSize, virtualAddress, rawSize, rawPointer;
        if (!image.U32(header + 8, virtualSize) || !image.U32(header + 12, virtualAddress) ||
            !image.U32(header + 16, rawSize) || !image.U32(header + 20, rawPointer)) {
            return std::nullopt;
        }
        if (rva < virtualAddress) continue;
        const uint64_t mapped = virtualSize != 0 ? std::min(virtualSize, rawSize) : rawSize;
        const uint64_t into = rva - virtualAddress;
        if (into >= mapped) continue;
        if (size > mapped - into) return std::nullopt;  // starts here but runs past the section
        // The loader rounds a raw data pointer down to a 512-byte boundary; an image that
        // needs that rounding is not one whose bytes we dare to place ourselves.
        if (rawPointer % 512 != 0) return std::nullopt;
        const uint64_t offset = uint64_t{rawPointer} + into;
        if (offset > image.size() || size > image.size() - offset) return std::nullopt;
        return offset;
    }
    return std::nullopt;
}

// The resource directory: offsets inside it are relative to its start and must stay within
// the size that the data directory gives it.
class ResourceDirectory {
  public:
    ResourceDirectory(const Image& image, uint64_t offset, uint32_t size)
        : image_(image), offset_(offset), size_(size) {}

    bool Holds(uint64_t at, uint64_t count) const { return at <= size_ && count <= size_ - at; }

    bool U16(uint64_t at, uint16_t& value) const {
        return Holds(at, 2) && image_.U16(offset_ + at, value);
    }

    bool U32(uint64_t at, uint32_t& value) const {
        return Holds(at, 4) && image_.U32(offset_ + at, value);
    }

    // The data field of the entry with the integer id in the directory table at `table`.
    std::optional<uint32_t> FindEntry(uint32_t table, uint32_t id) const {
        uint16_t named, ids;
        if (!Holds(table, 16) || !U16(uint64_t{table} + 12, named) ||
            !U16(uint64_t{table} + 14, ids)) {
            return std::nullopt;
        }
        // Named entries come first; the integer ids follow them.
        const uint64_t first = uint64_t{table} + 16 + uint64_t{named} * 8;
        if (!Holds(first, uint64_t{ids} * 8)) return std::nullopt;
        for (uint32_t i = 0; i < ids; ++i) {
            uint32_t name, data;
            if (!U32(first + uint64_t{i} * 8, name) || !U32(first + uint64_t{i} * 8 + 4, data)) {
                return std::nullopt;
            }
            if (name == id) return data;
        }
        return std::nullopt;
    }

    // The table that a directory entry's data field points to, when it points to one.
    static std::optional<uint32_t> Subdirectory(std::optional<uint32_t> entry) {
        if (!entry || (*entry & kSubdirectoryBit) == 0) return std::nullopt;
        return *entry & ~kSubdirectoryBit;
    }

  private:
    const Image& image_;
    uint64_t offset_;
    uint32_t size_;
};

}  // namespace

std::optional<PeResourceData> FindVersionResource(const PeFileReader& read, uint64_t fileSize,
                                                  uint16_t language) {
    const Image image(read, fileSize);

    uint16_t dosMagic;
    uint32_t peOffset, peSignature;
    if (!image.U16(0, dosMagic) || dosMagic != 0x5A4D ||  // "MZ"
        !image.U32(0x3C, peOffset) || !image.U32(peOffset, peSignature) ||
        peSignature != 0x00004550) {  // "PE\0\0"
        return std::nullopt;
    }

    const uint64_t fileHeader = uint64_t{peOffset} + 4;
    uint16_t sectionCount, optionalHeaderSize, optionalMagic;
    if (!image.U16(fileHeader + 2, sectionCount) ||
        !image.U16(fileHeader + 16, optionalHeaderSize) ||
        !image.U16(fileHeader + 20, optionalMagic)) {
        return std::nullopt;
    }
    const uint64_t optionalHeader = fileHeader + 20;
    uint32_t directories;  // where the data directories start in the optional header
    if (optionalMagic == 0x10B) {
        directories = 96;  // PE32
    } else if (optionalMagic == 0x20B) {
        directories = 112;  // PE32+
    } else {
        return std::nullopt;
    }
    constexpr uint32_t kResourceDirectory = 2;
    uint32_t directoryCount, resourceRva, resourceSize;
    if (optionalHeaderSize < directories + (kResourceDirectory + 1) * 8 ||
        !image.U32(optionalHeader + directories - 4, directoryCount) ||
        directoryCount <= kResourceDirectory ||
        !image.U32(optionalHeader + directories + kResourceDirectory * 8, resourceRva) ||
        !image.U32(optionalHeader + directories + kResourceDirectory * 8 + 4, resourceSize) ||
        resourceRva == 0 || resourceSize < 16) {
        return std::nullopt;
    }

    const SectionTable sections{optionalHeader + optionalHeaderSize, sectionCount};
    if (sections.offset + uint64_t{sectionCount} * 40 > fileSize) return std::nullopt;
    const std::optional<uint64_t> resourceOffset =
        MapToFile(image, sections, resourceRva, resourceSize);
    if (!resourceOffset) return std::nullopt;
    const ResourceDirectory resources(image, *resourceOffset, resourceSize);

    // Three levels, always: type, then name, then language, which holds the data entry.
    const std::optional<uint32_t> names =
        ResourceDirectory::Subdirectory(resources.FindEntry(0, kVersionType));
    if (!names) return std::nullopt;
    const std::optional<uint32_t> languages =
        ResourceDirectory::Subdirectory(resources.FindEntry(*names, kVersionName));
    if (!languages) return std::nullopt;
    const std::optional<uint32_t> dataEntry = resources.FindEntry(*languages, language);
    if (!dataEntry || (*dataEntry & kSubdirectoryBit) != 0) return std::nullopt;

    // A data entry: the data's RVA, its size, a code page and a reserved word.
    uint32_t dataRva, dataSize;
    if (!resources.Holds(*dataEntry, 16) || !resources.U32(*dataEntry, dataRva) ||
        !resources.U32(uint64_t{*dataEntry} + 4, dataSize)) {
        return std::nullopt;
    }
    const std::optional<uint64_t> dataOffset = MapToFile(image, sections, dataRva, dataSize);
    if (!dataOffset) return std::nullopt;
    return PeResourceData{*dataOffset, dataSize};
}

std::optional<uint64_t> FindVersionResourceOffset(const PeFileReader& read, uint64_t fileSize,
                                                  uint16_t language, uint32_t expectedSize) {
    const std::optional<PeResourceData> data = FindVersionResource(read, fileSize, language);
    if (!data || data->size != expectedSize) return std::nullopt;
    return data->fileOffset;
}
