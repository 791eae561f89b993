// "修改" on real files: the order of its steps, the backup, and what each choice leaves behind.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/Text.h"
#include "res/resource.h"
#include "tests/win/TestSupport.h"

namespace {

const std::wstring kDone = Utf8ToWide("文件修改完成!");
const std::wstring kNoPath = Utf8ToWide("路径不能为空!");

bool Exists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

FILETIME LastWrite(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

uint64_t Ticks(const FILETIME& time) {
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// The product name as the platform's own version calls read it (first translation).
std::wstring ProductName(const std::string& path) {
    const std::wstring wide = Wide(path);
    const DWORD size = ::GetFileVersionInfoSizeW(wide.c_str(), nullptr);
    std::vector<BYTE> block(size);
    if (!size || !::GetFileVersionInfoW(wide.c_str(), 0, size, block.data())) return L"";
    WORD* pair = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                          reinterpret_cast<void**>(&pair), &length) ||
        length < 4) {
        return L"";
    }
    wchar_t name[64];
    swprintf(name, 64, L"\\StringFileInfo\\%04x%04x\\ProductName", pair[0], pair[1]);
    wchar_t* value = nullptr;
    if (!::VerQueryValueW(block.data(), name, reinterpret_cast<void**>(&value), &length)) {
        return L"";
    }
    return value;
}

// Ticks exactly the given option boxes among "基本", "时间", "版本" and "备份".
void Options(const MainDialog& dialog, std::initializer_list<int> ticked) {
    for (int id : {IDC_CHK_OPT_BASIC, IDC_CHK_OPT_TIME, IDC_CHK_OPT_VERSION, IDC_CHK_OPT_BACKUP}) {
        dialog.Check(id, std::find(ticked.begin(), ticked.end(), id) != ticked.end());
    }
}

// The file's last-write time as a local time text.
std::wstring LocalLastWrite(const std::string& path) {
    const FILETIME written = LastWrite(path);
    FILETIME local;
    SYSTEMTIME time{};
    ::FileTimeToLocalFileTime(&written, &local);
    ::FileTimeToSystemTime(&local, &time);
    wchar_t text[32];
    swprintf(text, 32, L"%04u-%02u-%02u %02u:%02u:%02u", time.wYear, time.wMonth, time.wDay,
             time.wHour, time.wMinute, time.wSecond);
    return text;
}

// Every test works on a target in a scratch folder, through the real dialog.
class ModifyCommand : public testing::Test {
  protected:
    FakeUiServices ui;
    ScratchFolder scratch;
    MainDialog dialog;
};

TEST_F(ModifyCommand, WithoutALoadedTargetOnlyAsksForAPath) {
    dialog->OnOK();
    EXPECT_EQ(ui.Texts(), std::vector<std::wstring>{kNoPath});
    EXPECT_EQ(ui.messages[0].caption, Utf8ToWide("提示"));

    // A target that was chosen but did not load is no target either: nothing is written.
    const std::string missing = scratch / "missing.txt";
    dialog.Load(missing);
    scratch.WriteFile("missing.txt", "appeared later");
    ui.messages.clear();
    dialog.Check(IDC_CHK_HIDDEN, true);
    dialog->OnOK();
    EXPECT_EQ(ui.Texts(), std::vector<std::wstring>{kNoPath});
    EXPECT_FALSE(Exists(missing + "_bak"));
    EXPECT_EQ(::GetFileAttributesA(missing.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);

    // The program's own path refused at loading.
    char own[MAX_PATH];
    ::GetModuleFileNameA(nullptr, own, MAX_PATH);
    dialog.Load(own);
    ui.messages.clear();
    dialog->OnOK();
    EXPECT_EQ(ui.Texts(), std::vector<std::wstring>{kNoPath});
    EXPECT_FALSE(Exists(std::string(own) + "_bak"));
}

TEST_F(ModifyCommand, NoOptionTickedOnlyReportsCompletion) {
    const std::string path = scratch.WriteFile("same.txt", "unchanged");
    dialog.Load(path);
    const FILETIME before = LastWrite(path);
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    Options(dialog, {});
    dialog.Check(IDC_CHK_READONLY, true);
    dialog.SetText(IDC_EDIT_NEW_MODIFIED, L"2001-01-01 00:00:00");
    dialog->OnOK();
    EXPECT_EQ(ui.Texts(), std::vector<std::wstring>{kDone});
    EXPECT_EQ(ReadWholeFile(path), "unchanged");
    EXPECT_EQ(Ticks(LastWrite(path)), Ticks(before));
    EXPECT_EQ(::GetFileAttributesA(path.c_str()), attributes);
    EXPECT_FALSE(Exists(path + "_bak"));
    EXPECT_EQ(dialog->GetEndResult(), 0) << "the dialog stays open";
}

TEST_F(ModifyCommand, BackupIsMadeOnceAndNeverOverwritten) {
    const std::string path = scratch.WriteFile("kept.txt", "first contents");
    dialog.Load(path);
    dialog->OnOK();  // "备份" and "基本" are ticked by the load
    EXPECT_EQ(ui.Texts(), std::vector<std::wstring>{kDone});
    EXPECT_EQ(ReadWholeFile(path + "_bak"), "first contents");

    scratch.WriteFile("kept.txt", "second contents");
    ui.messages.clear();
    dialog->OnOK();
    EXPECT_EQ(ui.Texts(), std::vector<std::wstring>{kDone});
    EXPECT_EQ(ReadWholeFile(path + "_bak"), "first contents");
}

TEST_F(ModifyCommand, FolderIsNeverCopied) {
    const std::string folder = scratch.MakeFolder("folder");
    dialog.Load(folder);
    dialog->OnOK();
    EXPECT_EQ(ui.Texts(), std::vector<std::wstring>{kDone});
    EXPECT_FALSE(Exists(folder + "_bak"));
}

TEST_F(ModifyCommand, FailedBackupStopsBeforeAnythingChanges) {
    const std::string path = scratch.WriteFile("busy.txt", "contents");
    dialog.Load(path);
    dialog.Check(IDC_CHK_HIDDEN, true);
    dialog.Check(IDC_CHK_OPT_TIME, true);
    dialog.SetText(IDC_EDIT_NEW_MODIFIED, L"2001-01-01 00:00:00");
    const FILETIME before = LastWrite(path);

    // Held open without read sharing, the target cannot be copied.
    HANDLE held = ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    dialog->OnOK();
    ::CloseHandle(held);

    EXPECT_EQ(ui.Texts(), std::vector<std::wstring>{Utf8ToWide("备份失败!\n文件未修改!")});
    EXPECT_EQ(ui.messages[0].caption, Utf8ToWide("提示"));
    EXPECT_EQ(::GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
    EXPECT_EQ(Ticks(LastWrite(path)), Ticks(before));
}

TEST_F(ModifyCommand, AttributesComeBeforeTimes) {
    const std::string path = scratch.WriteFile("order.txt");
    dialog.Load(path);
    Options(dialog, {IDC_CHK_OPT_BASIC, IDC_CHK_OPT_TIME});
    dialog.Check(IDC_CHK_READONLY, true);
    dialog.SetText(IDC_EDIT_NEW_MODIFIED, L"2001-02-03 04:05:06");
    dialog->OnOK();
    EXPECT_TRUE(::GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY);
    // On Windows the time step now meets a read-only target and reports "时间修改失败!...".
    // Not asserted: everything here runs as root, and Wine then opens a read-only file for
    // writing anyway.
    EXPECT_EQ(ui.Texts().back(), kDone);

    // A read-only target with "只读" cleared in the same run is writable again for its times.
    MainDialog again;
    again.Load(path);
    EXPECT_TRUE(again.Checked(IDC_CHK_READONLY));
    Options(again, {IDC_CHK_OPT_BASIC, IDC_CHK_OPT_TIME});
    again.Check(IDC_CHK_READONLY, false);
    again.SetText(IDC_EDIT_NEW_MODIFIED, L"2002-02-03 04:05:06");
    ui.messages.clear();
    again->OnOK();
    EXPECT_EQ(ui.Texts(), std::vector<std::wstring>{kDone});
    EXPECT_EQ(::GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(LocalLastWrite(path), L"2002-02-03 04:05:06");
}

TEST_F(ModifyCommand, RejectedTimeStillLetsTheVersionStepRun) {
    const std::string path = scratch.CopyFixture("ver_chinese.exe");
    dialog.Load(path);
    Options(dialog, {IDC_CHK_OPT_BASIC, IDC_CHK_OPT_TIME, IDC_CHK_OPT_VERSION});
    dialog.SetText(IDC_EDIT_NEW_CREATED, L"2001-13-01 00:00:00");
    dialog.SetText(IDC_EDIT_PRODUCTNAME, Utf8ToWide("新产品"));
    dialog->OnOK();
    EXPECT_EQ(ui.Texts(),
              (std::vector<std::wstring>{Utf8ToWide("新的创建时间不符合要求!"), kDone}));
    EXPECT_EQ(ui.messages[0].caption, L"Quorvane");
    EXPECT_EQ(ProductName(path), Utf8ToWide("新产品"));
}

TEST_F(ModifyCommand, TimesHoldAfterTheVersionStore) {
    const std::string path = scratch.CopyFixture("ver_chinese.exe");
    dialog.Load(path);
    Options(dialog, {IDC_CHK_OPT_BASIC, IDC_CHK_OPT_TIME, IDC_CHK_OPT_VERSION});
    dialog.SetText(IDC_EDIT_NEW_MODIFIED, L"2003-04-05 06:07:08");
    dialog.SetText(IDC_EDIT_PRODUCTNAME, L"Name");
    dialog->OnOK();
    EXPECT_EQ(ui.Texts(), std::vector<std::wstring>{kDone});
    EXPECT_EQ(ProductName(path), L"Name");
    EXPECT_EQ(LocalLastWrite(path), L"2003-04-05 06:07:08");
}

TEST_F(ModifyCommand, ForceBoxStopsTheVersionWrite) {
    const std::string path = scratch.CopyFixture("ver_chinese.exe");
    dialog.Load(path);
    Options(dialog, {});
    dialog.Check(IDC_CHK_OPT_VERSION, true);
    dialog.Check(IDC_CHK_OPT_FORCE, true);  // disabled for users; only a program can tick it
    dialog.SetText(IDC_EDIT_PRODUCTNAME, L"Forced");
    dialog->OnOK();
    EXPECT_EQ(ui.Texts(), (std::vector<std::wstring>{Utf8ToWide("强制修改功能尚未实现!"), kDone}));
    EXPECT_EQ(ProductName(path), Utf8ToWide("示例产品"));
}

TEST_F(ModifyCommand, VersionBoxWithoutVersionInformationIsLeftOut) {
    const std::string path = scratch.CopyFixture("ver_none.exe");
    dialog.Load(path);
    Options(dialog, {});
    dialog.Check(IDC_CHK_OPT_VERSION, true);
    dialog->OnOK();
    EXPECT_EQ(ui.Texts(), std::vector<std::wstring>{kDone});
}

TEST_F(ModifyCommand, EnterInAVersionFieldRunsTheWholeCommand) {
    const std::string path = scratch.CopyFixture("ver_chinese.exe");
    dialog.Load(path);
    dialog.Check(IDC_CHK_OPT_VERSION, true);
    dialog.SetText(IDC_EDIT_PRODUCTNAME, L"Ent");
    HWND field = dialog.Item(IDC_EDIT_PRODUCTNAME);
    ::SetFocus(field);
    MSG enter{field, WM_KEYDOWN, VK_RETURN, 0, 0, {}};
    EXPECT_TRUE(::IsDialogMessageW(dialog.hwnd(), &enter));
    EXPECT_EQ(ui.Texts(), std::vector<std::wstring>{kDone});
    EXPECT_EQ(ProductName(path), L"Ent");
    EXPECT_EQ(ReadWholeFile(path + "_bak"), ReadWholeFile(FixturePath("ver_chinese.exe")));
    EXPECT_EQ(dialog->GetEndResult(), 0);
}

}  // namespace
