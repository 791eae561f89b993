// The CheckSum field of a PE image, as the system computes it (CheckSumMappedFile): the
// ones'-complement sum of the file's 16-bit little-endian words, less the field's own two words,
// plus the file's length. A store moves it by what it changed alone: each byte's share of the sum
// depends only on its value and whether its offset is odd, so bytes rewritten in place, bytes
// appended and a table moved elsewhere are all accounted for without reading the rest of the file,
// however large.
#pragma once

#include <cstddef>
#include <cstdint>

class ChecksumMove {
  public:
    // The `count` bytes at file offset `offset` (clear of the field) change from `before` to
    // `after`; bytes past the file's old end count as zeros before.
    void Add(uint64_t offset, const uint8_t* before, const uint8_t* after, size_t count);

    // The field's value once every change is made and the file, `fileSize` bytes long when the
    // field held `stored`, is `newSize` bytes long. Zero stays zero; a valid checksum stays valid;
    // a wrong one is moved as a valid one would be, so it stays as wrong as it was.
    uint32_t Moved(uint32_t stored, uint64_t fileSize, uint64_t newSize) const;

  private:
    uint32_t change_ = 0;  // the words' sum after, less before, modulo 0xFFFF
};
