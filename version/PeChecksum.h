// The CheckSum field of a PE image, as the system computes it (CheckSumMappedFile): the
// ones'-complement sum of the file's 16-bit little-endian words, less the field's own two words,
// plus the file's length. Kept as a sum that can be moved from old to new bytes, so that a
// rewrite of a few bytes updates the checksum without reading the file again.
#pragma once

#include <cstddef>
#include <cstdint>

class PeWordSum {
  public:
    explicit PeWordSum(uint64_t checksumOffset) : field_(checksumOffset) {}

    // Adds the bytes that lie at file offsets [offset, offset + count). The checksum field's own
    // bytes count as zero; a last byte at an even offset is a word of its own.
    void Add(uint64_t offset, const uint8_t* bytes, size_t count);
    // Takes the sum from the old bytes at [offset, offset + count) to the new ones.
    void Replace(uint64_t offset, const uint8_t* oldBytes, const uint8_t* newBytes, size_t count);

    // What the system computes for the file when its field holds `field`.
    uint32_t ChecksumWith(uint32_t field, uint64_t fileSize) const;
    // The value that, once in the field, the system computes as the file's checksum.
    uint32_t Checksum(uint64_t fileSize) const;

  private:
    // The folded sum: 0 only for a file of zero words, else in [1, 0xFFFF].
    uint16_t Folded() const;

    uint64_t field_;
    uint32_t residue_ = 0;  // the word sum modulo 0xFFFF
    bool nonZero_ = false;
};
