// The attribute boxes and the three file times of the main dialog, on real files and folders:
// what a load shows, what "当前" fills in, what a write stores, and every refusal.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
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

// The bits that the tests compare after a write: the three boxes that every platform here keeps,
// and the directory bit, which a write must not lose.
constexpr DWORD kComparedBits = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
constexpr uint64_t kTicksPerSecond = 10'000'000;

// Under Wine some effects cannot be seen: Linux file systems keep no creation time.
bool RunsUnderWine() {
    return ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

uint64_t Ticks(const FILETIME& time) {
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

FILETIME ToFileTime(uint64_t ticks) {
    return {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

struct FileTimes {
    uint64_t created;
    uint64_t accessed;
    uint64_t written;
};

// Folders open only with backup semantics; the handle asks for the attributes alone.
HANDLE OpenForTimes(const std::string& path, DWORD access) {
    return ::CreateFileA(path.c_str(), access,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

FileTimes ReadTimes(const std::string& path) {
    HANDLE file = OpenForTimes(path, FILE_READ_ATTRIBUTES);
    EXPECT_NE(file, INVALID_HANDLE_VALUE) << path;
    FILETIME created{}, accessed{}, written{};
    EXPECT_TRUE(::GetFileTime(file, &created, &accessed, &written)) << path;
    ::CloseHandle(file);
    return {Ticks(created), Ticks(accessed), Ticks(written)};
}

void WriteTimes(const std::string& path, const FileTimes& times) {
    HANDLE file = OpenForTimes(path, FILE_WRITE_ATTRIBUTES);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    const FILETIME created = ToFileTime(times.created);
    const FILETIME accessed = ToFileTime(times.accessed);
    const FILETIME written = ToFileTime(times.written);
    EXPECT_TRUE(::SetFileTime(file, &created, &accessed, &written)) << path;
    ::CloseHandle(file);
}

// The UTC file time of a local date and time, by the platform's own conversion.
uint64_t FromLocal(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
    SYSTEMTIME local{};
    local.wYear = year;
    local.wMonth = month;
    local.wDay = day;
    local.wHour = hour;
    local.wMinute = minute;
    local.wSecond = second;
    FILETIME localTime{}, utc{};
    EXPECT_TRUE(::SystemTimeToFileTime(&local, &localTime));
    EXPECT_TRUE(::LocalFileTimeToFileTime(&localTime, &utc));
    return Ticks(utc);
}

// The text a user reads for a UTC file time, by the platform's own conversion.
std::wstring LocalText(uint64_t ticks) {
    const FILETIME utc = ToFileTime(ticks);
    FILETIME localTime{};
    SYSTEMTIME local{};
    EXPECT_TRUE(::FileTimeToLocalFileTime(&utc, &localTime));
    EXPECT_TRUE(::FileTimeToSystemTime(&localTime, &local));
    wchar_t text[32];
    swprintf(text, 32, L"%04u-%02u-%02u %02u:%02u:%02u", local.wYear, local.wMonth, local.wDay,
             local.wHour, local.wMinute, local.wSecond);
    return text;
}

// The present as a local file time.
uint64_t LocalNow() {
    FILETIME now{}, local{};
    ::GetSystemTimeAsFileTime(&now);
    ::FileTimeToLocalFileTime(&now, &local);
    return Ticks(local);
}

// A shown "%Y-%m-%d %H:%M:%S" text as a local file time; 0 when it is no such text.
uint64_t LocalTicksOfText(const std::wstring& text) {
    SYSTEMTIME local{};
    unsigned year, month, day, hour, minute, second;
    wchar_t rest;
    if (text.size() != 19 || swscanf(text.c_str(), L"%4u-%2u-%2u %2u:%2u:%2u%lc", &year, &month,
                                     &day, &hour, &minute, &second, &rest) != 6) {
        return 0;
    }
    local.wYear = static_cast<WORD>(year);
    local.wMonth = static_cast<WORD>(month);
    local.wDay = static_cast<WORD>(day);
    local.wHour = static_cast<WORD>(hour);
    local.wMinute = static_cast<WORD>(minute);
    local.wSecond = static_cast<WORD>(second);
    FILETIME ticks{};
    if (!::SystemTimeToFileTime(&local, &ticks)) return 0;
    return Ticks(ticks);
}

// Distinct times with fractions of a second, so that each field and the truncation show.
FileTimes DistinctTimes() {
    return {FromLocal(2016, 7, 8, 9, 10, 11) + 1234567, FromLocal(2018, 11, 12, 13, 14, 15) + 42,
            FromLocal(2017, 9, 10, 11, 12, 13) + 9999999};
}

uint64_t WholeSeconds(uint64_t ticks) {
    return ticks - ticks % kTicksPerSecond;
}

// A file or a folder in the scratch folder, as a target.
std::string MakeTarget(const ScratchFolder& scratch, bool folder, const std::string& name) {
    return folder ? scratch.MakeFolder(name) : scratch.WriteFile(name);
}

const int kAttributeBoxes[] = {IDC_CHK_READONLY, IDC_CHK_HIDDEN,    IDC_CHK_SYSTEM,
                               IDC_CHK_ARCHIVE,  IDC_CHK_DIRECTORY, IDC_CHK_ENCRYPTED,
                               IDC_CHK_NORMAL,   IDC_CHK_TEMPORARY};

TEST(AttributeBoxes, TickedFromTheTargetOnLoad) {
    struct Case {
        const char* name;
        bool folder;
        DWORD attributes;  // set on the target before the load; 0 leaves it as made
        std::vector<int> ticked;
    };
    // Regular files always carry "存档" here (Wine reports it, a new file on Windows has it).
    const Case cases[] = {
        {"plain file", false, 0, {IDC_CHK_ARCHIVE}},
        {"hidden file",
         false,
         FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE,
         {IDC_CHK_HIDDEN, IDC_CHK_ARCHIVE}},
        {"system file",
         false,
         FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE,
         {IDC_CHK_SYSTEM, IDC_CHK_ARCHIVE}},
        {"read-only file",
         false,
         FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE,
         {IDC_CHK_READONLY, IDC_CHK_ARCHIVE}},
        {"hidden system read-only file",
         false,
         FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
             FILE_ATTRIBUTE_ARCHIVE,
         {IDC_CHK_READONLY, IDC_CHK_HIDDEN, IDC_CHK_SYSTEM, IDC_CHK_ARCHIVE}},
        {"folder", true, 0, {IDC_CHK_DIRECTORY}},
        {"hidden system folder",
         true,
         FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM,
         {IDC_CHK_HIDDEN, IDC_CHK_SYSTEM, IDC_CHK_DIRECTORY}},
    };
    FakeUiServices ui;
    ScratchFolder scratch;
    MainDialog dialog;
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = MakeTarget(scratch, c.folder, "target" + std::to_string(++n));
        if (c.attributes) {
            ASSERT_TRUE(::SetFileAttributesA(path.c_str(), c.attributes));
        }
        dialog.Load(path);
        ASSERT_TRUE(dialog->IsTargetLoaded());
        for (int box : kAttributeBoxes) {
            const bool expected =
                std::find(c.ticked.begin(), c.ticked.end(), box) != c.ticked.end();
            EXPECT_EQ(dialog.Checked(box), expected) << "box " << box;
        }
    }
    EXPECT_TRUE(ui.messages.empty());
}

TEST(AttributeWrite, WritesTheChangeableBoxesBack) {
    struct Case {
        const char* name;
        bool folder;
        DWORD before;  // set on the target before the load
        bool readOnly, hidden, system;
        DWORD after;  // read-only, hidden, system and directory bits of the target afterwards
    };
    const DWORD A = FILE_ATTRIBUTE_ARCHIVE, R = FILE_ATTRIBUTE_READONLY, H = FILE_ATTRIBUTE_HIDDEN,
                S = FILE_ATTRIBUTE_SYSTEM, D = FILE_ATTRIBUTE_DIRECTORY;
    const Case cases[] = {
        {"file: hidden and system set", false, A, false, true, true, H | S},
        {"file: hidden and system cleared", false, A | H | S, false, false, false, 0},
        {"file: hidden cleared, system kept", false, A | H | S, false, false, true, S},
        {"file: read-only set", false, A, true, false, false, R},
        {"file: read-only cleared", false, A | R, false, false, false, 0},
        {"file: read-only cleared, hidden set", false, A | R, false, true, false, H},
        // Wine ignores read-only on folders, so folders are tried with hidden and system only.
        {"folder: hidden and system set", true, 0, false, true, true, D | H | S},
        {"folder: hidden cleared", true, H | S, false, false, true, D | S},
    };
    FakeUiServices ui;
    ScratchFolder scratch;
    MainDialog dialog;
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = MakeTarget(scratch, c.folder, "target" + std::to_string(++n));
        if (c.before) {
            ASSERT_TRUE(::SetFileAttributesA(path.c_str(), c.before));
        }
        dialog.Load(path);
        ASSERT_TRUE(dialog->IsTargetLoaded());
        dialog.Check(IDC_CHK_READONLY, c.readOnly);
        dialog.Check(IDC_CHK_HIDDEN, c.hidden);
        dialog.Check(IDC_CHK_SYSTEM, c.system);
        dialog->ApplyAttributes();
        const DWORD now = ::GetFileAttributesA(path.c_str());
        ASSERT_NE(now, INVALID_FILE_ATTRIBUTES);
        EXPECT_EQ(now & kComparedBits, c.after) << std::hex << now;
    }
    EXPECT_TRUE(ui.messages.empty());
}

// Changes made behind the dialog's back to bits that have a box give way to the boxes.
TEST(AttributeWrite, BoxesAsLoadedOverrideChangesMadeMeanwhile) {
    struct Case {
        const char* name;
        DWORD loaded;    // the target's attributes when the dialog loads it
        DWORD meantime;  // set behind the dialog's back between load and write
        DWORD after;
    };
    const DWORD A = FILE_ATTRIBUTE_ARCHIVE, H = FILE_ATTRIBUTE_HIDDEN, S = FILE_ATTRIBUTE_SYSTEM,
                R = FILE_ATTRIBUTE_READONLY;
    const Case cases[] = {
        {"hidden set meanwhile is cleared", A, A | H, 0},
        {"system and read-only set meanwhile are cleared", A | H, A | H | S | R, H},
        {"hidden cleared meanwhile is set again", A | H | S, A, H | S},
    };
    FakeUiServices ui;
    ScratchFolder scratch;
    MainDialog dialog;
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = scratch.WriteFile("target" + std::to_string(++n));
        ASSERT_TRUE(::SetFileAttributesA(path.c_str(), c.loaded));
        dialog.Load(path);
        ASSERT_TRUE(dialog->IsTargetLoaded());
        ASSERT_TRUE(::SetFileAttributesA(path.c_str(), c.meantime));
        dialog->ApplyAttributes();  // the boxes as the load ticked them
        EXPECT_EQ(::GetFileAttributesA(path.c_str()) & kComparedBits, c.after);
    }
    EXPECT_TRUE(ui.messages.empty());
}

// A bit without a box is written as the load found it, whatever the target carries by then.
TEST(AttributeWrite, BitsWithoutABoxComeFromTheLoadNotFromTheTargetNow) {
    const DWORD A = FILE_ATTRIBUTE_ARCHIVE, T = FILE_ATTRIBUTE_TEMPORARY;
    {
        ScratchFolder probe;
        const std::string path = probe.WriteFile("probe");
        ::SetFileAttributesA(path.c_str(), A | T);
        if (!(::GetFileAttributesA(path.c_str()) & T)) {
            GTEST_SKIP() << "the file system keeps no temporary attribute here (Wine keeps only "
                            "hidden and system, and read-only as write permission), so no bit "
                            "without a box can change behind the dialog's back";
        }
    }
    struct Case {
        const char* name;
        DWORD loaded;
        DWORD meantime;
        DWORD after;  // the temporary bit afterwards
    };
    const Case cases[] = {
        {"set meanwhile, cleared again", A, A | T, 0},
        {"cleared meanwhile, set again", A | T, A, T},
    };
    FakeUiServices ui;
    ScratchFolder scratch;
    MainDialog dialog;
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = scratch.WriteFile("target" + std::to_string(++n));
        ASSERT_TRUE(::SetFileAttributesA(path.c_str(), c.loaded));
        dialog.Load(path);
        ASSERT_TRUE(dialog->IsTargetLoaded());
        ASSERT_TRUE(::SetFileAttributesA(path.c_str(), c.meantime));
        dialog->ApplyAttributes();
        EXPECT_EQ(::GetFileAttributesA(path.c_str()) & T, c.after);
    }
    EXPECT_TRUE(ui.messages.empty());
}

TEST(AttributeWrite, ReportsATargetThatIsGone) {
    FakeUiServices ui;
    ScratchFolder scratch;
    MainDialog dialog;
    const std::string path = scratch.WriteFile("gone.txt");
    dialog.Load(path);
    ASSERT_TRUE(dialog->IsTargetLoaded());
    ASSERT_TRUE(::DeleteFileA(path.c_str()));
    dialog.Check(IDC_CHK_HIDDEN, true);
    dialog->ApplyAttributes();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, kAttributesFailed);
    EXPECT_EQ(ui.messages[0].caption, kCaptionHint);
    EXPECT_EQ(ui.messages[0].owner, dialog.hwnd());
    EXPECT_EQ(ui.messages[0].type, static_cast<UINT>(MB_OK));
    EXPECT_EQ(::GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);  // not made again
}

TEST(TimeFields, ShowTheTargetsTimesInLocalTimeOnLoad) {
    FakeUiServices ui;
    ScratchFolder scratch;
    MainDialog dialog;
    for (bool folder : {false, true}) {
        SCOPED_TRACE(folder ? "folder" : "file");
        const std::string path = MakeTarget(scratch, folder, folder ? "folder" : "file.txt");
        WriteTimes(path, DistinctTimes());
        // Expected from what the platform reports, since Wine does not keep every time as set.
        const FileTimes times = ReadTimes(path);
        dialog.SetText(IDC_EDIT_NEW_MODIFIED, L"typed before");
        dialog.Load(path);
        ASSERT_TRUE(dialog->IsTargetLoaded());
        EXPECT_EQ(dialog.Text(IDC_EDIT_CREATED), LocalText(times.created));
        EXPECT_EQ(dialog.Text(IDC_EDIT_MODIFIED), LocalText(times.written));
        EXPECT_EQ(dialog.Text(IDC_EDIT_ACCESSED), LocalText(times.accessed));
        EXPECT_EQ(dialog.Text(IDC_EDIT_NEW_CREATED), LocalText(times.created));
        EXPECT_EQ(dialog.Text(IDC_EDIT_NEW_MODIFIED), LocalText(times.written));
        EXPECT_EQ(dialog.Text(IDC_EDIT_NEW_ACCESSED), LocalText(times.accessed));
    }
    EXPECT_TRUE(ui.messages.empty());
}

TEST(TimeFields, NowFillsOnlyItsOwnFieldWithThePresentLocalTime) {
    struct Case {
        int button;
        int field;
    };
    const Case cases[] = {{IDC_BTN_NOW_CREATED, IDC_EDIT_NEW_CREATED},
                          {IDC_BTN_NOW_MODIFIED, IDC_EDIT_NEW_MODIFIED},
                          {IDC_BTN_NOW_ACCESSED, IDC_EDIT_NEW_ACCESSED}};
    const int newFields[] = {IDC_EDIT_NEW_CREATED, IDC_EDIT_NEW_MODIFIED, IDC_EDIT_NEW_ACCESSED};
    FakeUiServices ui;
    MainDialog dialog;  // no target loaded
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        for (int field : newFields) dialog.SetText(field, L"kept " + std::to_wstring(field));
        const uint64_t before = WholeSeconds(LocalNow());
        ::SendMessageW(dialog.Item(c.button), BM_CLICK, 0, 0);
        const uint64_t after = LocalNow();

        const std::wstring shown = dialog.Text(c.field);
        const uint64_t ticks = LocalTicksOfText(shown);
        ASSERT_NE(ticks, 0u) << "not a time text: " << WideToUtf8(shown);
        // One second of slack either side for a clock that ticks between the readings.
        EXPECT_GE(ticks + kTicksPerSecond, before) << WideToUtf8(shown);
        EXPECT_LE(ticks, after + kTicksPerSecond) << WideToUtf8(shown);
        for (int field : newFields) {
            if (field != c.field) {
                EXPECT_EQ(dialog.Text(field), L"kept " + std::to_wstring(field));
            }
        }
        for (int current : {IDC_EDIT_CREATED, IDC_EDIT_MODIFIED, IDC_EDIT_ACCESSED}) {
            EXPECT_EQ(dialog.Text(current), L"");
        }
    }
    EXPECT_TRUE(ui.messages.empty());
}

