// Storing edited version strings back into a file: which bytes change, worked out from the version
// resource that the file holds at the time of the store, apart from any file call.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "version/PeImage.h"
#include "version/VersionBlock.h"

// A file's version resource as read for a store.
struct VersionResource {
    uint64_t fileSize;
    PeImage image;
    uint64_t offset;  // where the block starts in the file
    VersionBuffer block;
    VersionTable table;
};

// The image's version resource; nothing when it has none that lies in the file and reads as one
// consistent block.
std::optional<VersionResource> ReadVersionResource(const PeFileReader& read, uint64_t fileSize,
                                                   const PeImage& image);

// What one store changes: the edited strings, and the fixed numeric versions.
struct VersionChanges {
    std::vector<VersionEdit> strings;
    std::optional<FixedVersion> fileVersion = std::nullopt;
    std::optional<FixedVersion> productVersion = std::nullopt;
};

// How far a store may go beyond the rooms of the strings: the command line's choice (the dialog
// edits each string within its room).
struct VersionGrowth {
    // A text longer than its room, or a key that the first translation's table lacks, rebuilds
    // the block (RebuildVersionBlock), which is then placed anew; a PE image without version
    // information gets a version resource.
    bool allowed = false;
    // The language of a version resource made anew, with code page 1200 (Unicode).
    uint16_t language = 0x0804;
};

// Where a store puts the version block (for a version resource made anew: the resource directory
// and the block after it).
enum class VersionPlacement {
    InPlace,     // where it was: within the strings' rooms, or grown into the free bytes after it
    FreeSpace,   // moved to free space of the resource section
    NewSection,  // into a section added at the end of the image
};

// Why a rebuilt block has nowhere to go: the resource section has no free range large enough, nor
// can a section be added, because...
enum class NoRoomCause {
    ResourceSection,  // ...the image's alignments or sizes leave no room for one
    AppendedData,     // ...data other than a certificate table follows the sections' data
    SectionTable,     // ...the headers hold no room for one more section header
};

// Bytes that a store writes at a file offset.
struct FileWrite {
    uint64_t offset;
    std::vector<uint8_t> bytes;
};

// Which of kVersionStringKeys a string table holds.
using HeldKeys = std::array<bool, kVersionStringKeyCount>;

// The strings that the changes write: the edits asked for, and a fixed version's "A.B.C.D" in the
// FileVersion or ProductVersion string where the table holds that key and no edit of it is asked
// for, so that the two never disagree.
std::vector<VersionEdit> StringEdits(const VersionChanges& changes, const HeldKeys& held);

struct StorePlan {
    enum class Outcome {
        Write,
        TooLong,
        NoFixedInfo,  // a fixed version was asked for, and the block has no VS_FIXEDFILEINFO
        Refused,
        NoRoom,  // the rebuilt block fits nowhere
    };
    Outcome outcome;
    size_t key;  // TooLong: the first field whose text does not fit its room
    NoRoomCause cause = NoRoomCause::ResourceSection;
    VersionPlacement placement = VersionPlacement::InPlace;
    // Write: what changes, in the order to write it: a block placed anew before what leads to it,
    // the old one zeroed last. None when nothing changes.
    std::vector<FileWrite> writes{};
    uint32_t checksum = 0;  // what the header's checksum field holds afterwards
};

// Refused when the resource is no longer the one that was loaded (another first translation while
// strings are edited, an edited key that has gone while growth is not allowed) or cannot be
// rewritten safely (the checksum field inside it, a text that holds a zero, a change inside the
// certificate table or its directory entry). The strings written are StringEdits'. Each text that
// fits its room is rewritten there; with growth allowed, the others rebuild the block, placed
// where it disturbs least (PlaceVersionBlock), and a resource without a block (a PE image without
// version information) gets one (NewVersionBlock, PlaceNewVersionResource), whose FileVersion and
// ProductVersion strings follow the fixed versions given. Every text is checked before any is
// written, and the checksum is moved by what the writes change. `read` reads the file for a
// placement.
StorePlan PlanVersionStore(const VersionResource& resource, const PeFileReader& read,
                           const VersionTranslation& loaded, const VersionChanges& changes,
                           const VersionGrowth& growth = {});
