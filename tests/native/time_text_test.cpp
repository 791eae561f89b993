#include "target/TimeText.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr uint64_t kSecond = 10'000'000;  // file time ticks
constexpr int64_t kHour = 3600;           // offset seconds

// Known UTC file times, worked out apart from the program (ticks since 1601-01-01 UTC).
constexpr uint64_t k1602 = 315360000000000;              // 1602-01-01 00:00:00
constexpr uint64_t k1900Mar1 = 94405824000000000;        // 1900-03-01 00:00:00
constexpr uint64_t kUnixEpoch = 116444736000000000;      // 1970-01-01 00:00:00
constexpr uint64_t k2000Feb29 = 125962560000000000;      // 2000-02-29 00:00:00
constexpr uint64_t k2015 = 130646414450000000;           // 2015-01-02 03:04:05
constexpr uint64_t kWinter2024 = 133498026000000000;     // 2024-01-15 14:30:00
constexpr uint64_t k2024Feb29Noon = 133536816000000000;  // 2024-02-29 12:00:00
constexpr uint64_t kSummer2024 = 133655274000000000;     // 2024-07-15 14:30:00
constexpr uint64_t k2024End = 133801631990000000;        // 2024-12-31 23:59:59
constexpr uint64_t kPast2038 = 137919572480000000;       // 2038-01-19 03:14:08
constexpr uint64_t k2100 = 157599648000000000;           // 2100-06-01 00:00:00
constexpr uint64_t kLast = 2650467743990000000;          // 9999-12-31 23:59:59

constexpr int64_t kShanghai = 8 * kHour;
constexpr int64_t kNewYorkWinter = -5 * kHour;
constexpr int64_t kNewYorkSummer = -4 * kHour;
constexpr int64_t kKathmandu = 5 * kHour + 45 * 60;
constexpr int64_t kKiritimati = 14 * kHour;
constexpr int64_t kBakerIsland = -12 * kHour;

constexpr int64_t kOffsetMax = std::numeric_limits<int64_t>::max();
constexpr int64_t kOffsetMin = std::numeric_limits<int64_t>::min();
constexpr uint64_t kFileTimeMax = std::numeric_limits<uint64_t>::max();

const char* const kSample = "2015-01-02 03:04:05";

const std::string kGbkFullWidthTwo = "\xa3\xb2";
const std::string kUtf8FullWidthTwo = "\xef\xbc\x92";

// The sample text with one byte replaced.
std::string SampleWith(size_t position, char byte) {
    std::string text = kSample;
    text[position] = byte;
    return text;
}

TEST(TimeText, CheckAcceptsOnlyNineteenBytesWithDigitsOutsideTheSeparators) {
    struct Case {
        std::string text;
        bool valid;
    };
    const std::vector<Case> cases = {
        {"2015-01-02 03:04:05", true},
        {"2015/01/02T03.04.05", true},  // separators are not looked at
        {"2015x01x02x03x04x05", true},
        {SampleWith(4, '\0'), true},
        {"0000-00-00 00:00:00", true},  // ranges are not the check's business
        {"9999-99-99 99:99:99", true},
        {"", false},
        {"2015-01-02 03:04:0", false},    // 18 bytes
        {"2015-01-02 03:04:055", false},  // 20 bytes
        {" 2015-01-02 03:04:05", false},  // leading blank, 20 bytes
        {"2015-01-02 03:04:05 ", false},  // trailing blank, 20 bytes
        {" 015-01-02 03:04:05", false},   // blank in place of a digit, 19 bytes
        {"2015-01-02 03:04:5 ", false},
        {"2015-01-02  3:04:05", false},
        {"2015-01-02 03:04:/5", false},  // the bytes just below '0' and above '9'
        {"2015-01-02 03:04::5", false},
        {SampleWith(18, '\0'), false},
        // A full-width digit is two bytes in GBK and three in UTF-8, and neither byte is a digit.
        {kGbkFullWidthTwo + "15-01-02 03:04:05", false},
        {"201" + kGbkFullWidthTwo + "01-02 03:04:05", false},
        {"2015-01-02 03:04:" + kGbkFullWidthTwo, false},
        {kUtf8FullWidthTwo + "015-01-02 03:04:05", false},
        {kUtf8FullWidthTwo + "5-01-02 03:04:05", false},
        {"\xef\xbc\x92\xef\xbc\x90\xef\xbc\x91\xef\xbc\x95-01-02", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsValidTimeText(c.text), c.valid) << '"' << c.text << '"';
    }
}

TEST(TimeText, CheckLooksAtEveryDigitPositionAndNoSeparator) {
    for (size_t i = 0; i < 19; ++i) {
        const bool separator = i == 4 || i == 7 || i == 10 || i == 13 || i == 16;
        for (char replacement : {'a', 'Z', ' ', '-'}) {
            const std::string text = SampleWith(i, replacement);
            EXPECT_EQ(IsValidTimeText(text), separator) << '"' << text << '"';
        }
    }
}

