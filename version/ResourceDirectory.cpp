#include "version/ResourceDirectory.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint32_t kHigh = 0x80000000u;  // a named entry, or an entry that leads to a table
constexpr int kLevels = 3;               // type, name, language

uint32_t U16(const uint8_t* at) {
    return at[0] | at[1] << 8;
}
uint32_t U32(const uint8_t* at) {
    return U16(at) | U16(at + 2) << 16;
}

class Walk {
  public:
    Walk(const PeFileReader& read, uint64_t fileSize, const PeImage& image, uint64_t leftOut,
         ResourceDirectory& out)
        : read_(read),
          fileSize_(fileSize),
          image_(image),
          leftOut_(leftOut),
          out_(out),
          budget_(image.resources->size / 8) {}

    // Reads the table at `at` in the directory, and all that it leads to; its index.
    uint32_t Table(uint32_t at, int level) {
        uint8_t head[16];
        if (level == kLevels || !Read(at, head, 16)) return kNoTable;
        const uint32_t count = U16(head + 12) + U16(head + 14);
        // Each entry of a directory takes 8 bytes of it: more reads than that make a web.
        if (count > budget_) return kNoTable;
        budget_ -= count;
        std::vector<uint8_t> entries(size_t{count} * 8);
        if (!Read(uint64_t{at} + 16, entries.data(), entries.size())) return kNoTable;
        const uint32_t index = static_cast<uint32_t>(out_.tables.size());
        out_.tables.emplace_back();
        std::memcpy(out_.tables[index].head, head, 12);
        for (size_t i = 0; i < entries.size(); i += 8) {
            ResourceEntry entry{U32(&entries[i]), {}, kNoTable, {}, 0};
            const uint32_t target = U32(&entries[i + 4]);
            if ((entry.id & kHigh) && !Name(entry.id & ~kHigh, entry.name)) return kNoTable;
            if (target & kHigh) {
                entry.table = Table(target & ~kHigh, level + 1);
                if (entry.table == kNoTable) return kNoTable;
            } else if (!Data(target, entry)) {
                return kNoTable;
            }
            out_.tables[index].entries.push_back(std::move(entry));
        }
        return index;
    }

  private:
    // Reads bytes of the directory, which must lie inside its size, and counts them as used.
    bool Read(uint64_t at, uint8_t* into, size_t count) {
        const PeResources& directory = *image_.resources;
        if (at > directory.size || count > directory.size - at) return false;
        out_.structures.push_back({directory.offset + at, directory.offset + at + count});
        return count == 0 || read_(directory.offset + at, into, count);
    }

    bool Name(uint32_t at, std::u16string& name) {
        uint8_t length[2];
        if (!Read(at, length, 2)) return false;
        std::vector<uint8_t> units(U16(length) * 2);
        if (!Read(uint64_t{at} + 2, units.data(), units.size())) return false;
        for (size_t i = 0; i < units.size(); i += 2) name += static_cast<char16_t>(U16(&units[i]));
        return true;
    }

    bool Data(uint32_t at, ResourceEntry& entry) {
        if (!Read(at, entry.data, 16)) return false;
        entry.dataEntry = image_.resources->offset + at;
        if (entry.dataEntry != leftOut_) {
            AddFileRanges(image_.sections, fileSize_, U32(entry.data), U32(entry.data + 4),
                          out_.data);
        }
        return true;
    }

    const PeFileReader& read_;
    uint64_t fileSize_;
    const PeImage& image_;
    uint64_t leftOut_;
    ResourceDirectory& out_;
    uint32_t budget_;  // the entries that may still be read
};

}  // namespace

bool ReadResourceDirectory(const PeFileReader& read, uint64_t fileSize, const PeImage& image,
                           uint64_t leftOut, ResourceDirectory& directory) {
    return image.resources &&
           Walk(read, fileSize, image, leftOut, directory).Table(0, 0) != kNoTable;
}

std::vector<FileRange> Gaps(FileRange within, const std::vector<FileRange>& used) {
    std::vector<FileRange> gaps;
    uint64_t at = within.begin;
    for (const FileRange& range : used) {
        if (range.begin > at && at < within.end) {
            gaps.push_back({at, std::min(range.begin, within.end)});
        }
        at = std::max(at, range.end);
    }
    if (at < within.end) gaps.push_back({at, within.end});
    return gaps;
}

size_t SectionOf(const std::vector<PeSection>& sections, uint32_t rva) {
    size_t i = 0;
    for (; i < sections.size(); ++i) {
        const PeSection& section = sections[i];
        const uint32_t mapped = section.virtualSize != 0
                                    ? std::min(section.virtualSize, section.rawSize)
                                    : section.rawSize;
        if (rva >= section.virtualAddress && rva - section.virtualAddress < mapped) break;
    }
    return i;
}

void AddFileRanges(const std::vector<PeSection>& sections, uint64_t fileSize, uint32_t rva,
                   uint32_t size, std::vector<FileRange>& into) {
    for (const PeSection& section : sections) {
        const uint64_t offset = uint64_t{rva} - section.virtualAddress;
        const uint64_t begin = section.rawPointer + offset;
        if (rva < section.virtualAddress || offset >= section.rawSize || begin >= fileSize)
            continue;
        into.push_back(
            {begin, std::min({begin + size, begin - offset + section.rawSize, fileSize})});
    }
}
