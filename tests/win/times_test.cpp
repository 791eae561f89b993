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
        Check(IDC_CHK_OPT_BACKUP, false);
        dialog.OnOK();
        EXPECT_EQ(FileTimes(target), before);

        SetText(IDC_EDIT_NEW_MODIFIED, L"2015-01-02 03:04:05");
        dialog.OnOK();
        EXPECT_EQ(FileTimes(target)[2], Ticks(FromLocal(2015, 3)));
        // Shapes before ranges: the malformed last-write text is named, not the creation one.
        SetText(IDC_EDIT_NEW_CREATED, L"2015-13-02 03:04:05");
        SetText(IDC_EDIT_NEW_MODIFIED, L"2015-01-02");
        dialog.OnOK();
        EXPECT_EQ(FileTimes(target)[2], Ticks(FromLocal(2015, 3)));
        // The refusal bears the application's name: the executable's, without its extension.
        EXPECT_EQ(messages, (Texts{L"提示|文件修改完成!", L"提示|文件修改完成!",
                                   L"Quorvane|新的修改时间不符合要求!", L"提示|文件修改完成!"}));
        messages.clear();
    }
}
