#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/native/version_block_builder.h"
#include "version/RewriteVersionString.h"
#include "version/VersionBuffer.h"

using namespace version_test;

namespace {

// GBK (code page 936) forms of the Chinese test values: two bytes per character.
const std::string kGbkChineseName = "\xD6\xD0\xCE\xC4\xC3\xFB\xB3\xC6";  // 中文名称
const std::string kGbkZhong = "\xD6\xD0";                                // 中
const std::string kGbkCopyright = "\xB0\xE6\xC8\xA8\xCB\xF9\xD3\xD0 (C) 2026";

RawVersionResource SampleResource() {
    VersionLayout layout;
    layout.tables = {{u"080404b0",
                      {
                          {u"CompanyName", u"Quorvane", ""},
                          {u"FileVersion", u"1.0.0.123", ""},
                          {u"ProductName", u"中文名称", kGbkChineseName},
                          {u"LegalCopyright", u"版权所有 (C) 2026", kGbkCopyright},
                          {u"Comments", u"中", kGbkZhong},
                          {u"PrivateBuild", u"", ""},
                          {u"InternalName", u"sample", ""},
                      }}};
    return BuildVersionResource(layout);
}

std::vector<uint8_t> Bytes(const VersionBuffer& buffer) {
    return std::vector<uint8_t>(buffer.data(), buffer.data() + buffer.size());
}

std::u16string Units(const VersionBuffer& buffer, uint32_t offset, uint32_t count) {
    std::u16string units;
    for (uint32_t i = 0; i < count; ++i) {
        units.push_back(static_cast<char16_t>(buffer.data()[offset + 2 * i] |
                                              buffer.data()[offset + 2 * i + 1] << 8));
    }
    return units;
}

}  // namespace

TEST(VersionBuffer, HoldsTheRawResourceHalf) {
    struct Case {
        uint32_t size;
        uint32_t rawSize;
    } const cases[] = {{0, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 1}, {20, 8}, {21, 8}, {1000, 498}};
    for (const Case& c : cases) {
        VersionBuffer buffer(c.size);
        EXPECT_EQ(buffer.size(), c.size);
        EXPECT_EQ(buffer.RawSize(), c.rawSize) << "R = " << c.size;
        for (uint32_t i = 0; i < c.size; ++i) ASSERT_EQ(buffer.data()[i], 0) << i;
    }
}

TEST(VersionBuffer, MovesItsBlock) {
    VersionBuffer a(20);
    a.data()[3] = 7;
    const uint8_t* block = a.data();
    VersionBuffer b(std::move(a));
    EXPECT_EQ(b.data(), block);
    EXPECT_EQ(b.size(), 20u);
    EXPECT_EQ(a.size(), 0u);
    VersionBuffer c(4);
    c = std::move(b);
    EXPECT_EQ(c.data()[3], 7);
    EXPECT_EQ(c.RawSize(), 8u);
}

TEST(RewriteVersionString, WorkedExampleKeepsTheRestOfTheRoom) {
    const RawVersionResource raw = SampleResource();
    VersionBuffer buffer = MakeVersionBlock(raw);
    const PlacedString& value = raw.Find(u"FileVersion");
    const std::vector<uint8_t> before = Bytes(buffer);

    ASSERT_EQ(value.ansi.size(), 9u);
    EXPECT_EQ(RewriteVersionString(buffer, AnsiOffset(raw, value), 9, u"2.0"),
              RewriteResult::Written);

    // "2.0" and its terminator; then the zeroed low byte of '0', ".123" and the old terminator.
    EXPECT_EQ(Units(buffer, value.storedOffset, 10), std::u16string(u"2.0\0\0.123\0", 10));
    const std::vector<uint8_t> after = Bytes(buffer);
    for (size_t i = 0; i < after.size(); ++i) {
        if (i >= value.storedOffset && i < value.storedOffset + 20) continue;
        ASSERT_EQ(after[i], before[i]) << "byte " << i << " is outside the room";
    }
}

