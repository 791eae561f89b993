// The CheckSum field of a PE image, as the system computes it (CheckSumMappedFile): the
// ones'-complement sum of the file's 16-bit little-endian words, less the field's own two words,
// plus the file's length. An in-place edit moves it by what the edit changed alone, so that a
// store never reads the rest of the file, however large.
#pragma once

#include <cstddef>
#include <cstdint>

// The field's value once the `count` bytes at file offset `offset` (clear of the field) have
// changed from `before` to `after`, in a file of `fileSize` bytes whose field held `stored`.
// Zero stays zero; a valid checksum stays valid; a wrong one is moved as a valid one would be,
// so it stays as wrong as it was.
uint32_t MovedChecksum(uint32_t stored, uint64_t fileSize, uint64_t offset, const uint8_t* before,
                       const uint8_t* after, size_t count);
