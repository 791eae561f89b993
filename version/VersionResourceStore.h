// Stores a rewritten raw version resource back into its file.
#pragma once

#include <windows.h>

#include <cstdint>

struct VersionStoreResult {
    bool stored;
    DWORD error;  // when not stored: the code of the call that failed
};

// `original` and `rewritten` are the raw version resource (size bytes) as the block was read and
// as it was rewritten. Where the file holds exactly `original` as its version resource of name 1
// under `language`, the rewritten bytes are written over it in place and no other byte of the
// file changes (data appended after the last section stays). Otherwise the platform's resource
// update stores them under name 1 and `language`, replacing or adding that resource.
VersionStoreResult StoreVersionResource(const char* path, WORD language, const uint8_t* original,
                                        const uint8_t* rewritten, uint32_t size);
