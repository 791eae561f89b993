// The main dialog's small rules: the minimised icon's place and the about box's system command.
#include <gtest/gtest.h>

#include "ui/DialogRules.h"

namespace {

TEST(DialogRules, CentresTheMinimisedIconTruncatingTowardZero) {
    const struct {
        int32_t width, height, icon;
        IconPosition expected;
    } cases[] = {
        {32, 32, 32, {0, 0}},    {37, 32, 32, {3, 0}},
        {0, 0, 32, {-15, -15}},  // (-31) / 2, not -16
        {1, 160, 32, {-15, 64}}, {36, 36, 48, {-5, -5}},
    };
    for (const auto& c : cases) {
        const IconPosition at = CentredIconPosition(c.width, c.height, c.icon, c.icon);
        EXPECT_EQ(at.x, c.expected.x) << c.width;
        EXPECT_EQ(at.y, c.expected.y) << c.height;
    }
}

TEST(DialogRules, OnlyTheAboutCommandOpensTheAboutBox) {
    const struct {
        unsigned command;
        bool opens;
    } cases[] = {{0x0010, true},  {0x001F, true},  {0x0020, false},    {0x0000, false},
                 {0xF060, false}, {0x10010, true}, {0xFFFF0010, true}, {0x0011, true},
                 {0xF010, false}, {0x0030, false}};
    for (const auto& c : cases) EXPECT_EQ(IsAboutBoxCommand(c.command), c.opens) << c.command;
}

}  // namespace