TEST(TimeText, ParseReadsSixDecimalNumbersAtFixedPositions) {
    struct Case {
        const char* text;
        LocalDateTime expected;
    };
    const Case cases[] = {
        {"2015-01-02 03:04:05", {2015, 1, 2, 3, 4, 5}},
        {"2015/01/02T03.04.05", {2015, 1, 2, 3, 4, 5}},
        {"1234x56y78z90w12v34", {1234, 56, 78, 90, 12, 34}},
        {"0008-08-09 08:09:07", {8, 8, 9, 8, 9, 7}},  // leading zeros are decimal, not octal
        {"0000-00-00 00:00:00", {0, 0, 0, 0, 0, 0}},
        {"9999-99-99 99:99:99", {9999, 99, 99, 99, 99, 99}},
        {"1601-10-20 19:50:59", {1601, 10, 20, 19, 50, 59}},
    };
    for (const Case& c : cases) {
        const LocalDateTime t = ParseTimeText(c.text);
        EXPECT_EQ(t.year, c.expected.year) << c.text;
        EXPECT_EQ(t.month, c.expected.month) << c.text;
        EXPECT_EQ(t.day, c.expected.day) << c.text;
        EXPECT_EQ(t.hour, c.expected.hour) << c.text;
        EXPECT_EQ(t.minute, c.expected.minute) << c.text;
        EXPECT_EQ(t.second, c.expected.second) << c.text;
    }
}

// A well-shaped text with a field out of range is refused, never carried into another date.
TEST(TimeText, FieldsOutOfRangeAreRefused) {
    struct Case {
        const char* text;
        bool inRange;
    };
    const Case cases[] = {
        {"2015-01-02 03:04:05", true},
        {"2015-00-10 12:00:00", false},
        {"2015-13-10 12:00:00", false},
        {"2015-99-10 12:00:00", false},
        {"2015-12-31 12:00:00", true},
        {"2015-01-00 12:00:00", false},
        {"2015-01-31 12:00:00", true},
        {"2015-01-32 12:00:00", false},
        {"2015-04-30 12:00:00", true},
        {"2015-04-31 12:00:00", false},
        {"2015-06-31 12:00:00", false},
        {"2015-09-31 12:00:00", false},
        {"2015-11-31 12:00:00", false},
        {"2015-07-31 12:00:00", true},
        {"2015-08-31 12:00:00", true},
        {"2015-10-31 12:00:00", true},
        {"2015-02-28 12:00:00", true},
        {"2015-02-29 12:00:00", false},
        {"2015-02-30 12:00:00", false},
        {"1900-02-29 12:00:00", false},  // a century year is not leap...
        {"2100-02-29 12:00:00", false},
        {"2000-02-29 12:00:00", true},  // ...unless it divides by 400
        {"1600-02-29 12:00:00", false},
        {"2024-02-29 12:00:00", true},
        {"2024-02-30 12:00:00", false},
        {"2015-01-02 23:59:59", true},
        {"2015-01-02 24:00:00", false},
        {"2015-01-02 99:00:00", false},
        {"2015-01-02 12:60:00", false},
        {"2015-01-02 12:00:60", false},
        {"2015-01-02 12:99:99", false},
        {"0000-01-01 00:00:00", false},
        {"1600-12-31 23:59:59", false},
        {"1601-01-01 00:00:00", true},
        {"9999-12-31 23:59:59", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsValidLocalDateTime(ParseTimeText(c.text)), c.inRange) << c.text;
        EXPECT_EQ(TimeTextToFileTime(c.text, 0).has_value(), c.inRange) << c.text;
    }
}

TEST(TimeText, NegativeFieldsAreOutOfRange) {
    const LocalDateTime cases[] = {
        {-2015, 1, 1, 0, 0, 0}, {2015, -1, 1, 0, 0, 0}, {2015, 1, -1, 0, 0, 0},
        {2015, 1, 1, -1, 0, 0}, {2015, 1, 1, 0, -1, 0}, {2015, 1, 1, 0, 0, -1},
    };
    for (const LocalDateTime& t : cases) {
        EXPECT_FALSE(IsValidLocalDateTime(t)) << t.year << ' ' << t.month << ' ' << t.day << ' '
                                              << t.hour << ' ' << t.minute << ' ' << t.second;
    }
}

