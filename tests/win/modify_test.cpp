// "修改" on real files: the backup, and what stops the steps after it.
#include <algorithm>
#include <atomic>
#include <thread>

#include "modify/Backup.h"
#include "platform/ScopedHandle.h"
#include "tests/win/InProcess.h"

using Modify = InProcess;

TEST_F(Modify, MakesOneBackupNeverOverAnother) {
    const CString file = Write(L"a.txt", "first");
    Load(file);
    dialog.OnOK();
    WriteAll(file, "second");
    dialog.OnOK();
    EXPECT_EQ(ReadAll(file + L"_bak"), "first");
    // A "_bak" that is no file is no backup: nothing else happens.
    const CString other = Write(L"b.txt", "x");
    ::CreateDirectoryW((other + L"_bak").c_str(), nullptr);
    Load(other);
    Check(IDC_CHK_HIDDEN);
    dialog.OnOK();
    EXPECT_FALSE(::GetFileAttributesW(other.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(messages, (Texts{L"提示|文件修改完成!", L"提示|文件修改完成!",
                               L"提示|备份失败!\n文件未修改!"}));
}

// A plain path drops a trailing dot or space ("twin." names "twin"), and one of 260 characters or
// more fails on Windows. Wine's file dialog cannot take a long path: it is dropped.
TEST_F(Modify, TheFileItselfWhenItsNameEndsInADotOrASpaceOrItsPathIsLong) {
    const CString deep = Path(CString(120, L'd')), twin = Write(L"twin", "twin");
    ::CreateDirectoryW(deep.c_str(), nullptr);
    for (const CString& target :
         {Path(L"twin."), Path(L"twin "), deep + L"\\" + CString(299 - deep.size(), L'f')}) {
        const CString extended = L"\\\\?\\" + target;
        WriteAll(extended, "itself");
        Load(target);
        EXPECT_EQ(Text(IDC_EDIT_FILESIZE), L"6 字节");  // not the 4 of "twin"
        Check(IDC_CHK_HIDDEN);
        dialog.OnOK();
        EXPECT_EQ(ReadAll(extended + L"_bak"), "itself");
        EXPECT_TRUE(::GetFileAttributesW(extended.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    }
    EXPECT_FALSE(::GetFileAttributesW(twin.c_str()) & FILE_ATTRIBUTE_HIDDEN);
}

// The copy is made under a name of its own and takes the backup's name only once whole.
TEST_F(Modify, ACopyUnderWayOrFailedLeavesNoBackupAndNoneIsWrittenOver) {
    const std::string contents(64 << 20, 'b');
    const CString file = Write(L"big.bin", contents), backup = file + L"_bak";
    EXPECT_EQ(MakeBackup(file, [] {}), BackupResult::Made);
    EXPECT_EQ(ReadAll(backup), contents);
    EXPECT_EQ(MakeBackup(file, [] {}), BackupResult::Kept);
    WIN32_FIND_DATAW entry;
    // A copy that fails leaves nothing, and removes no file that it did not make.
    const CString locked = Write(L"locked.bin", "x");
    const CString theirs =
        Write(L"locked.bin_bak.partial" + std::to_wstring(::GetCurrentProcessId()), "theirs");
    const HANDLE lock =
        ::CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(MakeBackup(locked, [] {}), BackupResult::Failed);
    ::CloseHandle(lock);
    EXPECT_EQ(ReadAll(theirs), "theirs");
    const HANDLE left = ::FindFirstFileW((locked + L"_*").c_str(), &entry);
    EXPECT_TRUE(left != INVALID_HANDLE_VALUE && Path(entry.cFileName) == theirs &&
                !::FindNextFileW(left, &entry));
    ::FindClose(left);
    EXPECT_EQ(MakeBackup(locked, [] {}), BackupResult::Made);  // unlocked, beside their file
    EXPECT_EQ(ReadAll(theirs), "theirs");
    // A backup that appears while the copy runs is never written over.
    const CString racing = Write(L"race.bin", contents), bak = racing + L"_bak";
    const CString claimed = bak + L".partial" + std::to_wstring(::GetCurrentProcessId());
    std::atomic<bool> done{false};
    std::thread other([&] {
        while (!done && ::GetFileAttributesW(claimed.c_str()) == INVALID_FILE_ATTRIBUTES) {
        }
        WriteAll(bak, "theirs");
    });
    EXPECT_NE(MakeBackup(racing, [] {}), BackupResult::Failed);
    done = true;
    other.join();
    EXPECT_EQ(ReadAll(bak), "theirs");
    EXPECT_EQ(::GetFileAttributesW(claimed.c_str()), INVALID_FILE_ATTRIBUTES);
}

// Each option box decides its own group and no other: every way of ticking "备份", "基本",
// "时间" and "版本" writes exactly the groups ticked, judged by the file.
TEST_F(Modify, EachOptionBoxWritesItsOwnGroupAlone) {
    const CString fixture = BuildPath(L"tests/fixtures/ver_chinese.exe");
    const std::string original = ReadAll(fixture);
    const uint64_t typed = Ticks(FromLocal(2015, 3));
    for (int ticked = 0; ticked < 16; ++ticked) {
        const CString file = Path(L"v" + std::to_wstring(ticked) + L".exe");
        ASSERT_TRUE(::CopyFileW(fixture.c_str(), file.c_str(), FALSE));
        Load(file);
        Check(IDC_CHK_HIDDEN);
        SetText(IDC_EDIT_NEW_MODIFIED, L"2015-01-02 03:04:05");
        SetText(IDC_EDIT_PRODUCTNAME, L"X");
        const int boxes[] = {IDC_CHK_OPT_BACKUP, IDC_CHK_OPT_BASIC, IDC_CHK_OPT_TIME,
                             IDC_CHK_OPT_VERSION};
        for (int box = 0; box < 4; ++box) Check(boxes[box], ticked & 1 << box);
        dialog.OnOK();
        EXPECT_EQ(ReadAll(file + L"_bak"), ticked & 1 ? original : "") << ticked;
        EXPECT_EQ((::GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_HIDDEN) != 0,
                  (ticked & 2) != 0)
            << ticked;
        EXPECT_EQ(FileTimes(file)[2] == typed, (ticked & 4) != 0) << ticked;
        EXPECT_EQ(PlatformVersionString(file, L"ProductName") == L"X", (ticked & 8) != 0) << ticked;
        if (!(ticked & 8)) {
            EXPECT_EQ(ReadAll(file), original) << ticked;
        }
    }
    EXPECT_EQ(messages, Texts(16, L"提示|文件修改完成!"));
}

// The read-only bit as it stands between the steps: the dialog sets it with the other bits, before
// the times; the command line after them, and a target that stays read-only has it cleared for
// the writes. A read-only target that another program holds open is not refused by the check,
// which cannot ask it for writing, but by the write.
TEST_F(Modify, TheReadOnlyBitBeforeOrAfterTheTimesAsEachFrontEndAsks) {
    struct Watch : ModifyListener {
        CString file;
        std::wstring seen;  // the bit before each step and at the end: R or -
        std::vector<ModifyEvent> events;
        void Refresh(ModifyRequest&) override {
            seen += ::GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_READONLY ? L'R' : L'-';
        }
        void Report(const ModifyReport& report) override { events.push_back(report.event); }
    };
    const std::tuple<bool, bool, bool, const wchar_t*, ModifyEvent> cases[] = {
        {false, false, false, L"-RRR", ModifyEvent::Done},         // the dialog: +R, then the times
        {true, false, false, L"----RR", ModifyEvent::Done},        // the command line: +R last
        {true, true, false, L"RR--RR", ModifyEvent::Done},         // read-only, and stays so
        {true, true, true, L"RR--RR", ModifyEvent::TimesFailed}};  // and held open by a reader
    for (const auto& [commandLine, readOnly, held, expected, event] : cases) {
        Watch watch;
        watch.file = Write(L"ro.txt", "x");
        ::SetFileAttributesW(watch.file.c_str(), readOnly ? FILE_ATTRIBUTE_READONLY : 0);
        const ScopedHandle reader(held ? ::CreateFileW(watch.file.c_str(), GENERIC_READ,
                                                       FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                                       nullptr)
                                       : nullptr);
        TargetSnapshot target;
        ASSERT_EQ(LoadTargetSnapshot(watch.file, target), LoadOutcome::Loaded);
        ModifyRequest request;
        request.attributes = request.times = true;
        request.attributeChange.set = FILE_ATTRIBUTE_READONLY;
        request.newTimes[1] = {NewTime::Kind::Exact, {}, {}, Ticks(FromLocal(2015, 3))};
        request.checkFirst = request.readOnlyLast = commandLine;
        RunModify(&target, request, watch);
        EXPECT_EQ(watch.seen, expected) << commandLine << readOnly << held;
        EXPECT_TRUE(std::find(watch.events.begin(), watch.events.end(), event) !=
                    watch.events.end());
        ::SetFileAttributesW(watch.file.c_str(), 0);
    }
}
