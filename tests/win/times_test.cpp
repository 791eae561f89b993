// The three times written to real files and folders.
#include "tests/win/InProcess.h"

using Times = InProcess;

TEST_F(Times, UneditedOnesComeBackExactlyTypedOnesToTheSecondOnFilesAndFolders) {
    const FILETIME loaded[] = {FromLocal(2001, 3, 1234567), FromLocal(2002, 3, 7),
                               FromLocal(2003, 3, 9999999)};
    ::CreateDirectoryW(Path(L"folder").c_str(), nullptr);
    for (const CString& target : {Write(L"a.txt", "x"), Path(L"folder")}) {
        const HANDLE file = ::CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                          FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        ASSERT_TRUE(::SetFileTime(file, &loaded[0], &loaded[1], &loaded[2]));
        ::CloseHandle(file);
        const std::array<uint64_t, 3> before = FileTimes(target);
        ASSERT_EQ(before[2], Ticks(loaded[2])) << "kept to the 100 ns";
        Load(target);
        EXPECT_EQ(Text(IDC_EDIT_MODIFIED) + Text(IDC_EDIT_NEW_MODIFIED),
                  L"2003-01-02 03:04:052003-01-02 03:04:05");  // shown in local time
        Check(IDC_CHK_OPT_TIME);
        Check(IDC_CHK_OPT_BACKUP, target == Path(L"folder"));  // a folder is never copied
        dialog.OnOK();
        EXPECT_EQ(FileTimes(target), before);

        SetText(IDC_EDIT_NEW_MODIFIED, L"2015-01-02 03:04:05");
        dialog.OnOK();
        EXPECT_EQ(FileTimes(target)[2], Ticks(FromLocal(2015, 3)));
        // Shapes before ranges: the malformed last-write text is named, not the creation one.
        SetText(IDC_EDIT_NEW_CREATED, L"2015-13-02 03:04:05");
        SetText(IDC_EDIT_NEW_MODIFIED, L"2015-01-02");
        dialog.OnOK();
        SetText(IDC_EDIT_NEW_MODIFIED, L"2015-01-02 03:04:05");
        dialog.OnOK();
        EXPECT_EQ(FileTimes(target)[2], Ticks(FromLocal(2015, 3)));
        // A superscript that code page 936 would only best-fit to a digit is none.
        SetText(IDC_EDIT_NEW_CREATED, L"2015-01-02 03:04:0\u00b9");
        dialog.OnOK();
        // The refusals bear the application's name: the executable's, without its extension.
        EXPECT_EQ(messages, (Texts{L"提示|文件修改完成!", L"提示|文件修改完成!",
                                   L"Quorvane|新的修改时间不符合要求!", L"提示|文件修改完成!",
                                   L"Quorvane|新的创建时间不符合要求!", L"提示|文件修改完成!",
                                   L"Quorvane|新的创建时间不符合要求!", L"提示|文件修改完成!"}));
        messages.clear();
    }
    EXPECT_EQ(::GetFileAttributesW(Path(L"a.txt_bak").c_str()), INVALID_FILE_ATTRIBUTES);
    // Each "当前" fills its own field alone, with today's date.
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    wchar_t today[16];
    swprintf(today, 16, L"%04u-%02u-%02u", now.wYear, now.wMonth, now.wDay);
    const int buttons[] = {IDC_BTN_NOW_CREATED, IDC_BTN_NOW_MODIFIED, IDC_BTN_NOW_ACCESSED};
    const int fields[] = {IDC_EDIT_NEW_CREATED, IDC_EDIT_NEW_MODIFIED, IDC_EDIT_NEW_ACCESSED};
    for (int i = 0; i < 3; ++i) {
        ::SendMessageW(dialog.m_hWnd, WM_COMMAND, MAKEWPARAM(buttons[i], BN_CLICKED), 0);
        for (int j = 0; j < 3; ++j) EXPECT_EQ(Text(fields[j]).substr(0, 10) == today, j <= i);
    }
}
