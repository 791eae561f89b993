// The attribute word: which boxes a loaded word ticks, and the word that the write-back passes.
#include <gtest/gtest.h>

#include "target/AttributeBits.h"

namespace {

// Boxes ticked by a word, as a string of the shown bits in box order.
std::string Ticked(uint32_t word) {
    const AttributeBits bits(word);
    std::string ticked;
    for (size_t bit : kShownAttributeBits) ticked += bits.test(bit) ? '1' : '0';
    return ticked;
}

TEST(AttributeBits, DisplayTicksTheBoxOfEachShownBit) {
    const struct {
        uint32_t word;
        const char* ticked;  // 只读 隐藏 系统 目录 存档 加密 普通 临时
    } cases[] = {
        {0x821, "10001000"},   // read-only, archive; compressed has no box
        {0x80, "00000010"},    // normal alone
        {0x10, "00010000"},    // a folder
        {0x40, "00000100"},    // "加密" follows 0x40
        {0x4000, "00000000"},  // ... not the platform's encrypted bit
        {0x8 | 0x200 | 0x80000000u, "00000000"},
        {0x1F7, "11111111"},
    };
    for (const auto& c : cases) EXPECT_EQ(Ticked(c.word), c.ticked) << std::hex << c.word;
}

TEST(AttributeBits, WriteBackTakesTheFourBoxesAndKeepsEveryOtherBit) {
    const struct {
        uint32_t loaded;
        ChangeableAttributes boxes;
        uint32_t written;
    } cases[] = {
        {0x821, {false, true, false, true}, 0x822},
        {0x80, {true, false, false, false}, 0x81},
        {0x21, {false, false, false, false}, 0x0},
        {0x10, {false, false, false, false}, 0x10},
        {0x4000, {false, false, false, false}, 0x4000},
        {0x100 | 0x8 | 0xFFFFFE00u, {true, true, true, true}, 0xFFFFFF2Fu},
        {0x27, {false, false, false, false}, 0x0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AttributeWordToWrite(c.loaded, c.boxes), c.written) << std::hex << c.loaded;
    }
}

TEST(AttributeBits, PositionsAbove31AreRefused) {
    AttributeBits bits;
    EXPECT_THROW(bits.set(32), std::out_of_range);
}

}  // namespace
