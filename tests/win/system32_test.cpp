// A path in System32 names the file there. A 32-bit process on 64-bit Windows has System32 turned
// aside to SysWOW64 and reaches the real folder through Sysnative; a 64-bit one sees both as they
// are. Both programs run this: the 64-bit one finds nothing to turn aside.
#include "tests/win/InProcess.h"

using System32 = InProcess;

TEST_F(System32, TheFileChosenThereIsTheOneReadAndWrittenNotItsSysWow64Twin) {
    BOOL wow64 = FALSE;
    ASSERT_TRUE(::IsWow64Process(::GetCurrentProcess(), &wow64));
    wchar_t windows[MAX_PATH];
    const CString root(windows, ::GetSystemWindowsDirectoryW(windows, MAX_PATH));
    const CString name = L"\\quorvane-twin.exe", chosen = root + L"\\system32" + name;
    const CString real = wow64 ? root + L"\\sysnative" + name : chosen;
    const CString twin = root + L"\\syswow64" + name;
    const auto remove = [&] {
        for (const CString& file : {real, real + L"_bak", twin, twin + L"_bak"}) {
            ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
            ::DeleteFileW(file.c_str());
        }
    };
    remove();  // what a failed run left behind
    ASSERT_TRUE(
        ::CopyFileW(BuildPath(L"tests/fixtures/ver_chinese.exe").c_str(), real.c_str(), FALSE));
    WriteAll(twin, "twin");
    const std::string original = ReadAll(real);
    const std::array<uint64_t, 3> twinTimes = FileTimes(twin);
    Load(chosen);
    EXPECT_EQ(Text(IDC_EDIT_FILESIZE), std::to_wstring(original.size()) + L" 字节");
    Check(IDC_CHK_HIDDEN);
    Check(IDC_CHK_OPT_TIME);
    SetText(IDC_EDIT_NEW_MODIFIED, L"2015-01-02 03:04:05");
    Check(IDC_CHK_OPT_VERSION);
    SetText(IDC_EDIT_PRODUCTNAME, L"新产品");
    dialog.OnOK();
    EXPECT_EQ(messages, Texts{L"提示|文件修改完成!"});
    EXPECT_TRUE(ReadAll(real + L"_bak") == original);
    EXPECT_TRUE(::GetFileAttributesW(real.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(FileTimes(real)[2], Ticks(FromLocal(2015, 3)));
    EXPECT_EQ(PlatformVersionString(real, L"ProductName"), L"新产品");
    EXPECT_EQ(FileTimes(twin), twinTimes);
    EXPECT_EQ(ReadAll(twin), "twin");
    EXPECT_EQ(::GetFileAttributesW(twin.c_str()), DWORD{FILE_ATTRIBUTE_ARCHIVE});
    EXPECT_EQ(::GetFileAttributesW((twin + L"_bak").c_str()), INVALID_FILE_ATTRIBUTES);
    remove();
}