struct TypedTimes {
    const wchar_t* created;
    const wchar_t* modified;
    const wchar_t* accessed;
};

void Type(const MainDialog& dialog, const TypedTimes& typed) {
    dialog.SetText(IDC_EDIT_NEW_CREATED, typed.created);
    dialog.SetText(IDC_EDIT_NEW_MODIFIED, typed.modified);
    dialog.SetText(IDC_EDIT_NEW_ACCESSED, typed.accessed);
}

// True when nothing else holds the target open (a share-mode-0 open succeeds only then).
bool NoHandleLeftOpen(const std::string& path) {
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    ::CloseHandle(file);
    return true;
}

TEST(TimeWrite, EditedTimesReadBackOnFilesAndFolders) {
    FakeUiServices ui;
    ScratchFolder scratch;
    MainDialog dialog;
    for (bool folder : {false, true}) {
        SCOPED_TRACE(folder ? "folder" : "file");
        const std::string path = MakeTarget(scratch, folder, folder ? "folder" : "file.txt");
        WriteTimes(path, DistinctTimes());
        dialog.Load(path);
        ASSERT_TRUE(dialog->IsTargetLoaded());
        const std::wstring shownModified = dialog.Text(IDC_EDIT_MODIFIED);
        const std::wstring shownAccessed = dialog.Text(IDC_EDIT_ACCESSED);

        Type(dialog, {L"2011-02-03 04:05:06", L"2012-03-04 05:06:07", L"2013-04-05 06:07:08"});
        EXPECT_TRUE(dialog->ApplyTimes());
        EXPECT_TRUE(ui.messages.empty());

        const FileTimes written = ReadTimes(path);
        EXPECT_EQ(written.written, FromLocal(2012, 3, 4, 5, 6, 7));
        EXPECT_EQ(written.accessed, FromLocal(2013, 4, 5, 6, 7, 8));
        // The creation time is compared in CreationTimeReadsBack, where the platform keeps one.

        // The write changes no field: the current ones still show the times as loaded.
        EXPECT_EQ(dialog.Text(IDC_EDIT_MODIFIED), shownModified);
        EXPECT_EQ(dialog.Text(IDC_EDIT_ACCESSED), shownAccessed);
        EXPECT_EQ(dialog.Text(IDC_EDIT_NEW_MODIFIED), L"2012-03-04 05:06:07");
        EXPECT_TRUE(NoHandleLeftOpen(path));
    }
}