TEST(RewriteVersionString, FitsTheRoomWithItsTerminator) {
    struct Case {
        const char* name;
        std::u16string key;
        std::u16string text;
        RewriteResult expected;
    } const cases[] = {
        // FileVersion "1.0.0.123": room 10 units, L = 9.
        {"same length", u"FileVersion", u"1.0.0.124", RewriteResult::Written},
        {"unchanged", u"FileVersion", u"1.0.0.123", RewriteResult::Written},
        {"shorter", u"FileVersion", u"2.0", RewriteResult::Written},
        {"emptied", u"FileVersion", u"", RewriteResult::Written},
        {"room without terminator", u"FileVersion", u"1.0.0.1234", RewriteResult::TooLong},
        {"past the room", u"FileVersion", u"1.0.0.123456", RewriteResult::TooLong},
        {"chinese into ascii", u"FileVersion", u"版本一二三四五六", RewriteResult::Written},
        // ProductName "中文名称": room 5 units, L = 8.
        {"double-byte same text", u"ProductName", u"中文名称", RewriteResult::Written},
        {"double-byte shorter", u"ProductName", u"中文", RewriteResult::Written},
        {"double-byte as ascii", u"ProductName", u"ABCD", RewriteResult::Written},
        {"double-byte room without terminator", u"ProductName", u"中文名称A",
         RewriteResult::TooLong},
        {"within L but past the room", u"ProductName", u"ABCDEFGH", RewriteResult::TooLong},
        // Comments "中": room 2 units, L = 2, so L units leave no terminator.
        {"one double-byte char, L units", u"Comments", u"ab", RewriteResult::TooLong},
        {"one double-byte char, shorter", u"Comments", u"a", RewriteResult::Written},
        // LegalCopyright "版权所有 (C) 2026": room 14 units, L = 17.
        {"mixed, same length", u"LegalCopyright", u"版权所有 (C) 2027", RewriteResult::Written},
        {"mixed, one more", u"LegalCopyright", u"版权所有 (C) 20277", RewriteResult::TooLong},
        // PrivateBuild "": room 1 unit, L = 0.
        {"empty stays empty", u"PrivateBuild", u"", RewriteResult::Written},
        {"empty takes nothing", u"PrivateBuild", u"x", RewriteResult::TooLong},
    };
    const RawVersionResource raw = SampleResource();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        VersionBuffer buffer = MakeVersionBlock(raw);
        const PlacedString& value = raw.Find(c.key);
        const uint32_t a = AnsiOffset(raw, value);
        const uint32_t length = static_cast<uint32_t>(value.ansi.size());
        const uint32_t roomBytes = 2 * (value.units + 1);
        const std::vector<uint8_t> before = Bytes(buffer);

        EXPECT_EQ(CheckVersionRewrite(buffer, a, length, c.text), c.expected);
        EXPECT_EQ(Bytes(buffer), before) << "the check wrote";
        ASSERT_EQ(RewriteVersionString(buffer, a, length, c.text), c.expected);
        const std::vector<uint8_t> after = Bytes(buffer);

        if (c.expected != RewriteResult::Written) {
            EXPECT_EQ(after, before) << "a refused text changed the block";
            continue;
        }
        EXPECT_EQ(ReadStoredText(buffer, value.storedOffset, value.units + 1), c.text);
        const uint32_t end = value.storedOffset + 2 * static_cast<uint32_t>(c.text.size());
        EXPECT_EQ(after[end], 0);
        EXPECT_EQ(after[end + 1], 0);
        for (size_t i = 0; i < after.size(); ++i) {
            const bool inRoom = i >= value.storedOffset && i < value.storedOffset + roomBytes;
            if (!inRoom) {
                ASSERT_EQ(after[i], before[i]) << "byte " << i << " is outside the room";
            } else if (i >= end + 2) {
                // Behind the new terminator: zeroed or what is left of the old text.
                ASSERT_TRUE(after[i] == 0 || after[i] == before[i]) << "byte " << i;
            }
        }
    }
}

