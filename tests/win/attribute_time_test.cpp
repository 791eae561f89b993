// The attribute boxes and the three file times of the main dialog, on real files and folders:
// what a load shows, what "当前" fills in, what a write stores, and every refusal. The pure rules
// (which bit ticks which box, the time text's shapes and ranges) are tested natively.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "platform/Text.h"
#include "res/resource.h"
#include "tests/win/TestSupport.h"

namespace {

const std::wstring kCaptionHint = Utf8ToWide("提示");
const std::wstring kAttributesFailed = Utf8ToWide("属性修改失败!");
const std::wstring kTimesFailed = Utf8ToWide("时间修改失败!\n可能与只读或系统属性有关!");
const std::wstring kBadCreated = Utf8ToWide("新的创建时间不符合要求!");
const std::wstring kBadModified = Utf8ToWide("新的修改时间不符合要求!");
const std::wstring kBadAccessed = Utf8ToWide("新的访问时间不符合要求!");
// Messages that give no caption bear the application's name, the executable's name.
const std::wstring kAppName = L"Quorvane";

constexpr DWORD R = FILE_ATTRIBUTE_READONLY, H = FILE_ATTRIBUTE_HIDDEN, S = FILE_ATTRIBUTE_SYSTEM,
                A = FILE_ATTRIBUTE_ARCHIVE, D = FILE_ATTRIBUTE_DIRECTORY,
                T = FILE_ATTRIBUTE_TEMPORARY;
// Compared after a write: the three boxes every platform here keeps, and the directory bit.
constexpr DWORD kCompared = R | H | S | D;
// Each attribute box with its bit; the last three are never ticked on these file systems.
const std::pair<int, DWORD> kBoxes[] = {
    {IDC_CHK_READONLY, R},  {IDC_CHK_HIDDEN, H},    {IDC_CHK_SYSTEM, S}, {IDC_CHK_ARCHIVE, A},
    {IDC_CHK_DIRECTORY, D}, {IDC_CHK_ENCRYPTED, 0}, {IDC_CHK_NORMAL, 0}, {IDC_CHK_TEMPORARY, 0}};

// Creation, last write and access, in the dialog's order.
const int kCurrentFields[] = {IDC_EDIT_CREATED, IDC_EDIT_MODIFIED, IDC_EDIT_ACCESSED};
const int kNewFields[] = {IDC_EDIT_NEW_CREATED, IDC_EDIT_NEW_MODIFIED, IDC_EDIT_NEW_ACCESSED};
using Typed = std::array<std::wstring, 3>;
const Typed kTyped = {L"2011-02-03 04:05:06", L"2012-03-04 05:06:07", L"2013-04-05 06:07:08"};
constexpr uint64_t kSecond = 10'000'000;

uint64_t Ticks(const FILETIME& time) {
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

FILETIME ToFileTime(uint64_t ticks) {
    return {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

// Folders open only with backup semantics.
HANDLE Open(const std::string& path, DWORD access,
            DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE) {
    return ::CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// A target's creation, last-write and access times, in the dialog's order.
using Times = std::array<uint64_t, 3>;

Times ReadTimes(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    EXPECT_TRUE(::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) << path;
    return {Ticks(data.ftCreationTime), Ticks(data.ftLastWriteTime), Ticks(data.ftLastAccessTime)};
}

void WriteTimes(const std::string& path, const Times& times) {
    HANDLE file = Open(path, FILE_WRITE_ATTRIBUTES);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    const FILETIME created = ToFileTime(times[0]), written = ToFileTime(times[1]),
                   accessed = ToFileTime(times[2]);
    EXPECT_TRUE(::SetFileTime(file, &created, &accessed, &written)) << path;
    ::CloseHandle(file);
}

// The text a user reads for a UTC file time, by the platform's own conversion; empty when the
// local time has none.
std::wstring LocalText(uint64_t ticks) {
    const FILETIME utc = ToFileTime(ticks);
    FILETIME localTime{};
    SYSTEMTIME t{};
    wchar_t text[32] = L"";
    if (::FileTimeToLocalFileTime(&utc, &localTime) && ::FileTimeToSystemTime(&localTime, &t)) {
        swprintf(text, 32, L"%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour,
                 t.wMinute, t.wSecond);
    }
    return text;
}

// A dialog whose messages are captured, and a scratch folder for its targets.
class DialogTest : public ::testing::Test {
  protected:
    // A new file or folder given these attributes (0 leaves them as made).
    std::string Make(bool folder, DWORD attributes = 0) {
        const std::string name = "target" + std::to_string(++made);
        const std::string path = folder ? scratch.MakeFolder(name) : scratch.WriteFile(name);
        EXPECT_TRUE(!attributes || ::SetFileAttributesA(path.c_str(), attributes)) << path;
        return path;
    }
    const std::string& Load(const std::string& path) {
        dialog.Load(path);
        EXPECT_TRUE(dialog->IsTargetLoaded()) << path;
        return path;
    }
    void Type(const Typed& typed) const {
        for (int i = 0; i < 3; ++i) dialog.SetText(kNewFields[i], typed[i]);
    }
    // The one message shown since the last call.
    void ExpectOneMessage(const std::wstring& text, const std::wstring& caption) {
        const std::vector<ShownMessage> shown = std::move(ui.messages);
        ui.messages.clear();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].text, text);
        EXPECT_EQ(shown[0].caption, caption);
    }

    FakeUiServices ui;
    ScratchFolder scratch;
    MainDialog dialog;
    int made = 0;
};

using AttributeBoxes = DialogTest;
using AttributeWrite = DialogTest;
using TimeFields = DialogTest;
using TimeRefusal = DialogTest;

// The boxes show the target as loaded (regular files always carry "存档" here: Wine reports it, a
// new file on Windows has it); the read-only, hidden and system boxes are then stored over
// whatever the target carries by the write, and the directory bit stays.
TEST_F(AttributeBoxes, ShowTheTargetOnLoadAndAreStoredOverItsBitsNow) {
    const struct {
        const char* name;
        bool folder;
        DWORD loaded;    // the target's attributes at the load (0: as made)
        DWORD boxes;     // read-only, hidden and system as ticked for the write
        DWORD meantime;  // set behind the dialog's back before the write (0: nothing)
        DWORD after;     // read-only, hidden, system and directory bits afterwards
    } cases[] = {
        {"file: hidden and system set", false, A, H | S, 0, H | S},
        {"file: hidden cleared, system kept", false, A | H | S, S, 0, S},
        {"file: read-only set, system cleared", false, A | S, R, 0, R},
        {"file: read-only cleared, hidden set", false, A | R, H, 0, H},
        // Wine ignores read-only on folders, so folders are tried with hidden and system only.
        {"folder: hidden and system set", true, 0, H | S, 0, D | H | S},
        {"folder: hidden cleared", true, H | S, S, 0, D | S},
        {"hidden set meanwhile is cleared", false, A, 0, A | H, 0},
        {"system and read-only set meanwhile are cleared", false, A | H, H, A | H | S | R, H},
        {"hidden cleared meanwhile is set again", false, A | H | S, H | S, A, H | S},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = Load(Make(c.folder, c.loaded));
        const DWORD shown = c.loaded | (c.folder ? D : 0);
        for (const auto& [box, bit] : kBoxes)
            EXPECT_EQ(dialog.Checked(box), (shown & bit) != 0) << box;
        ASSERT_TRUE(!c.meantime || ::SetFileAttributesA(path.c_str(), c.meantime));
        for (int i = 0; i < 3; ++i)
            dialog.Check(kBoxes[i].first, (c.boxes & kBoxes[i].second) != 0);
        dialog->ApplyAttributes();
        const DWORD now = ::GetFileAttributesA(path.c_str());
        ASSERT_NE(now, INVALID_FILE_ATTRIBUTES);
        EXPECT_EQ(now & kCompared, c.after) << std::hex << now;
    }
    EXPECT_TRUE(ui.messages.empty());
}

// A bit without a box is written as the load found it, whatever the target carries by then.
TEST_F(AttributeWrite, BitsWithoutABoxComeFromTheLoadNotFromTheTargetNow) {
    const std::string probe = Make(false);
    ::SetFileAttributesA(probe.c_str(), A | T);
    if (!(::GetFileAttributesA(probe.c_str()) & T)) {
        GTEST_SKIP() << "the file system keeps no temporary attribute here (Wine keeps only "
                        "hidden and system, and read-only as write permission), so no bit "
                        "without a box can change behind the dialog's back";
    }
    const struct {
        DWORD loaded, meantime, after;  // after: the temporary bit
    } cases[] = {{A, A | T, 0}, {A | T, A, T}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.loaded);
        const std::string path = Load(Make(false, c.loaded));
        ASSERT_TRUE(::SetFileAttributesA(path.c_str(), c.meantime));
        dialog->ApplyAttributes();
        EXPECT_EQ(::GetFileAttributesA(path.c_str()) & T, c.after);
    }
    EXPECT_TRUE(ui.messages.empty());
}

// A load shows the times in local time in both columns, and writing them unedited keeps them to
// the second. Typed times, past the 32-bit clocks' 1970 and 2038 included, are stored and shown by
// the next load; the write itself changes no field and leaves no handle open.
TEST_F(TimeFields, ShowTheTargetsTimesAndWriteThemOnFilesAndFolders) {
    // This machine's ext4 holds no time before 1901-12-14, so the early time is 1950, not 1900.
    const struct {
        bool folder;
        Typed typed;
    } cases[] = {{false, {kTyped[0], L"2100-01-01 00:00:00", L"1950-06-01 12:00:00"}},
                 {true, {kTyped[0], L"2038-01-19 11:14:08", kTyped[2]}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folder ? "folder" : "file");
        const std::string path = Make(c.folder);
        // Distinct past times with fractions, so that each field and the truncation show.
        const uint64_t day = 86400 * kSecond, today = ReadTimes(path)[1] / kSecond * kSecond;
        WriteTimes(path, {today - 3 * day + 1234567, today - 2 * day + 9999999, today - day + 42});
        const Times before = ReadTimes(path);  // as kept: Wine does not keep every time as set
        ASSERT_NE(before[1] % kSecond, 0u) << "the fraction should show in this test";
        dialog.SetText(IDC_EDIT_NEW_MODIFIED, L"typed before");
        Load(path);
        Typed shown;
        Times whole;
        for (int i = 0; i < 3; ++i) {
            shown[i] = LocalText(before[i]);
            whole[i] = before[i] - before[i] % kSecond;
            EXPECT_EQ(dialog.Text(kCurrentFields[i]), shown[i]);
            EXPECT_EQ(dialog.Text(kNewFields[i]), shown[i]);
        }
        EXPECT_TRUE(dialog->ApplyTimes());
        EXPECT_EQ(ReadTimes(path), whole);

        Type(c.typed);
        EXPECT_TRUE(dialog->ApplyTimes());
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(dialog.Text(kCurrentFields[i]), shown[i]);
            EXPECT_EQ(dialog.Text(kNewFields[i]), c.typed[i]);
        }
        HANDLE alone = Open(path, GENERIC_READ, 0);  // succeeds only if no handle is left open
        EXPECT_NE(alone, INVALID_HANDLE_VALUE);
        ::CloseHandle(alone);
        Load(path);  // the creation time is compared in CreationTimeReadsBack
        EXPECT_EQ(dialog.Text(IDC_EDIT_MODIFIED), c.typed[1]);
        EXPECT_EQ(dialog.Text(IDC_EDIT_ACCESSED), c.typed[2]);
    }
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(TimeFields, CreationTimeReadsBack) {
    if (::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "wine_get_version")) {
        GTEST_SKIP() << "Wine on Linux keeps no creation time: it reads back as the last-write "
                        "time";
    }
    const std::string path = Load(Make(false));
    Type(kTyped);
    EXPECT_TRUE(dialog->ApplyTimes());
    EXPECT_EQ(LocalText(ReadTimes(path)[0]), kTyped[0]);
}

TEST_F(TimeFields, NowFillsOnlyItsOwnFieldWithThePresentLocalTime) {
    const int buttons[] = {IDC_BTN_NOW_CREATED, IDC_BTN_NOW_MODIFIED, IDC_BTN_NOW_ACCESSED};
    for (int i = 0; i < 3; ++i) {  // no target loaded
        SCOPED_TRACE(buttons[i]);
        Type({L"kept", L"kept", L"kept"});
        FILETIME before{}, after{};
        ::GetSystemTimeAsFileTime(&before);
        ::SendMessageW(dialog.Item(buttons[i]), BM_CLICK, 0, 0);
        ::GetSystemTimeAsFileTime(&after);
        const std::wstring shown = dialog.Text(kNewFields[i]);
        // The clock may tick between the readings.
        EXPECT_TRUE(shown == LocalText(Ticks(before)) || shown == LocalText(Ticks(after)))
            << WideToUtf8(shown);
        for (int j = 0; j < 3; ++j) {
            EXPECT_EQ(dialog.Text(kNewFields[j]), j == i ? shown : L"kept");
            EXPECT_EQ(dialog.Text(kCurrentFields[j]), L"");
        }
    }
    EXPECT_TRUE(ui.messages.empty());
}

// The first bad field, in the dialog's order, is refused with its own message; nothing is written
// and the texts stay for correction.
TEST_F(TimeRefusal, EachBadTextIsRefusedWithItsOwnMessageAndNothingWritten) {
    const std::wstring good = L"2015-01-02 03:04:05";
    const struct {
        const char* name;
        Typed typed;
        const std::wstring& message;
    } cases[] = {
        {"bad creation and bad access", {L"20150102", good, L"x"}, kBadCreated},
        {"emptied last write and access", {good, L"", L""}, kBadModified},
        {"30 February in last write", {good, L"2015-02-30 03:04:05", good}, kBadModified},
        {"hour 24 in access", {good, good, L"2015-01-02 24:00:00"}, kBadAccessed},
        // Two bytes in the ANSI code page: the text is 20 bytes long.
        {"full-width digit in access", {good, good, L"\uFF12015-01-02 03:04:05"}, kBadAccessed},
    };
    const std::string path = Load(Make(false));
    // Taken after the load, which reads the file for its version information: Linux then moves
    // an access time that is older than the last status change.
    const Times before = ReadTimes(path);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Type(c.typed);
        EXPECT_FALSE(dialog->ApplyTimes());
        ExpectOneMessage(c.message, kAppName);
        EXPECT_EQ(ReadTimes(path), before);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(dialog.Text(kNewFields[i]), c.typed[i]);
    }
}