TEST(TimeWrite, CreationTimeReadsBack) {
    if (RunsUnderWine()) {
        GTEST_SKIP() << "Wine on Linux keeps no creation time: it reads back as the last-write "
                        "time";
    }
    FakeUiServices ui;
    ScratchFolder scratch;
    MainDialog dialog;
    for (bool folder : {false, true}) {
        SCOPED_TRACE(folder ? "folder" : "file");
        const std::string path = MakeTarget(scratch, folder, folder ? "folder" : "file.txt");
        dialog.Load(path);
        Type(dialog, {L"2011-02-03 04:05:06", L"2012-03-04 05:06:07", L"2013-04-05 06:07:08"});
        EXPECT_TRUE(dialog->ApplyTimes());
        EXPECT_EQ(ReadTimes(path).created, FromLocal(2011, 2, 3, 4, 5, 6));
    }
}

TEST(TimeWrite, UneditedWriteKeepsTheTimesToTheSecond) {
    FakeUiServices ui;
    ScratchFolder scratch;
    MainDialog dialog;
    const std::string path = scratch.WriteFile("file.txt");
    WriteTimes(path, DistinctTimes());
    const FileTimes before = ReadTimes(path);
    ASSERT_NE(before.written % kTicksPerSecond, 0u) << "the fraction should show in this test";
    dialog.Load(path);
    EXPECT_TRUE(dialog->ApplyTimes());
    EXPECT_TRUE(ui.messages.empty());
    const FileTimes after = ReadTimes(path);
    EXPECT_EQ(after.written, WholeSeconds(before.written));
    EXPECT_EQ(after.accessed, WholeSeconds(before.accessed));
    EXPECT_EQ(after.created, WholeSeconds(before.created));
}

