#include "version/PeImage.h"

#include <algorithm>

namespace {

constexpr uint32_t kVersionType = 16;  // RT_VERSION
constexpr uint32_t kVersionName = 1;
constexpr uint32_t kSubdirectory = 0x80000000u;
constexpr size_t kSectionHeader = 40;

uint16_t U16(const uint8_t* at) {
    return static_cast<uint16_t>(at[0] | at[1] << 8);
}
uint32_t U32(const uint8_t* at) {
    return uint32_t{at[0]} | uint32_t{at[1]} << 8 | uint32_t{at[2]} << 16 | uint32_t{at[3]} << 24;
}

// Every read is checked against the file's size before the reader sees it.
class File {
  public:
    File(const PeFileReader& read, uint64_t size) : read_(read), size_(size) {}
    uint64_t size() const { return size_; }

    bool Read(uint64_t offset, void* into, size_t count) const {
        return offset <= size_ && count <= size_ - offset &&
               (count == 0 || read_(offset, into, count));
    }
    bool Read(uint64_t offset, std::vector<uint8_t>& into, size_t count) const {
        into.resize(count);
        return Read(offset, into.data(), count);
    }
    bool U16(uint64_t offset, uint16_t& value) const {
        uint8_t b[2];
        if (!Read(offset, b, 2)) return false;
        value = ::U16(b);
        return true;
    }
    bool U32(uint64_t offset, uint32_t& value) const {
        uint8_t b[4];
        if (!Read(offset, b, 4)) return false;
        value = ::U32(b);
        return true;
    }

  private:
    const PeFileReader& read_;
    uint64_t size_;
};

// The section table, read whole once.
bool ReadSections(const File& file, uint64_t table, uint16_t count,
                  std::vector<PeSection>& sections) {
    std::vector<uint8_t> headers;
    if (!file.Read(table, headers, size_t{count} * kSectionHeader)) return false;
    for (size_t at = 0; at < headers.size(); at += kSectionHeader) {
        const uint8_t* header = headers.data() + at;
        sections.push_back({U32(header + 8), U32(header + 12), U32(header + 16), U32(header + 20)});
    }
    return true;
}

// The resource directory: offsets in it are relative to its start and stay inside its size.
class Directory {
  public:
    Directory(const File& file, uint64_t offset, uint32_t size)
        : file_(file), offset_(offset), size_(size) {}

    bool Read(uint64_t at, std::vector<uint8_t>& into, uint64_t count) const {
        return Holds(at, count) && file_.Read(offset_ + at, into, static_cast<size_t>(count));
    }

    // The integer-id entries of the table at `table`, 8 bytes each (id, then data), read whole;
    // false when they do not fit. Named entries come first and are passed over.
    bool IdEntries(uint32_t table, std::vector<uint8_t>& entries) const {
        std::vector<uint8_t> header;
        if (!Read(table, header, 16)) return false;
        const uint64_t first = uint64_t{table} + 16 + uint64_t{U16(&header[12])} * 8;
        return Read(first, entries, uint64_t{U16(&header[14])} * 8);
    }

    // The subdirectory that the entry `id` of `table` points to.
    std::optional<uint32_t> Subdirectory(uint32_t table, uint32_t id) const {
        std::vector<uint8_t> entries;
        if (!IdEntries(table, entries)) return std::nullopt;
        for (size_t at = 0; at < entries.size(); at += 8) {
            if (U32(&entries[at]) != id) continue;
            const uint32_t data = U32(&entries[at + 4]);
            if (data & kSubdirectory) return data & ~kSubdirectory;
            return std::nullopt;
        }
        return std::nullopt;
    }

  private:
    bool Holds(uint64_t at, uint64_t count) const { return at <= size_ && count <= size_ - at; }

    const File& file_;
    uint64_t offset_;
    uint32_t size_;
};

// The index of the entry that the resource loader picks: the first in the first preferred
// language that has one, else the first.
size_t ChooseLanguage(const std::vector<uint8_t>& entries, const std::vector<uint16_t>& preferred) {
    for (uint16_t language : preferred) {
        for (size_t at = 0; at < entries.size(); at += 8) {
            if (U32(&entries[at]) == language) return at;
        }
    }
    return 0;
}

}  // namespace

size_t SectionOf(const std::vector<PeSection>& sections, uint32_t rva) {
    size_t i = 0;
    while (i < sections.size() && (rva < sections[i].virtualAddress ||
                                   rva - sections[i].virtualAddress >= MappedSize(sections[i]))) {
        ++i;
    }
    return i;
}

