#include "target/AttributeBits.h"

uint32_t AttributeWordToWrite(uint32_t loadedWord, const ChangeableAttributes& boxes) {
    AttributeBits bits(loadedWord);
    bits.set(0, boxes.readOnly);
    bits.set(1, boxes.hidden);
    bits.set(2, boxes.system);
    bits.set(5, boxes.archive);
    return static_cast<uint32_t>(bits.to_ulong());
}
