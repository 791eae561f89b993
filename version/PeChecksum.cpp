#include "version/PeChecksum.h"

#include <algorithm>

namespace {

constexpr uint32_t kModulus = 0xFFFF;  // ones'-complement addition of 16-bit words

uint16_t FoldAdd(uint16_t sum, uint16_t word) {
    const uint32_t total = uint32_t{sum} + word;
    return static_cast<uint16_t>(total > kModulus ? total - kModulus : total);
}

// The system's subtraction of a word from the folded sum, borrowing around.
uint16_t FoldSubtract(uint16_t sum, uint16_t word) {
    return static_cast<uint16_t>(sum >= word ? sum - word : sum - word - 1);
}

}  // namespace

void PeWordSum::Add(uint64_t offset, const uint8_t* bytes, size_t count) {
    if (count == 0) return;
    // The field's own bytes count as zero: what lies on either side of them is added.
    if (offset < field_ + 4 && field_ < offset + count) {
        const size_t before = field_ > offset ? static_cast<size_t>(field_ - offset) : 0;
        const size_t after =
            static_cast<size_t>(std::min<uint64_t>(offset + count, field_ + 4) - offset);
        Add(offset, bytes, before);
        Add(offset + after, bytes + after, count - after);
        return;
    }
    // Whole words at a time; a byte at an odd offset is the high half of its word.
    uint64_t sum = 0;
    size_t i = 0;
    if (offset & 1) sum = uint64_t{bytes[i++]} << 8;
    for (; i + 1 < count; i += 2) sum += bytes[i] | bytes[i + 1] << 8;
    if (i < count) sum += bytes[i];
    if (sum != 0) nonZero_ = true;
    residue_ = static_cast<uint32_t>((residue_ + sum % kModulus) % kModulus);
}

void PeWordSum::Replace(uint64_t offset, const uint8_t* oldBytes, const uint8_t* newBytes,
                        size_t count) {
    // Adding the complement of each old byte's weight (modulo 0xFFFF) takes it out again.
    uint64_t sum = residue_;
    for (size_t i = 0; i < count; ++i) {
        const uint64_t at = offset + i;
        if (at - field_ < 4) continue;
        const uint32_t weight = (at & 1) ? 256 : 1;
        sum += uint64_t{newBytes[i]} * weight + uint64_t{kModulus - oldBytes[i]} * weight;
        if (sum >= (uint64_t{1} << 40)) sum %= kModulus;
        if (newBytes[i] != 0) nonZero_ = true;
    }
    residue_ = static_cast<uint32_t>(sum % kModulus);
}

uint16_t PeWordSum::Folded() const {
    if (!nonZero_) return 0;
    return static_cast<uint16_t>(residue_ == 0 ? kModulus : residue_);
}

uint32_t PeWordSum::ChecksumWith(uint32_t field, uint64_t fileSize) const {
    const uint16_t low = static_cast<uint16_t>(field);
    const uint16_t high = static_cast<uint16_t>(field >> 16);
    uint16_t sum = FoldAdd(FoldAdd(Folded(), low), high);
    sum = FoldSubtract(FoldSubtract(sum, low), high);
    return sum + static_cast<uint32_t>(fileSize);
}

uint32_t PeWordSum::Checksum(uint64_t fileSize) const {
    // Two folded sums stand for a multiple of 0xFFFF; which of them the system arrives at depends
    // on the field's own words, so take the one that agrees with itself.
    const uint32_t first = Folded() + static_cast<uint32_t>(fileSize);
    if (Folded() != kModulus || ChecksumWith(first, fileSize) == first) return first;
    return static_cast<uint32_t>(fileSize);
}
