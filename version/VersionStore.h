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

// A field whose text differs from what was loaded for it.
struct VersionEdit {
    size_t key;  // in kVersionStringKeys
    std::u16string text;
};

// What one store changes: the edited strings, and the fixed numeric versions.
struct VersionChanges {
    std::vector<VersionEdit> strings;
    std::optional<FixedVersion> fileVersion = std::nullopt;
    std::optional<FixedVersion> productVersion = std::nullopt;
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
    };
    Outcome outcome;
    size_t key;                  // TooLong: the first field whose text does not fit its room
    uint64_t offset;             // Write: where the bytes that change start in the file
    std::vector<uint8_t> bytes;  //        and what they become; none when nothing changes
    uint32_t checksum;           //        what the header's checksum field holds afterwards
};

// Refused when the resource is no longer the one that was loaded (another first translation while
// strings are edited, an edited key that has gone) or cannot be rewritten safely (the checksum
// field inside it, a text that holds a zero, a change inside the certificate table or its
// directory entry). The strings written are StringEdits'. Every text is checked
// against its room before any is written; the one span of bytes that all of it changes is
// written, and the checksum is moved by what it changed.
StorePlan PlanVersionStore(const VersionResource& resource, const VersionTranslation& loaded,
                           const VersionChanges& changes);
