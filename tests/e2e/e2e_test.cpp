// One modification driven from outside as a user would make it: the program run beside planted
// DLLs, a target that code page 936 cannot name (Korean, an emoji, and a character whose second
// byte there is a backslash) chosen through the file dialog, edits, "修改", "退出".
#include <gtest/gtest.h>

#include <filesystem>

#include "res/resource.h"
#include "tests/e2e/Driver.h"
#include "tests/support/Probes.h"

TEST(Program, ModifiesAFileChosenThroughTheFileDialogAndLoadsNoPlantedDll) {
    const std::wstring folder = BuildPath(L"tests/e2e/road"), target = folder + L"\\버전😀嘰.exe";
    RemoveTree(folder);  // what a failed run left behind
    std::filesystem::create_directory(folder);
    // Planted DLLs: the test's environment has Wine look beside the program first for these, and
    // the road fails if the program loads one. (Wine's own user32.dll loads any planted version.dll
    // before the program's first line; that the program imports none is the release check's.)
    for (const auto& [from, to] : {std::pair{L"Quorvane.exe", L"Quorvane.exe"},
                                   {L"tests/fixtures/ver_english.exe", L"버전😀嘰.exe"},
                                   {L"tests/e2e/planted.dll", L"comdlg32.dll"},
                                   {L"tests/e2e/planted.dll", L"shell32.dll"}}) {
        ASSERT_TRUE(::CopyFileW(BuildPath(from).c_str(), (folder + L"\\" + to).c_str(), TRUE));
    }
    const std::string original = ReadAll(target);
    const Program program(L"\"" + folder + L"\\Quorvane.exe\"");
    ASSERT_NE(program.main, nullptr);

    ASSERT_TRUE(program.ChooseFile(target));
    EXPECT_EQ(ItemText(program.main, IDC_EDIT_NAME), L"버전😀嘰.exe");
    EXPECT_EQ(ItemText(program.main, IDC_EDIT_PRODUCTNAME), L"示例产品");
    SetItemText(program.main, IDC_EDIT_PRODUCTNAME, L"E2E");
    SetItemText(program.main, IDC_EDIT_NEW_MODIFIED, L"2005-01-02 08:04:05");
    for (int box : {IDC_CHK_HIDDEN, IDC_CHK_OPT_TIME, IDC_CHK_OPT_VERSION})
        SetItemChecked(program.main, box, true);
    Click(program.main, IDOK);
    EXPECT_EQ(program.AnswerMessage(), L"提示|文件修改完成!");
    EXPECT_EQ(program.WaitForDialog(300), nullptr) << "one message only";

    EXPECT_EQ(PlatformVersionString(target, L"ProductName"), L"E2E");
    EXPECT_EQ(ReadAll(target + L"_bak"), original);
    EXPECT_TRUE(::GetFileAttributesW(target.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(FileTimes(target)[2], Ticks(FromLocal(2005, 8))) << "written again after the store";

    // A signed program: asked before a version edit breaks its signature, "否" writing nothing.
    const std::wstring signedFile = folder + L"\\signed.exe";
    ASSERT_TRUE(
        ::CopyFileW(BuildPath(L"tests/fixtures/ver_signed.exe").c_str(), signedFile.c_str(), TRUE));
    const std::string signedBytes = ReadAll(signedFile);
    ASSERT_TRUE(program.ChooseFile(signedFile));
    SetItemChecked(program.main, IDC_CHK_OPT_VERSION, true);
    SetItemText(program.main, IDC_EDIT_PRODUCTNAME, L"E2E");
    const std::wstring question =
        L"提示|该文件带有数字签名，修改版本信息会使签名失效。\n是否继续？";
    Click(program.main, IDOK);
    EXPECT_EQ(program.AnswerMessage(10000, IDNO), question);
    EXPECT_EQ(program.WaitForDialog(300), nullptr) << "nothing done, nothing more said";
    EXPECT_EQ(ReadAll(signedFile), signedBytes);
    Click(program.main, IDOK);
    EXPECT_EQ(program.AnswerMessage(10000, IDYES), question);
    EXPECT_EQ(program.AnswerMessage(), L"提示|文件修改完成!");
    EXPECT_EQ(PlatformVersionString(signedFile, L"ProductName"), L"E2E");

    ::PostMessageW(program.main, WM_SYSCOMMAND, SC_CLOSE, 0);  // the caption's close box
    EXPECT_EQ(program.WaitForExit(10000), 0u);
    RemoveTree(folder);
}

// Started as Explorer starts it for files dropped on its icon: the first path is loaded, and one
// that cannot be shows the load's message, once, over the visible dialog, which stays open.
TEST(Program, LoadsTheFirstPathThatItIsStartedWith) {
    const std::wstring exe = BuildPath(L"Quorvane.exe");  // a path without spaces
    const Program program(exe + L" " + BuildPath(L"gone.txt") + L" \"" + exe + L"\"");
    const HWND box = program.WaitForDialog(10000);
    EXPECT_TRUE(box && ::GetWindow(box, GW_OWNER) == program.main &&
                ::IsWindowVisible(program.main));
    EXPECT_EQ(program.AnswerMessage(), L"提示|文件句柄无效!");
    EXPECT_EQ(program.WaitForDialog(300), nullptr) << "once, and nothing of the second path";
    EXPECT_EQ(ItemText(program.main, IDC_EDIT_NAME), L"");
    ::PostMessageW(program.main, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(program.WaitForExit(10000), 0u);
}
