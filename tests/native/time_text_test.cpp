#include "target/TimeText.h"

#include <gtest/gtest.h>

constexpr uint64_t kSecond = 10'000'000;  // file time ticks
constexpr int64_t kHour = 3600;
// UTC file times worked out apart from the program (ticks since 1601-01-01 00:00:00 UTC).
constexpr uint64_t k2000Feb29 = 125962560000000000;  // 2000-02-29 00:00:00
constexpr uint64_t k2015 = 130646414450000000;       // 2015-01-02 03:04:05
constexpr uint64_t kPast2038 = 137919572480000000;   // 2038-01-19 03:14:08
constexpr uint64_t kLast = 2650467743990000000;      // 9999-12-31 23:59:59

TEST(TimeText, ShownAndTypedTextsAreFileTimesMovedByTodaysOffset) {
    // Both ways: the shown text of a file time, and the file time of a typed text.
    for (const auto& [ticks, offset, text] :
         std::vector<std::tuple<uint64_t, int64_t, const char*>>{
             {k2015, 8 * kHour, "2015-01-02 11:04:05"},
             {k2015, -5 * kHour, "2015-01-01 22:04:05"},
             {k2015 + 45 * 60 * kSecond, 5 * kHour + 45 * 60, "2015-01-02 09:34:05"},
             {k2000Feb29, 0, "2000-02-29 00:00:00"},
             {kPast2038, 0, "2038-01-19 03:14:08"},  // no 2038 limit
             {kLast, 0, "9999-12-31 23:59:59"},
             {kSecond, 0, "1601-01-01 00:00:01"},
             {kSecond, -1, "1601-01-01 00:00:00"}}) {
        EXPECT_EQ(FileTimeToTimeText(ticks, offset), text);
        EXPECT_EQ(TimeTextToFileTime(text, offset).value_or(0), ticks) << text;
    }
    EXPECT_EQ(FileTimeToTimeText(k2015 + kSecond - 1, 0), "2015-01-02 03:04:05");  // no fraction
    EXPECT_EQ(FileTimeToTimeText(kLast, 1), "");     // past what the text can show
    EXPECT_EQ(FileTimeToTimeText(0, 0), "");         // the platform's "no time"
    EXPECT_EQ(FileTimeToTimeText(kSecond, -2), "");  // local time before 1601
    // The separators are not looked at; the digits' bytes are, so a full-width 2 is none.
    EXPECT_EQ(TimeTextToFileTime("2015/01/02T03.04.05", 0), k2015);
    EXPECT_TRUE(IsValidTimeText("9999-99-99 99:99:99"));
    // Refused: shapes not the text's (a full-width 2 among them), and ranges that no date has.
    for (const char* text :
         {"", "2015-01-02 03:04:0", "2015-01-02 03:04:05 ", "2015-01-02  3:04:05",
          "2015-01-02 03:04:/5", "2015-01-02 03:04::5", "\xa3\xb2\x31\x35-01-02 03:04:05"}) {
        EXPECT_FALSE(IsValidTimeText(text)) << text;
    }
    for (const char* text : {"2015-13-01 00:00:00", "2015-00-01 00:00:00", "2015-02-29 00:00:00",
                             "1900-02-29 00:00:00", "2015-01-32 00:00:00", "2015-04-31 00:00:00",
                             "2015-01-00 00:00:00", "2015-01-01 24:00:00", "2015-01-01 00:60:00",
                             "2015-01-01 00:00:60", "1600-12-31 23:59:59"}) {
        EXPECT_TRUE(IsValidTimeText(text) && !TimeTextToFileTime(text, 0)) << text;
    }
    EXPECT_FALSE(TimeTextToFileTime("1601-01-01 07:59:59", 8 * kHour));  // before 1601 in UTC
    EXPECT_EQ(TimeTextToFileTime("1601-01-01 08:00:00", 8 * kHour), 0u);
}

