// Quorvane.exe as a user starts it: the dialog appears, and "退出" ends the program.
#include <gtest/gtest.h>

#include "tests/e2e/Driver.h"

namespace {

TEST(Program, ShowsTheDialogAndEndsThroughExit) {
    RunningProgram program;
    ASSERT_TRUE(program.Started());
    HWND main = WaitForWindow(program.ProcessId(), L"#32770", L"Telvaro V1.0", 20000);
    ASSERT_NE(main, nullptr) << "the dialog titled Telvaro V1.0";
    EXPECT_EQ(ItemText(main, IDOK), L"\u4FEE\u6539");  // 修改
    EXPECT_TRUE(SaveScreenshot(main, BuildPath("screenshot-e2e-main.bmp")));

    Click(main, IDCANCEL);  // 退出
    EXPECT_EQ(program.WaitForExit(10000), 0u);
}

}  // namespace