TEST(RewriteVersionString, RefusesWhatIsNotAValueOfTheBlock) {
    const RawVersionResource raw = SampleResource();
    const uint32_t s = static_cast<uint32_t>(raw.bytes.size());
    const uint32_t r = 2 * s + 4;
    const PlacedString& value = raw.Find(u"InternalName");
    const uint32_t a = AnsiOffset(raw, value);
    struct Case {
        const char* name;
        uint32_t ansiOffset;
        uint32_t ansiLength;
        std::u16string text;
    } const cases[] = {
        {"offset in the raw resource", value.storedOffset, 6, u"x"},
        {"offset at the platform bytes", s, 0, u""},
        {"offset just before the ANSI area", s + 3, 0, u""},
        {"offset at the end of the block", r, 0, u""},
        {"offset past the block", 0xFFFFFFF0u, 6, u"x"},
        {"ANSI form past the block", a, r - a + 1, u"x"},
        {"length that wraps", a, 0xFFFFFFFFu, u"x"},
        {"text with a zero unit", a, 6, std::u16string(u"a\0b", 3)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        VersionBuffer buffer = MakeVersionBlock(raw);
        const std::vector<uint8_t> before = Bytes(buffer);
        EXPECT_EQ(CheckVersionRewrite(buffer, c.ansiOffset, c.ansiLength, c.text),
                  RewriteResult::Invalid);
        EXPECT_EQ(RewriteVersionString(buffer, c.ansiOffset, c.ansiLength, c.text),
                  RewriteResult::Invalid);
        EXPECT_EQ(Bytes(buffer), before);
    }
}

// An ANSI form can take more bytes than the room (three per character in UTF-8): the zeroing
// stops at the room all the same.
TEST(RewriteVersionString, ZeroesNoMoreThanTheRoom) {
    const RawVersionResource raw = SampleResource();
    VersionBuffer buffer = MakeVersionBlock(raw);
    // "1.0.0.123": a room of 10 units, followed at once by the next entry.
    const PlacedString& value = raw.Find(u"FileVersion");
    const uint32_t roomEnd = value.storedOffset + 20;
    ASSERT_EQ(roomEnd % 4, 0u);
    ASSERT_NE(buffer.data()[roomEnd], 0);
    const std::vector<uint8_t> before = Bytes(buffer);
    ASSERT_EQ(RewriteVersionString(buffer, AnsiOffset(raw, value), 24, u"a"),
              RewriteResult::Written);
    const std::vector<uint8_t> after = Bytes(buffer);
    EXPECT_EQ(Units(buffer, value.storedOffset, 10), std::u16string(u"a\0\0\0\0\0\0\0\0\0", 10));
    for (size_t i = 0; i < after.size(); ++i) {
        if (i >= value.storedOffset && i < roomEnd) continue;
        ASSERT_EQ(after[i], before[i]) << "byte " << i << " is outside the room";
    }
}

TEST(RewriteVersionString, RefusesBlocksTooSmallForTheLayout) {
    for (uint32_t size : {0u, 1u, 3u, 4u, 5u}) {
        VersionBuffer buffer(size);
        for (uint32_t a = 0; a <= size + 1; ++a) {
            EXPECT_EQ(RewriteVersionString(buffer, a, 0, u""), RewriteResult::Invalid)
                << "R = " << size << ", a = " << a;
        }
    }
}

// A stored text with no terminator before S: the room ends at S, and a text must leave a
// unit there for its terminator.
TEST(RewriteVersionString, UnterminatedTextEndsAtTheRawResource) {
    const uint32_t s = 9;  // four whole units and one odd byte
    const uint32_t r = 2 * s + 4;
    struct Case {
        uint32_t storedOffset;
        std::u16string text;
        RewriteResult expected;
    } const cases[] = {
        {0, u"xyz", RewriteResult::Written}, {0, u"wxyz", RewriteResult::TooLong},
        {2, u"yz", RewriteResult::Written},  {2, u"xyz", RewriteResult::TooLong},
        {6, u"", RewriteResult::Written},    {6, u"z", RewriteResult::TooLong},
        {7, u"", RewriteResult::Written},    {8, u"", RewriteResult::Invalid},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.storedOffset);
        VersionBuffer buffer(r);
        for (uint32_t i = 0; i < s; ++i) buffer.data()[i] = 'A';
        std::memset(buffer.data() + s, 0xCC, 4);
        const std::vector<uint8_t> before = Bytes(buffer);
        const uint32_t a = c.storedOffset + s + 4;
        ASSERT_EQ(RewriteVersionString(buffer, a, 0, c.text), c.expected);
        const std::vector<uint8_t> after = Bytes(buffer);
        for (uint32_t i = 0; i < r; ++i) {
            if (i >= c.storedOffset && i < s) continue;
            ASSERT_EQ(after[i], before[i]) << "byte " << i;
        }
        if (c.expected == RewriteResult::Written) {
            EXPECT_EQ(ReadStoredText(buffer, c.storedOffset, (s - c.storedOffset) / 2), c.text);
        }
    }
}

