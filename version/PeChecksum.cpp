#include "version/PeChecksum.h"

namespace {

constexpr uint32_t kModulus = 0xFFFF;  // ones'-complement addition of 16-bit words

// The bytes' share of the word sum, modulo 0xFFFF: a byte at an odd offset is the high half of
// its word. 0x10000 is 1 modulo 0xFFFF, so the words need no carrying between them.
uint32_t Residue(uint64_t offset, const uint8_t* bytes, size_t count) {
    uint64_t sum = 0;
    for (size_t i = 0; i < count; ++i) sum += ((offset + i) & 1) ? bytes[i] * 256u : bytes[i];
    return static_cast<uint32_t>(sum % kModulus);
}

}  // namespace

void ChecksumMove::Add(uint64_t offset, const uint8_t* before, const uint8_t* after, size_t count) {
    change_ =
        (change_ + Residue(offset, after, count) + kModulus - Residue(offset, before, count)) %
        kModulus;
}

uint32_t ChecksumMove::Moved(uint32_t stored, uint64_t fileSize, uint64_t newSize) const {
    if (stored == 0) return 0;
    const uint32_t size = static_cast<uint32_t>(fileSize), grown = static_cast<uint32_t>(newSize);
    // A valid checksum is the size plus the words' sum folded to 0 to 0xFFFE: taking the field's
    // own words out of the folded sum leaves a multiple of 0xFFFF as 0, unless both words are 0,
    // which a field holding the size never has below 4 GiB. A field that holds more is wrong,
    // and moves by the change alone.
    const uint32_t folded = stored - size;
    if (folded >= kModulus) return stored + change_ + (grown - size);
    return (folded + change_) % kModulus + grown;
}
