#include "target/AttributeBits.h"

AttributeBoxes ShownAttributeBoxes(uint32_t word) {
    const AttributeBits bits(word);
    AttributeBoxes ticked{};
    for (size_t i = 0; i < kShownAttributeBits.size(); ++i)
        ticked[i] = bits.test(kShownAttributeBits[i]);
    return ticked;
}

AttributeChange ChangeFromBoxes(const AttributeBoxes& ticked) {
    AttributeChange change;
    for (size_t i = 0; i < kShownAttributeBits.size(); ++i) {
        const size_t bit = kShownAttributeBits[i];
        if (IsChangeableAttributeBit(bit)) (ticked[i] ? change.set : change.clear) |= 1u << bit;
    }
    return change;
}

uint32_t AttributeWordToWrite(uint32_t loadedWord, const AttributeChange& change) {
    return (loadedWord & ~(change.clear & kChangeableAttributes)) |
           (change.set & kChangeableAttributes);
}
