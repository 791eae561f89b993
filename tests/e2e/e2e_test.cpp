// The whole road of one modification, driven from outside as a user would: the program run from
// a folder where DLLs named like system ones were planted, a target whose name code page 936
// cannot spell (Korean, an emoji, and a character whose second byte there is a backslash) chosen
// through the file dialog, edits, "修改", the about box, "退出".
#include <gtest/gtest.h>

#include "res/resource.h"
#include "tests/e2e/Driver.h"
#include "tests/support/FileProbes.h"

TEST(Program, ModifiesAFileChosenThroughTheFileDialogAndLoadsNoPlantedDll) {
    const std::wstring folder = BuildPath(L"tests/e2e/road"), target = folder + L"\\버전😀嘰.exe";
    ::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW((target + L"_bak").c_str());
    ::CreateDirectoryW(folder.c_str(), nullptr);
    for (const auto& [from, to] :
         {std::pair{BuildPath(L"Quorvane.exe"), L"Quorvane.exe"},
          {BuildPath(L"tests/fixtures/ver_english.exe"), L"버전😀嘰.exe"}}) {
        ASSERT_TRUE(::CopyFileW(from.c_str(), (folder + L"\\" + to).c_str(), FALSE));
    }
    // DLLs named as the system ones that the program loads on demand, which the test's environment
    // has Wine look for beside the program first. (A planted version.dll cannot be judged here:
    // Wine's own user32.dll imports it, so Wine loads it into every windowed program before the
    // program's first line; that the program's import table names none is the release check's.)
    for (const wchar_t* dll : {L"\\comdlg32.dll", L"\\shell32.dll"}) {
        ::DeleteFileW((folder + dll + L".loaded").c_str());
        ASSERT_TRUE(::CopyFileW(BuildPath(L"tests/e2e/planted.dll").c_str(), (folder + dll).c_str(),
                                FALSE));
    }
    const std::string original = ReadAll(target);
    const Program program(folder + L"\\Quorvane.exe");
    ASSERT_TRUE(program.Started());

    ASSERT_TRUE(program.ChooseFile(target));
    EXPECT_EQ(ItemText(program.main, IDC_EDIT_NAME), L"버전😀嘰.exe");
    EXPECT_EQ(ItemText(program.main, IDC_EDIT_PRODUCTNAME), L"示例产品");
    SetItemText(program.main, IDC_EDIT_PRODUCTNAME, L"E2E");
    SetItemText(program.main, IDC_EDIT_NEW_MODIFIED, L"2005-06-07 08:09:10");
    for (int box : {IDC_CHK_HIDDEN, IDC_CHK_OPT_TIME, IDC_CHK_OPT_VERSION}) {
        SetItemChecked(program.main, box, true);
    }
    Click(program.main, IDOK);
    EXPECT_EQ(program.AnswerMessage(), L"提示|文件修改完成!");
    EXPECT_EQ(program.WaitForDialog(300), nullptr) << "one message only";

    EXPECT_EQ(PlatformVersionString(target, L"ProductName"), L"E2E");
    EXPECT_EQ(ReadAll(target + L"_bak"), original);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ::GetFileAttributesExW(target.c_str(), GetFileExInfoStandard, &data);
    EXPECT_TRUE(data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN);
    const SYSTEMTIME typed{2005, 6, 0, 7, 8, 9, 10, 0};
    FILETIME local, utc;
    ::SystemTimeToFileTime(&typed, &local);
    ::LocalFileTimeToFileTime(&local, &utc);
    EXPECT_EQ(::CompareFileTime(&data.ftLastWriteTime, &utc), 0) << "written again after the store";

    Click(program.main, IDC_BTN_ABOUT);
    const HWND about = program.WaitForDialog(10000);
    ASSERT_NE(about, nullptr);
    EXPECT_FALSE(::IsWindowEnabled(program.main));
    ::PostMessageW(about, WM_LBUTTONUP, 0, MAKELPARAM(20, 60));
    EXPECT_TRUE(WaitUntilGone(about, 5000));
    Click(program.main, IDCANCEL);
    EXPECT_EQ(program.WaitForExit(10000), 0u);
    for (const wchar_t* marker : {L"\\comdlg32.dll.loaded", L"\\shell32.dll.loaded"}) {
        EXPECT_EQ(::GetFileAttributesW((folder + marker).c_str()), INVALID_FILE_ATTRIBUTES);
    }
}