TEST(TimeWrite, TimesBefore1970AndAfter2038ReadBackAndShow) {
    struct Case {
        const wchar_t* text;
        uint64_t utc;
    };
    // This machine's ext4 holds no time before 1901-12-14, so the early case is 1950, not 1900.
    const Case cases[] = {
        {L"2100-01-01 00:00:00", FromLocal(2100, 1, 1, 0, 0, 0)},
        {L"1950-06-01 12:00:00", FromLocal(1950, 6, 1, 12, 0, 0)},
        {L"2038-01-19 11:14:08", FromLocal(2038, 1, 19, 11, 14, 8)},
    };
    FakeUiServices ui;
    ScratchFolder scratch;
    MainDialog dialog;
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.text));
        const std::string path = scratch.WriteFile("file" + std::to_string(++n));
        dialog.Load(path);
        Type(dialog, {c.text, c.text, c.text});
        EXPECT_TRUE(dialog->ApplyTimes());
        const FileTimes written = ReadTimes(path);
        EXPECT_EQ(written.written, c.utc);
        EXPECT_EQ(written.accessed, c.utc);

        dialog.Load(path);  // and shown as typed when loaded again
        EXPECT_EQ(dialog.Text(IDC_EDIT_MODIFIED), c.text);
        EXPECT_EQ(dialog.Text(IDC_EDIT_ACCESSED), c.text);
    }
    EXPECT_TRUE(ui.messages.empty());
}

