// A PE image's resource directory read whole: its tables, names and data entries, and every byte
// of the file that it reaches. What it reaches is what the resource section uses; the rest of the
// section's data is free to hold a version block placed anew.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "version/PeImage.h"

// Bytes [begin, end) of the file.
struct FileRange {
    uint64_t begin, end;
    bool operator<(const FileRange& other) const { return begin < other.begin; }
};

// One entry of a directory table, and where it leads: another table, or a data entry.
struct ResourceEntry {
    uint32_t id;          // an integer id, unless `name` is given
    std::u16string name;  // a named entry's name
    uint32_t table;       // the table it leads to (an index), or kNoTable
    uint8_t data[16];     // else its data entry: the data's RVA, its size, a code page, a word
    uint64_t dataEntry;   // where that data entry lies in the file
};

struct ResourceTable {
    uint8_t head[12];                    // characteristics, time stamp, version, kept as read
    std::vector<ResourceEntry> entries;  // the named ones first, as listed
};

constexpr uint32_t kNoTable = 0xFFFFFFFF;

struct ResourceDirectory {
    std::vector<ResourceTable> tables;  // the root first; each table once for every entry that
                                        // leads to it
    std::vector<FileRange> structures;  // the tables, names and data entries in the file
    std::vector<FileRange> data;        // where the resources' data lies in the file, but the one
                                        // whose data entry is left out
};

// Reads the directory through its tables of types, names and languages. False when it reaches
// outside its own size, a language leads to another table, it cannot be read, or its tables lead
// to each other more often than its size could hold tables for (a loop, or a crafted web).
// `leftOut` is a data entry (a file offset) whose data does not count among `data`.
bool ReadResourceDirectory(const PeFileReader& read, uint64_t fileSize, const PeImage& image,
                           uint64_t leftOut, ResourceDirectory& directory);

// Adds the entries that lead to a version resource (type 16, name 1) in `language`, each integer
// id in its place after the named entries and among the other ids; to a directory without tables,
// a root first. The language's entry, whose data entry the caller fills; null when the directory
// has a version resource of that name already, or an entry of its path leads to data.
ResourceEntry* AddVersionEntries(ResourceDirectory& directory, uint16_t language);

// The directory's bytes, as they lie from its start: every table in order, then the names, then
// the data entries, 4-byte aligned; the data stays where the data entries say it is.
std::vector<uint8_t> WriteResourceDirectory(const ResourceDirectory& directory);

// The parts of `within` that none of `used` (sorted) covers, in order.
std::vector<FileRange> Gaps(FileRange within, const std::vector<FileRange>& used);

// Adds to `into` the bytes of the file that [rva, rva + size) may lie at: in every section whose
// data, mapped or not, holds `rva`.
void AddFileRanges(const std::vector<PeSection>& sections, uint64_t fileSize, uint32_t rva,
                   uint32_t size, std::vector<FileRange>& into);
