// The whole road of one modification, driven from outside as a user would: "文件" and the
// open-file dialog, edits, "修改" and its message boxes, then the about box and "退出".
#include <gtest/gtest.h>

#include "res/resource.h"
#include "tests/e2e/Driver.h"

namespace {

TEST(Program, ModifiesAChosenFileAndShowsTheAboutBox) {
    // A copy of a fixture with a version resource, beside the build's other outputs.
    const std::wstring folder = BuildPath("tests/e2e/work");
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring target = folder + L"\\target.exe";
    const std::wstring backup = target + L"_bak";
    ::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW(backup.c_str());
    ASSERT_TRUE(
        ::CopyFileW(BuildPath("tests/fixtures/ver_chinese.exe").c_str(), target.c_str(), FALSE));
    const std::string original = ReadWholeFile(target);

    RunningProgram program;
    ASSERT_TRUE(program.Started());
    HWND main = WaitForWindow(program.ProcessId(), L"#32770", L"Telvaro V1.0", 20000);
    ASSERT_NE(main, nullptr);

    ASSERT_TRUE(ChooseFileThroughDialog(program.ProcessId(), main, target));
    EXPECT_EQ(ItemText(main, IDC_EDIT_NAME), L"target.exe");
    EXPECT_EQ(ItemText(main, IDC_EDIT_PRODUCTNAME), L"\u793A\u4F8B\u4EA7\u54C1");  // 示例产品
    EXPECT_TRUE(ItemChecked(main, IDC_CHK_OPT_BASIC));
    EXPECT_TRUE(ItemChecked(main, IDC_CHK_OPT_BACKUP));

    SetItemText(main, IDC_EDIT_PRODUCTNAME, L"E2E");
    SetItemText(main, IDC_EDIT_NEW_MODIFIED, L"2005-06-07 08:09:10");
    SetItemChecked(main, IDC_CHK_HIDDEN, true);
    SetItemChecked(main, IDC_CHK_OPT_TIME, true);
    SetItemChecked(main, IDC_CHK_OPT_VERSION, true);
    EXPECT_TRUE(SaveScreenshot(main, BuildPath("screenshot-e2e-loaded.bmp")));

    Click(main, IDOK);  // 修改
    MessageBoxSeen seen;
    ASSERT_TRUE(AnswerMessageBox(program.ProcessId(), main, seen));
    EXPECT_EQ(seen.caption, L"\u63D0\u793A");                        // 提示
    EXPECT_EQ(seen.text, L"\u6587\u4EF6\u4FEE\u6539\u5B8C\u6210!");  // 文件修改完成!
    EXPECT_EQ(WaitForDialog(program.ProcessId(), main, 300), nullptr) << "one message only";

    EXPECT_EQ(VersionString(target, L"ProductName"), L"E2E");
    EXPECT_TRUE(::GetFileAttributesW(target.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(::GetFileAttributesExW(target.c_str(), GetFileExInfoStandard, &data));
    FILETIME local;
    SYSTEMTIME written;
    ::FileTimeToLocalFileTime(&data.ftLastWriteTime, &local);
    ::FileTimeToSystemTime(&local, &written);
    EXPECT_EQ(written.wYear, 2005);
    EXPECT_EQ(written.wMonth, 6);
    EXPECT_EQ(written.wDay, 7);
    EXPECT_EQ(written.wHour, 8);
    EXPECT_EQ(written.wMinute, 9);
    EXPECT_EQ(written.wSecond, 10);
    EXPECT_EQ(ReadWholeFile(backup), original);
    // The dialog goes on showing the target as loaded.
    EXPECT_EQ(ItemText(main, IDC_EDIT_PRODUCTNAME), L"E2E");
    EXPECT_EQ(ItemText(main, IDC_EDIT_NAME), L"target.exe");

    Click(main, IDC_BTN_ABOUT);
    HWND about = WaitForDialog(program.ProcessId(), main, 10000);
    ASSERT_NE(about, nullptr);
    EXPECT_FALSE(::IsWindowEnabled(main));
    EXPECT_TRUE(SaveScreenshot(about, BuildPath("screenshot-e2e-about.bmp")));
    ::PostMessageW(about, WM_LBUTTONUP, 0, MAKELPARAM(20, 60));
    EXPECT_TRUE(WaitUntilGone(about, 5000));

    Click(main, IDCANCEL);  // 退出
    EXPECT_EQ(program.WaitForExit(10000), 0u);
    ::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
}

}  // namespace
