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
            // The named entries come first, as many as the table says, each with its name.
            const bool named = i / 8 < U16(head + 12);
            if (named != ((entry.id & kHigh) != 0) ||
                (named && !Name(entry.id & ~kHigh, entry.name))) {
                return kNoTable;
            }
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

// The entry `id` of the table, added in its place among the integer ids where it is missing;
// null when it is there but leads elsewhere than `toTable` says.
ResourceEntry* Child(ResourceDirectory& directory, uint32_t table, uint32_t id, bool toTable) {
    std::vector<ResourceEntry>* entries = &directory.tables[table].entries;
    size_t i = 0;
    while (i < entries->size() && ((*entries)[i].id & kHigh || (*entries)[i].id < id)) ++i;
    if (i < entries->size() && (*entries)[i].id == id) {
        return ((*entries)[i].table != kNoTable) == toTable ? &(*entries)[i] : nullptr;
    }
    ResourceEntry entry{id, {}, kNoTable, {}, 0};
    if (toTable) {
        entry.table = static_cast<uint32_t>(directory.tables.size());
        directory.tables.emplace_back();
        entries = &directory.tables[table].entries;
    }
    return &*entries->insert(entries->begin() + i, std::move(entry));
}

void Put16(uint8_t* at, size_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}
void Put32(uint8_t* at, uint32_t value) {
    Put16(at, value);
    Put16(at + 2, value >> 16);
}

}  // namespace

ResourceEntry* AddVersionEntries(ResourceDirectory& directory, uint16_t language) {
    if (directory.tables.empty()) directory.tables.emplace_back();
    const ResourceEntry* type = Child(directory, 0, 16, true);
    const ResourceEntry* name = type ? Child(directory, type->table, 1, true) : nullptr;
    if (!name || !directory.tables[name->table].entries.empty()) return nullptr;
    return Child(directory, name->table, language, false);
}

std::vector<uint8_t> WriteResourceDirectory(const ResourceDirectory& directory) {
    std::vector<uint32_t> tables;
    size_t names = 0, data = 0;
    for (const ResourceTable& table : directory.tables) {
        tables.push_back(static_cast<uint32_t>(names));
        names += 16 + 8 * table.entries.size();
    }
    size_t end = names;
    for (const ResourceTable& table : directory.tables) {
        for (const ResourceEntry& entry : table.entries) {
            if (entry.id & kHigh) end += 2 + 2 * entry.name.size();
            if (entry.table == kNoTable) data += 16;
        }
    }
    std::vector<uint8_t> out(((end + 3) & ~size_t{3}) + data);
    data = out.size() - data;
    for (size_t i = 0; i < directory.tables.size(); ++i) {
        const ResourceTable& table = directory.tables[i];
        uint8_t* head = &out[tables[i]];
        std::memcpy(head, table.head, 12);
        size_t named = 0;
        for (const ResourceEntry& entry : table.entries) named += (entry.id & kHigh) != 0;
        Put16(head + 12, named);
        Put16(head + 14, table.entries.size() - named);
        for (size_t j = 0; j < table.entries.size(); ++j) {
            const ResourceEntry& entry = table.entries[j];
            uint8_t* at = head + 16 + 8 * j;
            Put32(at, entry.id & kHigh ? kHigh | static_cast<uint32_t>(names) : entry.id);
            if (entry.id & kHigh) {
                Put16(&out[names], entry.name.size());
                for (size_t k = 0; k < entry.name.size(); ++k)
                    Put16(&out[names + 2 + 2 * k], entry.name[k]);
                names += 2 + 2 * entry.name.size();
            }
            if (entry.table != kNoTable) {
                Put32(at + 4, kHigh | tables[entry.table]);
            } else {
                Put32(at + 4, static_cast<uint32_t>(data));
                std::memcpy(&out[data], entry.data, 16);
                data += 16;
            }
        }
    }
    return out;
}

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