TEST(TimeWrite, OtherSeparatorsAreAccepted) {
    FakeUiServices ui;
    ScratchFolder scratch;
    MainDialog dialog;
    const std::string path = scratch.WriteFile("file.txt");
    dialog.Load(path);
    Type(dialog, {L"2015/01/02T03.04.05", L"2015/01/02T03.04.05", L"2015#01#02_03;04,05"});
    EXPECT_TRUE(dialog->ApplyTimes());
    EXPECT_TRUE(ui.messages.empty());
    const FileTimes written = ReadTimes(path);
    EXPECT_EQ(written.written, FromLocal(2015, 1, 2, 3, 4, 5));
    EXPECT_EQ(written.accessed, FromLocal(2015, 1, 2, 3, 4, 5));
}

TEST(TimeRefusal, EachBadTextIsRefusedWithItsOwnMessageAndNothingWritten) {
    const wchar_t* good = L"2015-01-02 03:04:05";
    struct Case {
        const char* name;
        TypedTimes typed;
        const std::wstring& message;
    };
    const Case cases[] = {
        {"letter in creation", {L"2015-01-02 03:04:0x", good, good}, kBadCreated},
        {"bad creation and bad access", {L"20150102", good, L"x"}, kBadCreated},
        {"bad last write", {good, L"2015-01-02 03:04", good}, kBadModified},
        {"bad access", {good, good, L"2015-01-02 03:04:05 "}, kBadAccessed},
        {"bad last write and bad access", {good, L"", L""}, kBadModified},
        {"leading blank", {L" 2015-01-02 03:04:05", good, good}, kBadCreated},
        {"18 characters", {good, L"2015-01-02 03:04:5", good}, kBadModified},
        // Two bytes in the ANSI code page: the text is 20 bytes long.
        {"full-width digit", {good, good, L"\uFF12015-01-02 03:04:05"}, kBadAccessed},
        {"month 13", {L"2015-13-02 03:04:05", good, good}, kBadCreated},
        {"month 00", {good, L"2015-00-02 03:04:05", good}, kBadModified},
        {"30 February", {good, L"2015-02-30 03:04:05", good}, kBadModified},
        {"29 February of a common year", {good, good, L"2015-02-29 03:04:05"}, kBadAccessed},
        {"day 00", {L"2015-01-00 03:04:05", good, good}, kBadCreated},
        {"hour 24", {good, good, L"2015-01-02 24:00:00"}, kBadAccessed},
        {"minute 60", {L"2015-01-02 03:60:05", good, good}, kBadCreated},
        {"second 60", {good, L"2015-01-02 03:04:60", good}, kBadModified},
        {"year 0000", {good, good, L"0000-01-01 00:00:00"}, kBadAccessed},
        {"emptied creation", {L"", good, good}, kBadCreated},
        {"emptied last write", {good, L"", good}, kBadModified},
        {"emptied access", {good, good, L""}, kBadAccessed},
    };
    FakeUiServices ui;
    ScratchFolder scratch;
    MainDialog dialog;
    const std::string path = scratch.WriteFile("file.txt");
    WriteTimes(path, DistinctTimes());
    dialog.Load(path);
    ASSERT_TRUE(dialog->IsTargetLoaded());
    // Taken after the load, which reads the file for its version information: Linux then moves
    // an access time that is older than the last status change.
    const FileTimes before = ReadTimes(path);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ui.messages.clear();
        Type(dialog, c.typed);
        EXPECT_FALSE(dialog->ApplyTimes());
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text, c.message);
        EXPECT_EQ(ui.messages[0].caption, kAppName);
        EXPECT_EQ(ui.messages[0].owner, dialog.hwnd());
        EXPECT_EQ(ui.messages[0].type, static_cast<UINT>(MB_OK));

        const FileTimes after = ReadTimes(path);
        EXPECT_EQ(after.created, before.created);
        EXPECT_EQ(after.accessed, before.accessed);
        EXPECT_EQ(after.written, before.written);
        // The texts stay for correction.
        EXPECT_EQ(dialog.Text(IDC_EDIT_NEW_CREATED), c.typed.created);
        EXPECT_EQ(dialog.Text(IDC_EDIT_NEW_MODIFIED), c.typed.modified);
        EXPECT_EQ(dialog.Text(IDC_EDIT_NEW_ACCESSED), c.typed.accessed);
    }
}