TEST(TimeText, DisplayOfKnownFileTimes) {
    struct Case {
        uint64_t fileTime;
        int64_t offset;
        const char* expected;
    };
    const Case cases[] = {
        // A zero file time is the platform's "no time".
        {0, 0, ""},
        {0, kShanghai, ""},
        {1, 0, "1601-01-01 00:00:00"},
        {kSecond, 0, "1601-01-01 00:00:01"},
        {1, kShanghai, "1601-01-01 08:00:00"},
        // Local forms before 1601 have no text.
        {1, -1, ""},
        {kSecond * 3600, kNewYorkWinter, ""},
        {kSecond * 3600 - 1, -kHour, ""},
        {kSecond * 3600, -kHour, "1601-01-01 00:00:00"},
        {k1602 - kSecond, 0, "1601-12-31 23:59:59"},
        {k1602, kBakerIsland, "1601-12-31 12:00:00"},
        {k1900Mar1 - kSecond, 0, "1900-02-28 23:59:59"},
        {kUnixEpoch, 0, "1970-01-01 00:00:00"},
        {kUnixEpoch, kNewYorkWinter, "1969-12-31 19:00:00"},
        {k2000Feb29 - kSecond, 0, "2000-02-28 23:59:59"},
        // The fraction of a second is dropped, never rounded.
        {k2015 + kSecond - 1, 0, "2015-01-02 03:04:05"},
        {k2015 + kSecond, 0, "2015-01-02 03:04:06"},
        {k2015, kShanghai, "2015-01-02 11:04:05"},
        {k2015, kKathmandu, "2015-01-02 08:49:05"},
        {k2015, kKiritimati, "2015-01-02 17:04:05"},
        {k2015, kBakerIsland, "2015-01-01 15:04:05"},
        {k2024Feb29Noon, 0, "2024-02-29 12:00:00"},
        {k2024Feb29Noon, 12 * kHour, "2024-03-01 00:00:00"},
        {k2024End, 0, "2024-12-31 23:59:59"},
        {k2024End + kSecond, 0, "2025-01-01 00:00:00"},
        // No 2038 limit.
        {kPast2038, 0, "2038-01-19 03:14:08"},
        {k2100, 0, "2100-06-01 00:00:00"},
        {k2100, kNewYorkSummer, "2100-05-31 20:00:00"},
        {kLast, 0, "9999-12-31 23:59:59"},
        {kLast + kSecond - 1, 0, "9999-12-31 23:59:59"},
        {kLast - kSecond * 3600, kHour, "9999-12-31 23:59:59"},
        {kLast + kSecond * 3600, -kHour, "9999-12-31 23:59:59"},
        // Local forms after 9999 have no text.
        {kLast, 1, ""},
        {kLast + kSecond, 0, ""},
        {kLast + kSecond * 3600, 0, ""},
        // Inputs no clock gives must still end cleanly.
        {kFileTimeMax, 0, ""},
        {kFileTimeMax, kOffsetMin, ""},
        {kFileTimeMax, kOffsetMax, ""},
        {1, kOffsetMax, ""},
        {1, kOffsetMin, ""},
        {kLast, kOffsetMin, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FileTimeToTimeText(c.fileTime, c.offset), c.expected)
            << c.fileTime << " at offset " << c.offset;
    }
}

TEST(TimeText, WriteOfTypedTimes) {
    struct Case {
        const char* text;
        int64_t offset;
        std::optional<uint64_t> expected;
    };
    const Case cases[] = {
        {"1601-01-01 00:00:00", 0, 0},
        {"1601-01-01 08:00:00", kShanghai, 0},
        {"1601-01-01 00:00:00", -kHour, kSecond * 3600},
        // The typed local time would be before 1601 in UTC.
        {"1601-01-01 00:00:00", 1, std::nullopt},
        {"1601-01-01 07:59:59", kShanghai, std::nullopt},
        {"1970-01-01 00:00:00", 0, kUnixEpoch},
        {"1970-01-01 08:00:00", kShanghai, kUnixEpoch},
        {"1969-12-31 19:00:00", kNewYorkWinter, kUnixEpoch},
        {"2015-01-02 03:04:05", 0, k2015},
        {"2015/01/02T03.04.05", 0, k2015},
        {"2015-01-02 11:04:05", kShanghai, k2015},
        {"2015-01-02 08:49:05", kKathmandu, k2015},
        {"2015-01-01 15:04:05", kBakerIsland, k2015},
        {"2024-07-15 10:30:00", kNewYorkSummer, kSummer2024},
        {"2024-01-15 09:30:00", kNewYorkWinter, kWinter2024},
        {"2024-03-01 00:00:00", 12 * kHour, k2024Feb29Noon},
        {"2038-01-19 03:14:08", 0, kPast2038},
        {"2100-06-01 05:45:00", kKathmandu, k2100},
        {"9999-12-31 23:59:59", 0, kLast},
        {"9999-12-31 23:59:59", kKiritimati, kLast - kSecond * 14 * 3600},
        // The UTC result may pass 9999; the file time still holds it.
        {"9999-12-31 23:59:59", kBakerIsland, kLast + kSecond * 12 * 3600},
        // The largest file time the platform's time calls accept has its top bit clear.
        {"9999-12-31 23:59:59", -657290429286, 9223372036850000000u},
        {"9999-12-31 23:59:59", -657290429287, std::nullopt},
        // Refused shapes and ranges.
        {"", 0, std::nullopt},
        {"2015-01-02 03:04:05 ", 0, std::nullopt},
        {"2015-02-29 03:04:05", 0, std::nullopt},
        {"2015-01-02 24:00:00", kShanghai, std::nullopt},
        // Offsets no clock gives must still end cleanly, with no wrap-around.
        {"2015-01-02 03:04:05", kOffsetMax, std::nullopt},
        {"2015-01-02 03:04:05", kOffsetMin, std::nullopt},
        {"9999-12-31 23:59:59", kOffsetMin, std::nullopt},
        {"1601-01-01 00:00:00", kOffsetMin, std::nullopt},
        {"9999-12-31 23:59:59", kOffsetMax, std::nullopt},
    };
    for (const Case& c : cases) {
        const std::optional<uint64_t> got = TimeTextToFileTime(c.text, c.offset);
        EXPECT_EQ(got, c.expected) << c.text << " at offset " << c.offset;
    }
}