TEST(RewriteVersionString, WorksInABlockOfOddSize) {
    const RawVersionResource raw = SampleResource();
    const uint32_t s = static_cast<uint32_t>(raw.bytes.size());
    VersionBuffer buffer(2 * s + 5);
    ASSERT_EQ(buffer.RawSize(), s);
    std::memcpy(buffer.data(), raw.bytes.data(), s);
    const PlacedString& value = raw.Find(u"FileVersion");
    EXPECT_EQ(RewriteVersionString(buffer, value.storedOffset + s + 4, 9, u"3.1"),
              RewriteResult::Written);
    EXPECT_EQ(ReadStoredText(buffer, value.storedOffset, 10), u"3.1");
}

TEST(RewriteVersionString, LaterValuesStayWhereTheyWere) {
    const RawVersionResource raw = SampleResource();
    VersionBuffer buffer = MakeVersionBlock(raw);
    const struct {
        std::u16string key;
        std::u16string text;
    } edits[] = {{u"CompanyName", u"Q"}, {u"FileVersion", u"1.0.0.124"}, {u"ProductName", u"产品"}};
    for (const auto& edit : edits) {
        const PlacedString& value = raw.Find(edit.key);
        ASSERT_EQ(RewriteVersionString(buffer, AnsiOffset(raw, value),
                                       static_cast<uint32_t>(value.ansi.size()), edit.text),
                  RewriteResult::Written);
    }
    for (const auto& edit : edits) {
        const PlacedString& value = raw.Find(edit.key);
        EXPECT_EQ(ReadStoredText(buffer, value.storedOffset, value.units + 1), edit.text);
    }
    const PlacedString& untouched = raw.Find(u"LegalCopyright");
    EXPECT_EQ(ReadStoredText(buffer, untouched.storedOffset, untouched.units + 1),
              u"版权所有 (C) 2026");
}

TEST(MatchesAnsiForm, ComparesTheFieldWithTheAnsiForm) {
    const RawVersionResource raw = SampleResource();
    const VersionBuffer buffer = MakeVersionBlock(raw);
    const uint32_t r = buffer.size();
    struct Case {
        const char* name;
        std::u16string key;
        std::string field;
        bool expected;
    } const cases[] = {
        {"ascii, same", u"FileVersion", "1.0.0.123", true},
        {"ascii, one byte differs", u"FileVersion", "1.0.0.124", false},
        {"ascii, prefix", u"FileVersion", "1.0.0.12", false},
        {"ascii, longer", u"FileVersion", "1.0.0.1234", false},
        {"double-byte, same", u"ProductName", kGbkChineseName, true},
        {"double-byte, half a character less", u"ProductName", kGbkChineseName.substr(0, 7), false},
        {"empty value, empty field", u"PrivateBuild", "", true},
        {"empty value, field with text", u"PrivateBuild", "x", false},
    };
    for (const Case& c : cases) {
        const PlacedString& value = raw.Find(c.key);
        EXPECT_EQ(MatchesAnsiForm(buffer, AnsiOffset(raw, value),
                                  static_cast<uint32_t>(value.ansi.size()), c.field),
                  c.expected)
            << c.name;
    }
    EXPECT_FALSE(MatchesAnsiForm(buffer, r - 2, 4, std::string(4, '\0')));
    EXPECT_FALSE(MatchesAnsiForm(buffer, 0xFFFFFFFFu, 2, "ab"));
    EXPECT_TRUE(MatchesAnsiForm(buffer, r, 0, ""));
}