// A file time of zero tells the platform to leave that time as it is, so the first moment a file
// time can hold is refused like a text out of range rather than silently not written.
TEST(TimeRefusal, TheFirstMomentOfAFileTimeIsRefused) {
    const FILETIME zero{0, 0};
    FILETIME localZero{};
    SYSTEMTIME local{};
    if (!::FileTimeToLocalFileTime(&zero, &localZero) ||
        !::FileTimeToSystemTime(&localZero, &local) || local.wYear != 1601) {
        GTEST_SKIP() << "west of UTC the first moment of a file time has no local time text";
    }
    const std::wstring first = LocalText(0);
    FakeUiServices ui;
    ScratchFolder scratch;
    MainDialog dialog;
    const std::string path = scratch.WriteFile("file.txt");
    dialog.Load(path);
    const FileTimes before = ReadTimes(path);
    const std::wstring good = L"2015-01-02 03:04:05";
    Type(dialog, {good.c_str(), good.c_str(), first.c_str()});
    EXPECT_FALSE(dialog->ApplyTimes());
    EXPECT_EQ(ui.Texts(), std::vector<std::wstring>{kBadAccessed}) << WideToUtf8(first);
    EXPECT_EQ(ReadTimes(path).written, before.written);
}

TEST(TimeRefusal, ATargetThatCannotBeOpenedIsReported) {
    FakeUiServices ui;
    ScratchFolder scratch;
    MainDialog dialog;
    const TypedTimes typed{L"2011-02-03 04:05:06", L"2012-03-04 05:06:07", L"2013-04-05 06:07:08"};

    auto expectOneFailure = [&] {
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text, kTimesFailed);
        EXPECT_EQ(ui.messages[0].caption, kCaptionHint);
        EXPECT_EQ(ui.messages[0].owner, dialog.hwnd());
        EXPECT_EQ(ui.messages[0].type, static_cast<UINT>(MB_OK));
    };

    {
        SCOPED_TRACE("deleted after the load");
        const std::string path = scratch.WriteFile("gone.txt");
        dialog.Load(path);
        ASSERT_TRUE(::DeleteFileA(path.c_str()));
        Type(dialog, typed);
        ui.messages.clear();
        EXPECT_FALSE(dialog->ApplyTimes());
        expectOneFailure();
        EXPECT_EQ(::GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);  // not made
    }
    {
        SCOPED_TRACE("held open without sharing");
        const std::string path = scratch.WriteFile("held.txt");
        WriteTimes(path, DistinctTimes());
        dialog.Load(path);
        const FileTimes before = ReadTimes(path);  // after the load's read, as above
        Type(dialog, typed);
        ui.messages.clear();
        HANDLE held = ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        EXPECT_FALSE(dialog->ApplyTimes());
        ::CloseHandle(held);
        expectOneFailure();
        const FileTimes after = ReadTimes(path);
        EXPECT_EQ(after.accessed, before.accessed);
        EXPECT_EQ(after.written, before.written);
    }
}

TEST(TimeRefusal, AReadOnlyFileIsReported) {
    FakeUiServices ui;
    ScratchFolder scratch;
    MainDialog dialog;
    const std::string path = scratch.WriteFile("read-only.txt");
    ASSERT_TRUE(::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    HANDLE probe = ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe != INVALID_HANDLE_VALUE) {
        ::CloseHandle(probe);
        GTEST_SKIP() << "the platform opens a read-only file for writing here (Wine as root)";
    }
    const FileTimes before = ReadTimes(path);
    dialog.Load(path);
    Type(dialog, {L"2011-02-03 04:05:06", L"2012-03-04 05:06:07", L"2013-04-05 06:07:08"});
    EXPECT_FALSE(dialog->ApplyTimes());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, kTimesFailed);
    EXPECT_EQ(ui.messages[0].caption, kCaptionHint);
    EXPECT_EQ(ReadTimes(path).written, before.written);
}

}  // namespace
