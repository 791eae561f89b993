// The version strings of a file: read for the dialog, and stored back into the file in place.
// Both read the file's own bytes through our bounds-checked readers; no version resource that
// fails their checks reaches a platform call.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/CString.h"
#include "version/VersionBlock.h"
#include "version/VersionStore.h"

struct LoadedVersion {
    enum class State {
        None,           // no version information that can be read: the file, its image or its
                        // version resource is missing, unreadable or inconsistent
        NoTranslation,  // a version resource without a usable Translation value
        Loaded,
    };
    State state = State::None;
    VersionTranslation translation{};
    // Each present key's stored text exactly as the file holds it, in the order of
    // kVersionStringKeys: what the dialog shows, and what an edit is compared with.
    std::array<std::optional<CString>, kVersionStringKeyCount> texts;
    // The most units that a new text of each present key may have: its room less the terminator.
    std::array<uint32_t, kVersionStringKeyCount> limits{};
    // The root's fixed numeric versions; none when the resource has no VS_FIXEDFILEINFO.
    std::optional<FixedVersion> fileVersion, productVersion;
    // The file is a PE image that carries an Authenticode certificate table, whatever its version
    // resource: a store breaks the signature, though the table stays, so it can be signed again.
    bool isSigned = false;
    // Why the file could not be opened or read (ERROR_SUCCESS when it could): its state is then
    // None, whatever it holds.
    DWORD error = ERROR_SUCCESS;
    // A PE image without version information (State::None), to which a store with growth allowed
    // adds a version resource.
    bool addable = false;
};

// The reads leave the file's last-access time as it was (UntouchedFile).
LoadedVersion ReadVersionStrings(const CString& path);

// The system's display name of a language; empty when it has none.
CString LanguageName(uint16_t language);

struct VersionStoreResult {
    enum class Outcome {
        Stored,  // written, or for a check: would be
        TooLong,
        NoFixedInfo,  // a fixed version was asked for, and the resource has no VS_FIXEDFILEINFO
                      // to hold it; reported as "版本信息中没有固定版本号!\n版本信息未修改!"
        NoRoom,  // the rebuilt block fits nowhere (`cause`)
        Failed,
    };
    Outcome outcome;
    size_t key;   // TooLong: the field whose text does not fit
    DWORD error;  // Failed: the code of the call that failed, or ERROR_INVALID_DATA when the
                  // file's version resource is no longer the one that was loaded, or cannot be
                  // stored safely (the header's checksum field lies inside it, or a change would
                  // fall inside the certificate table)
    VersionPlacement placement = VersionPlacement::InPlace;  // Stored: where the block goes
    NoRoomCause cause = NoRoomCause::ResourceSection;
};

// How a store opens the file: others may read meanwhile, nobody else may write, so that what is
// compared is what is overwritten. A check before any write opens it the same way.
constexpr DWORD kStoreAccess = GENERIC_READ | GENERIC_WRITE;
constexpr DWORD kStoreShare = FILE_SHARE_READ;

// Rewrites the edited strings and the fixed versions in place inside the version resource that
// the file holds now, every text checked against its room before any is written; the other
// strings stay as the file holds them, but for a FileVersion or ProductVersion string that
// follows its fixed version. With growth allowed, texts beyond their rooms and missing keys
// rebuild the block, placed anew (PlanVersionStore). Only the bytes that change are written, and
// the header's checksum is moved by what they changed: a valid one stays valid, and the rest of
// the file is never read.
VersionStoreResult StoreVersionStrings(const CString& path, const LoadedVersion& loaded,
                                       const VersionChanges& changes,
                                       const VersionGrowth& growth = {});

// What StoreVersionStrings would answer now, through the same steps, with the file opened for
// reading alone and nothing written. It cannot foresee a refusal to open the file for writing: a
// read-only file, the file's security, another program holding it open that lets others only read.
VersionStoreResult CheckVersionStore(const CString& path, const LoadedVersion& loaded,
                                     const VersionChanges& changes,
                                     const VersionGrowth& growth = {});
