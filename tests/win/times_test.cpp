// The three times written to real files and folders.
#include "tests/win/InProcess.h"

using Times = InProcess;

static uint64_t Ticks(const FILETIME& t) {
    return uint64_t{t.dwHighDateTime} << 32 | t.dwLowDateTime;
}

static std::array<uint64_t, 3> TimesOf(const CString& path) {  // creation, last access, last write
    FILETIME t[3]{};
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ::GetFileTime(file, &t[0], &t[1], &t[2]);
    ::CloseHandle(file);
    // Wine keeps no creation time on Linux file systems: it reads back as the last write.
    return {Ticks(t[0]) == Ticks(t[2]) ? 0 : Ticks(t[0]), Ticks(t[1]), Ticks(t[2])};
}

// The UTC file time of a local 2 January, hh:04:05, through the platform's own conversions.
static FILETIME FromLocal(WORD year, WORD hour, uint64_t fraction = 0) {
    const SYSTEMTIME local{year, 1, 0, 2, hour, 4, 5, 0};
    FILETIME localTime, utc;
    ::SystemTimeToFileTime(&local, &localTime);
    ::LocalFileTimeToFileTime(&localTime, &utc);
    const uint64_t ticks = Ticks(utc) + fraction;
    return {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

TEST_F(Times, UneditedOnesComeBackExactlyTypedOnesToTheSecondOnFilesAndFolders) {
    const FILETIME loaded[] = {FromLocal(2001, 3, 1234567), FromLocal(2002, 3, 7),
                               FromLocal(2003, 3, 9999999)};
    ::CreateDirectoryW(Path(L"folder").c_str(), nullptr);
    for (const CString& target : {Write(L"a.txt", "x"), Path(L"folder")}) {
        const HANDLE file = ::CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                          FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        ASSERT_TRUE(::SetFileTime(file, &loaded[0], &loaded[1], &loaded[2]));
        ::CloseHandle(file);
        const std::array<uint64_t, 3> before = TimesOf(target);
        ASSERT_EQ(before[2], Ticks(loaded[2])) << "kept to the 100 ns";
        Load(target);
        EXPECT_EQ(Text(IDC_EDIT_MODIFIED) + Text(IDC_EDIT_NEW_MODIFIED),
                  L"2003-01-02 03:04:052003-01-02 03:04:05");  // shown in local time
        Check(IDC_CHK_OPT_TIME);
        Check(IDC_CHK_OPT_BACKUP, false);
        dialog.OnOK();
        EXPECT_EQ(TimesOf(target), before);

        SetText(IDC_EDIT_NEW_MODIFIED, L"2015-01-02 03:04:05");
        dialog.OnOK();
        EXPECT_EQ(TimesOf(target)[2], Ticks(FromLocal(2015, 3)));
        // Shapes before ranges: the malformed last-write text is named, not the creation one.
        SetText(IDC_EDIT_NEW_CREATED, L"2015-13-02 03:04:05");
        SetText(IDC_EDIT_NEW_MODIFIED, L"2015-01-02");
        dialog.OnOK();
        EXPECT_EQ(TimesOf(target)[2], Ticks(FromLocal(2015, 3)));
        // The refusal bears the application's name: the executable's, without its extension.
        EXPECT_EQ(messages, (Texts{L"提示|文件修改完成!", L"提示|文件修改完成!",
                                   L"Quorvane|新的修改时间不符合要求!", L"提示|文件修改完成!"}));
        messages.clear();
    }
}