// A file time of zero tells the platform to leave that time as it is, so the first moment a file
// time can hold is refused like a text out of range rather than silently not written.
TEST_F(TimeRefusal, TheFirstMomentOfAFileTimeIsRefused) {
    const std::wstring first = LocalText(0);
    if (first.compare(0, 4, L"1601") != 0) {
        GTEST_SKIP() << "west of UTC the first moment of a file time has no local time text";
    }
    Load(Make(false));
    Type({kTyped[0], kTyped[1], first});
    EXPECT_FALSE(dialog->ApplyTimes());
    ExpectOneMessage(kBadAccessed, kAppName);
}

// A target deleted since the load is reported by either write and not made again; one held open
// without sharing is reported by the time write and keeps its times.
TEST_F(TimeRefusal, ATargetGoneOrHeldOpenIsReported) {
    const std::string gone = Load(Make(false));
    ASSERT_TRUE(::DeleteFileA(gone.c_str()));
    dialog.Check(IDC_CHK_HIDDEN, true);
    dialog->ApplyAttributes();
    ExpectOneMessage(kAttributesFailed, kCaptionHint);
    Type(kTyped);
    EXPECT_FALSE(dialog->ApplyTimes());
    ExpectOneMessage(kTimesFailed, kCaptionHint);
    EXPECT_EQ(::GetFileAttributesA(gone.c_str()), INVALID_FILE_ATTRIBUTES);

    const std::string held = Load(Make(false));
    const Times before = ReadTimes(held);  // after the load's read, as above
    Type(kTyped);
    HANDLE handle = Open(held, GENERIC_READ, 0);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(dialog->ApplyTimes());
    ::CloseHandle(handle);
    ExpectOneMessage(kTimesFailed, kCaptionHint);
    EXPECT_EQ(ReadTimes(held), before);
}

TEST_F(TimeRefusal, AReadOnlyFileIsReported) {
    const std::string path = Make(false, R);
    HANDLE probe = Open(path, GENERIC_WRITE);
    if (probe != INVALID_HANDLE_VALUE) {
        ::CloseHandle(probe);
        GTEST_SKIP() << "the platform opens a read-only file for writing here (Wine as root)";
    }
    const Times before = ReadTimes(path);
    Load(path);
    Type(kTyped);
    EXPECT_FALSE(dialog->ApplyTimes());
    ExpectOneMessage(kTimesFailed, kCaptionHint);
    EXPECT_EQ(ReadTimes(path)[1], before[1]);
}

}  // namespace