// Display and write both use the offset in force now, so a shown time written back unchanged
// gives the file time it came from, to the second, whatever season the date falls in.
TEST(TimeText, ShownTimeWrittenBackGivesTheSameFileTime) {
    const int64_t offsets[] = {0,          kShanghai,   kNewYorkWinter, kNewYorkSummer,
                               kKathmandu, kKiritimati, kBakerIsland};
    const uint64_t fileTimes[] = {
        kWinter2024,                // a winter date shown in summer and vice versa
        kSummer2024 + kSecond - 1,  // with a fraction, which the write drops
        kWinter2024 + 1234567,
        k2015,
        kUnixEpoch - 1,
        k1900Mar1,
        k2000Feb29,
        kPast2038,
        k2100 + 5 * kSecond + 42,
        k1602,
    };
    for (int64_t offset : offsets) {
        for (uint64_t fileTime : fileTimes) {
            const std::string shown = FileTimeToTimeText(fileTime, offset);
            ASSERT_TRUE(IsValidTimeText(shown)) << fileTime << " at offset " << offset;
            EXPECT_EQ(TimeTextToFileTime(shown, offset), fileTime - fileTime % kSecond)
                << shown << " at offset " << offset;
        }
    }
}

// The reverse road: a typed time that is written and shown again reads the same.
TEST(TimeText, TypedTimeShownAgainReadsTheSame) {
    const int64_t offsets[] = {0,          kShanghai,   kNewYorkWinter, kNewYorkSummer,
                               kKathmandu, kKiritimati, kBakerIsland};
    const char* const texts[] = {
        "2024-03-10 02:30:00",  // skipped by New York's spring change, still one fixed offset here
        "2024-11-03 01:30:00",  // repeated by its autumn change
        "2000-02-29 23:59:59", "1900-03-01 00:00:00", "2038-01-19 03:14:08",
        "2100-06-01 00:00:00", "1601-06-15 12:00:00", "9999-12-31 23:59:59",
    };
    for (int64_t offset : offsets) {
        for (const char* text : texts) {
            const std::optional<uint64_t> written = TimeTextToFileTime(text, offset);
            ASSERT_TRUE(written.has_value()) << text << " at offset " << offset;
            EXPECT_EQ(FileTimeToTimeText(*written, offset), text) << "at offset " << offset;
        }
    }
}

// If the offset changes between the display and the write (a daylight-saving switch while the
// dialog is open), the written time moves by the difference: both directions trust the offset
// of their own moment.
TEST(TimeText, OffsetChangedBetweenDisplayAndWriteShiftsTheResult) {
    struct Case {
        int64_t shownAt;
        int64_t writtenAt;
        int64_t shiftSeconds;
    };
    const Case cases[] = {
        {kNewYorkWinter, kNewYorkSummer, -3600},
        {kNewYorkSummer, kNewYorkWinter, 3600},
        {kShanghai, kShanghai, 0},
        {kKathmandu, kShanghai, -8100},
    };
    for (const Case& c : cases) {
        for (uint64_t fileTime : {kWinter2024, kSummer2024}) {
            const std::string shown = FileTimeToTimeText(fileTime, c.shownAt);
            const uint64_t expected =
                static_cast<uint64_t>(static_cast<int64_t>(fileTime) + c.shiftSeconds * 10'000'000);
            EXPECT_EQ(TimeTextToFileTime(shown, c.writtenAt), expected)
                << shown << " shown at " << c.shownAt << ", written at " << c.writtenAt;
        }
    }
}

}  // namespace