TEST(TimeText, TheThreeNewTimesShapesFirstThenRangesUneditedOnesExactly) {
    using Kind = NewTime::Kind;
    const NewTime asShown{Kind::Typed, "2015-01-02 03:04:05", "2015-01-02 03:04:05", 0};
    const NewTime typed{Kind::Typed, "2000-02-29 00:00:00", "2015-01-02 03:04:05", 0};
    const NewTime outOfRange{Kind::Typed, "2015-02-30 00:00:00", "", 0};
    const NewTime misshapen{Kind::Typed, "2015-01-02", "", 0};
    const NewTime first{Kind::Typed, "1601-01-01 00:00:00", "", 0};  // file time 0: "unchanged"
    const NewTime kept{}, exact{Kind::Exact, "", "", 12345}, zero{Kind::Exact, "", "", 0};
    // The target's own times, and shifts to the 100 ns, within 1 .. 0x7FFFFFFFFFFFFFFF.
    const NewTime modified{Kind::Copied, "", "", 0, 1}, later{Kind::Kept, "", "", 0, 0, 3};
    const NewTime toFirst{Kind::Exact, "", "", 8, 0, -7}, toNone{Kind::Exact, "", "", 8, 0, -8};
    const NewTime toLast{Kind::Exact, "", "", INT64_MAX - 5, 0, 5};
    const NewTime past{Kind::Exact, "", "", INT64_MAX - 5, 0, 6};
    EXPECT_EQ(DecideFileTimes({modified, later, modified}, {1, 7, 9}, 0).times,
              (std::array<uint64_t, 3>{7, 10, 7}));
    EXPECT_EQ(DecideFileTimes({toFirst, toLast, kept}, {1, 7, 9}, 0).times,
              (std::array<uint64_t, 3>{1, INT64_MAX, 9}));
    for (const auto& [times, refused] : std::vector<std::pair<std::array<NewTime, 3>, int>>{
             {{toNone, kept, kept}, 0}, {{kept, past, kept}, 1}, {{kept, kept, later}, 2}}) {
        EXPECT_EQ(DecideFileTimes(times, {1, 7, 0}, 0).refused, refused);
    }
    const std::array<uint64_t, 3> loaded{k2015 + 1234567, 7, 0};
    EXPECT_EQ(DecideFileTimes({asShown, typed, kept}, loaded, 0).times,
              (std::array<uint64_t, 3>{k2015 + 1234567, k2000Feb29, 0}));
    EXPECT_EQ(DecideFileTimes({exact, kept, kept}, loaded, 0).times,
              (std::array<uint64_t, 3>{12345, 7, 0}));
    // The one refused: shapes first, then ranges.
    for (const auto& [times, refused] :
         std::vector<std::pair<std::array<NewTime, 3>, int>>{{{asShown, typed, kept}, -1},
                                                             {{outOfRange, misshapen, kept}, 1},
                                                             {{asShown, outOfRange, misshapen}, 2},
                                                             {{asShown, first, kept}, 1},
                                                             {{kept, kept, zero}, 2}}) {
        EXPECT_EQ(DecideFileTimes(times, loaded, 0).refused, refused);
    }
}

TEST(TimeText, LocalTimesByTheRulesInForceOnTheirDate) {
    // 2024's rules: `inside` hours from UTC `from` until `to`, `outside` otherwise.
    struct Zone {
        int outside, inside;
        LocalDateTime from, to;
    };
    const Zone newYork{-5, -4, {2024, 3, 10, 7, 0, 0}, {2024, 11, 3, 6, 0, 0}};
    const Zone sydney{11, 10, {2024, 4, 6, 16, 0, 0}, {2024, 10, 5, 16, 0, 0}};
    const Zone berlin{1, 2, {2024, 3, 31, 1, 0, 0}, {2024, 10, 27, 1, 0, 0}};
    const Zone shanghai{8, 8, {2024, 1, 1, 0, 0, 0}, {2024, 1, 1, 0, 0, 0}};
    // The local time, the UTC time it is, or none: skipped in spring; repeated, the first.
    for (const auto& [zone, local, utc] : std::vector<std::tuple<Zone, const char*, const char*>>{
             {newYork, "2024-01-15 12:00:00", "2024-01-15 17:00:00"},
             {newYork, "2024-07-01 12:00:00", "2024-07-01 16:00:00"},
             {newYork, "2024-03-10 01:59:59", "2024-03-10 06:59:59"},
             {newYork, "2024-03-10 02:00:00", ""},
             {newYork, "2024-03-10 02:59:59", ""},
             {newYork, "2024-03-10 03:00:00", "2024-03-10 07:00:00"},
             {newYork, "2024-11-03 00:59:59", "2024-11-03 04:59:59"},
             {newYork, "2024-11-03 01:00:00", "2024-11-03 05:00:00"},
             {newYork, "2024-11-03 01:59:59", "2024-11-03 05:59:59"},
             {newYork, "2024-11-03 02:00:00", "2024-11-03 07:00:00"},
             {sydney, "2024-01-15 12:00:00", "2024-01-15 01:00:00"},
             {sydney, "2024-07-01 12:00:00", "2024-07-01 02:00:00"},
             {sydney, "2024-10-06 02:30:00", ""},
             {sydney, "2024-04-07 02:30:00", "2024-04-06 15:30:00"},
             {berlin, "2024-01-15 12:00:00", "2024-01-15 11:00:00"},
             {berlin, "2024-07-01 12:00:00", "2024-07-01 10:00:00"},
             {berlin, "2024-03-31 02:30:00", ""},
             {berlin, "2024-10-27 02:30:00", "2024-10-27 00:30:00"},
             {shanghai, "2024-07-01 12:00:00", "2024-07-01 04:00:00"},
             {shanghai, "1601-01-01 07:59:59", "-"}}) {
        const int64_t from = SecondsSince1601(zone.from), to = SecondsSince1601(zone.to);
        const UtcOffsetAt at = [&](int64_t t) {
            return 3600 * (t >= from && t < to ? zone.inside : zone.outside);
        };
        const std::optional<int64_t> found =
            LocalToUtcSeconds(SecondsSince1601(ParseTimeText(local)), at);
        EXPECT_EQ(!found       ? ""
                  : *found < 0 ? "-"
                               : DateTimeText(DateTimeAfter1601(*found), ' '),
                  std::string(utc))
            << local;
        if (found && *found >= 0) {
            EXPECT_EQ(LocalTimeText(*found * kSecond, at), local);  // and back, as shown
        }
    }
}