std::optional<uint64_t> MapToFile(const std::vector<PeSection>& sections, uint64_t fileSize,
                                  uint32_t rva, uint32_t size) {
    const size_t index = SectionOf(sections, rva);
    if (index == sections.size()) return std::nullopt;
    const PeSection& section = sections[index];
    const uint64_t into = rva - section.virtualAddress;
    // Starting here but running past the section.
    if (size > MappedSize(section) - into) return std::nullopt;
    // The loader rounds a raw data pointer down to 512 bytes; an image that relies on that is not
    // one whose bytes we place ourselves.
    if (section.rawPointer % 512 != 0) return std::nullopt;
    const uint64_t offset = section.rawPointer + into;
    if (offset > fileSize || size > fileSize - offset) return std::nullopt;
    return offset;
}

std::optional<PeImage> ReadPeImage(const PeFileReader& read, uint64_t fileSize,
                                   const std::vector<uint16_t>& preferred) {
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
    constexpr uint32_t kResources = 2, kCertificates = 4;
    uint32_t checksum, directoryCount, resourceRva, resourceSize;
    if (optionalSize < directories + (kResources + 1) * 8 ||
        !file.U32(optionalHeader + 64, checksum) ||
        !file.U32(optionalHeader + directories - 4, directoryCount) ||
        directoryCount <= kResources ||
        !file.U32(optionalHeader + directories + kResources * 8, resourceRva) ||
        !file.U32(optionalHeader + directories + kResources * 8 + 4, resourceSize)) {
        return std::nullopt;
    }
    PeImage image{optionalHeader + 64, checksum, std::nullopt, std::nullopt, std::nullopt};
    image.fileHeader = fileHeader;
    image.optionalHeader = optionalHeader;
    image.directories = optionalHeader + directories;
    image.directoryCount = std::min<uint32_t>(directoryCount, (optionalSize - directories) / 8);
    image.sectionTable = optionalHeader + optionalSize;
    if (!ReadSections(file, image.sectionTable, sectionCount, image.sections)) {
        return std::nullopt;
    }
    if (directoryCount > kCertificates && optionalSize >= directories + (kCertificates + 1) * 8) {
        const uint64_t entry = optionalHeader + directories + kCertificates * 8;
        uint32_t offset, size;
        if (!file.U32(entry, offset) || !file.U32(entry + 4, size)) return std::nullopt;
        image.certificateEntry = entry;
        if (size != 0 && offset <= fileSize && size <= fileSize - offset) {
            image.certificate = PeCertificate{offset, size};
        }
    }
    if (resourceRva == 0) return image;  // no resources at all

    const std::optional<uint64_t> resources =
        MapToFile(image.sections, fileSize, resourceRva, resourceSize);
    if (!resources) return std::nullopt;
    image.resources = PeResources{resourceRva, resourceSize, *resources};
    const Directory directory(file, *resources, resourceSize);
    // Three levels: type, name, then language, whose entries point to the data entries.
    const std::optional<uint32_t> names = directory.Subdirectory(0, kVersionType);
    const std::optional<uint32_t> languages =
        names ? directory.Subdirectory(*names, kVersionName) : std::nullopt;
    std::vector<uint8_t> entries;
    if (!languages) return image;
    if (!directory.IdEntries(*languages, entries)) return std::nullopt;
    for (size_t at = 0; at < entries.size(); at += 8) {
        if (U32(&entries[at]) > 0xFFFF || (U32(&entries[at + 4]) & kSubdirectory)) {
            return std::nullopt;
        }
    }
    if (entries.empty()) return image;

    const size_t chosen = ChooseLanguage(entries, preferred);
    std::vector<uint8_t> data;
    const uint32_t dataEntry = U32(&entries[chosen + 4]);
    if (!directory.Read(dataEntry, data, 8)) return std::nullopt;
    const uint32_t rva = U32(&data[0]), size = U32(&data[4]);
    image.version =
        PeVersionEntry{static_cast<uint16_t>(U32(&entries[chosen])), size,
                       MapToFile(image.sections, fileSize, rva, size), *resources + dataEntry, rva};
    return image;
}

namespace {

bool Overlap(uint64_t offset, uint64_t size, uint64_t other, uint64_t otherSize) {
    return offset < other + otherSize && other < offset + size;
}

}  // namespace

bool CoversChecksum(const PeImage& image, uint64_t offset, uint64_t size) {
    return offset < image.checksumOffset + 4 && image.checksumOffset < offset + size;
}

bool CoversCertificate(const PeImage& image, uint64_t offset, uint64_t size) {
    const std::optional<PeCertificate>& table = image.certificate;
    return (image.certificateEntry && Overlap(offset, size, *image.certificateEntry, 8)) ||
           (table && Overlap(offset, size, table->offset, table->size));
}
