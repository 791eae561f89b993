// Quorvane's benchmark: start-up and memory against a bare dialog program, loading and modifying
// targets of very different sizes (version strings stored in place and grown), size, a soak of many
// modifications in the running program, and quorvane-cli.exe over a thousand targets in one call
// against one. Prints one Markdown table of medians and ratios. Run by scripts/bench, under Wine in
// Chinese (PRC) on a virtual display.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/UiServices.h"
#include "platform/WinApp.h"
#include "res/resource.h"
#include "tests/e2e/Driver.h"
#include "tests/support/VersionImage.h"
#include "ui/AttribToolDlg.h"
#include "version/VersionFile.h"

namespace {

// Of each program, alternating. Under Wine one start differs from the next by up to a tenth; with
// fifty of each the ratio of the medians moves by a few hundredths from run to run.
constexpr int kStartRuns = 50;
constexpr int kSmallLoads = 200;
constexpr int kLargeLoads = 50;
constexpr int kSmallStores = 100;
constexpr int kLargeStores = 30;
constexpr int kGrowths = 30;
constexpr int kSoakCycles = 300;
constexpr int kCliRuns = 10;  // of each call, alternating
constexpr int kCliMemoryRuns = 3;
constexpr int kCliCopies = 1000;
constexpr int kCliNamings = 10;  // the copies named ten times over: 10,000 targets

constexpr uint64_t kSmallSize = 100 * 1024;
constexpr uint64_t kLargeSize = 200ull * 1024 * 1024;
constexpr uint64_t kSparseSize = 1024ull * 1024 * 1024;
constexpr uint32_t kCraftedTables = 20000;  // sections, and languages of the version type
constexpr double kSizeLimit = 307200;

// What the fixture ver_chinese.exe holds as its product version, and every modification's report.
const wchar_t* const kFixtureProductVersion = L"1.0.0.123";
const wchar_t* const kDone = L"提示|文件修改完成!";

// The platform's high-resolution counter, in milliseconds.
double Now() {
    static const double ticksPerMs = [] {
        LARGE_INTEGER frequency;
        ::QueryPerformanceFrequency(&frequency);
        return frequency.QuadPart / 1000.0;
    }();
    LARGE_INTEGER counter;
    ::QueryPerformanceCounter(&counter);
    return counter.QuadPart / ticksPerMs;
}

double Median(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    const size_t middle = samples.size() / 2;
    return samples.size() % 2 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2;
}

// In UTF-8: the C library's own conversion of wide text knows ASCII alone.
[[noreturn]] void Fail(const std::wstring& what) {
    std::string text(
        ::WideCharToMultiByte(CP_UTF8, 0, what.c_str(), -1, nullptr, 0, nullptr, nullptr), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, what.c_str(), -1, text.data(), static_cast<int>(text.size()),
                          nullptr, nullptr);
    std::fprintf(stderr, "bench: %s\n", text.c_str());
    std::exit(1);
}

std::wstring NameOf(const std::wstring& path) {
    return path.substr(path.rfind(L'\\') + 1);
}

// A product version of the fixture's length, different for each count up to a thousand.
std::wstring ProductVersion(int count) {
    wchar_t text[16];
    swprintf(text, 16, L"2.0.0.%03d", (count % 1000 + 1000) % 1000);
    return text;
}

// ---- The programs as their own processes ----

// Started through the driver, which returns once the dialog answers: the moment a user could
// work with it. The bare dialog bears Quorvane's caption, so both are waited for alike.
std::unique_ptr<Program> Start(const std::wstring& exe) {
    auto program = std::make_unique<Program>(L"\"" + exe + L"\"");
    if (!program->main) Fail(L"no dialog appeared in " + exe);
    return program;
}

void Stop(const Program& program) {
    Click(program.main, IDCANCEL);
    if (program.WaitForExit(10000) == STILL_ACTIVE) Fail(L"a program did not end on 退出");
}

PROCESS_MEMORY_COUNTERS MemoryOf(const Program& program) {
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    if (!::GetProcessMemoryInfo(program.process, &memory, sizeof memory) ||
        memory.PeakWorkingSetSize == 0) {
        Fail(L"the platform reports no working set for another process");
    }
    return memory;
}

// ---- The soak's counts ----

using QuerySystemInformation = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);
using QueryObject = LONG(WINAPI*)(HANDLE, ULONG, void*, ULONG, ULONG*);

template <typename Function>
Function NtdllEntry(const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void (*)()>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), name)));
}

// The process's handles, from the system's list of open handles: Wine answers
// GetProcessHandleCount with 0 but keeps that list.
std::vector<ULONG_PTR> HandlesOf(DWORD processId) {
    struct Entry {  // SYSTEM_HANDLE_TABLE_ENTRY_INFO_EX
        void* object;
        ULONG_PTR processId;
        ULONG_PTR handle;
        ULONG access;
        USHORT creatorBackTraceIndex;
        USHORT objectTypeIndex;
        ULONG attributes;
        ULONG reserved;
    };
    struct List {  // SYSTEM_HANDLE_INFORMATION_EX
        ULONG_PTR count;
        ULONG_PTR reserved;
        Entry entries[1];
    };
    constexpr ULONG kExtendedHandleInformation = 64;
    constexpr LONG kLengthMismatch = static_cast<LONG>(0xC0000004);
    const auto query = NtdllEntry<QuerySystemInformation>("NtQuerySystemInformation");
    std::vector<ULONG_PTR> buffer(1 << 14);
    LONG status;
    while ((status = query(kExtendedHandleInformation, buffer.data(),
                           static_cast<ULONG>(buffer.size() * sizeof(ULONG_PTR)), nullptr)) ==
           kLengthMismatch) {
        buffer.resize(buffer.size() * 2);
    }
    if (status != 0) Fail(L"the platform gives no list of open handles");
    std::vector<ULONG_PTR> handles;
    const auto* list = reinterpret_cast<const List*>(buffer.data());
    for (ULONG_PTR i = 0; i < list->count; ++i) {
        if (list->entries[i].processId == processId) handles.push_back(list->entries[i].handle);
    }
    return handles;
}

// The text of an object's type (information class 2) or name (class 1).
std::wstring ObjectText(HANDLE object, ULONG informationClass) {
    struct Text {  // UNICODE_STRING, the start of both answers
        USHORT length;
        USHORT capacity;
        const wchar_t* units;
    };
    const auto query = NtdllEntry<QueryObject>("NtQueryObject");
    std::vector<ULONG_PTR> buffer(1024);
    if (query(object, informationClass, buffer.data(),
              static_cast<ULONG>(buffer.size() * sizeof(ULONG_PTR)), nullptr) != 0) {
        return L"";
    }
    const auto* text = reinterpret_cast<const Text*>(buffer.data());
    return text->units ? std::wstring(text->units, text->length / sizeof(wchar_t)) : L"";
}

// Whether the handle is the registry key that Wine's open-file dialog opens on every confirmed
// choice and never closes (...\ComDlg32\LastVisitedMRU): the platform's leak, not the program's.
// Only keys are asked for their names: asking some other kinds of object can block.
bool IsDialogHistoryKey(HANDLE process, ULONG_PTR handle) {
    HANDLE copy = nullptr;
    if (!::DuplicateHandle(process, reinterpret_cast<HANDLE>(handle), ::GetCurrentProcess(), &copy,
                           0, FALSE, DUPLICATE_SAME_ACCESS)) {
        return false;
    }
    const std::wstring suffix = L"\\ComDlg32\\LastVisitedMRU";
    bool history = false;
    if (ObjectText(copy, 2) == L"Key") {
        const std::wstring name = ObjectText(copy, 1);
        history = name.size() >= suffix.size() &&
                  _wcsicmp(name.c_str() + name.size() - suffix.size(), suffix.c_str()) == 0;
    }
    ::CloseHandle(copy);
    return history;
}

struct WindowCount {
    DWORD processId;
    int count;
};

BOOL CALLBACK CountTopLevel(HWND window, LPARAM param) {
    auto* windows = reinterpret_cast<WindowCount*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == windows->processId) ++windows->count;
    return TRUE;
}

// What a leak would raise. Wine counts no GDI or USER objects (GetGuiResources answers 0); a
// dialog left behind shows among the top-level windows, visible or not.
struct Usage {
    int handles = 0;
    int dialogHistoryKeys = 0;  // left out of the handles
    int windows = 0;
    SIZE_T workingSet = 0;
};

Usage UsageOf(const Program& program) {
    // A message box that has been answered is hidden at once but destroyed a moment later.
    ::Sleep(250);
    Usage usage;
    for (ULONG_PTR handle : HandlesOf(program.id)) {
        ++(IsDialogHistoryKey(program.process, handle) ? usage.dialogHistoryKeys : usage.handles);
    }
    WindowCount windows{program.id, 0};
    ::EnumWindows(&CountTopLevel, reinterpret_cast<LPARAM>(&windows));
    usage.windows = windows.count;
    usage.workingSet = MemoryOf(program).WorkingSetSize;
    return usage;
}

// ---- The targets ----

class Targets {
  public:
    Targets() {
        wchar_t base[MAX_PATH];
        ::GetTempPathW(MAX_PATH, base);
        folder_ =
            std::wstring(base) + L"quorvane-bench-" + std::to_wstring(::GetCurrentProcessId());
        soakFolder_ = folder_ + L"\\soak";
        ::CreateDirectoryW(folder_.c_str(), nullptr);
        ::CreateDirectoryW(soakFolder_.c_str(), nullptr);
        small = MakeProgram(folder_ + L"\\small.exe", kSmallSize);
        large = MakeProgram(folder_ + L"\\large.exe", kLargeSize);
        // Wine's winver.exe keeps its manifest after its version block, and free space after both.
        wchar_t system[MAX_PATH];
        const std::wstring winver =
            std::wstring(system, ::GetSystemDirectoryW(system, MAX_PATH)) + L"\\winver.exe";
        smallMoved = MakeProgram(folder_ + L"\\small-moved.exe", kSmallSize, false, winver);
        largeMoved = MakeProgram(folder_ + L"\\large-moved.exe", kLargeSize, false, winver);
        huge = MakeProgram(folder_ + L"\\huge.exe", kSparseSize, true);
        crafted = MakeCrafted(folder_ + L"\\crafted.exe");
        // Alone in its folder, so that the file dialog lists no more than it.
        soak = MakeProgram(soakFolder_ + L"\\target.exe", 0);
        sparse = folder_ + L"\\sparse.bin";
        HANDLE file = ::CreateFileW(sparse.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        LARGE_INTEGER end;
        end.QuadPart = static_cast<LONGLONG>(kSparseSize);
        // Never written: on Linux the file system keeps the whole gigabyte as a hole.
        if (file == INVALID_HANDLE_VALUE || !::SetFilePointerEx(file, end, nullptr, FILE_BEGIN) ||
            !::SetEndOfFile(file)) {
            Fail(L"cannot make " + sparse);
        }
        ::CloseHandle(file);
    }
    ~Targets() {
        for (const std::wstring& path :
             {small, large, smallMoved, largeMoved, huge, crafted, sparse, soak, small + L"_bak",
              large + L"_bak", soak + L"_bak"}) {
            ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            ::DeleteFileW(path.c_str());
        }
        ::RemoveDirectoryW(soakFolder_.c_str());
        ::RemoveDirectoryW(folder_.c_str());
    }

    std::wstring small;
    std::wstring large;
    std::wstring smallMoved, largeMoved;  // whose version block, grown, moves to free space
    std::wstring huge;                    // 1 GiB, its appended data a hole in the file
    std::wstring crafted;  // sections and languages by the ten thousand, no version data mapped
    std::wstring sparse;
    std::wstring soak;

  private:
    // A copy of a program with a Chinese version resource (or of `from`), brought to the size
    // (when larger) by data appended after its last section, as installers carry their payload; a
    // hole when `sparse`. Its checksum, valid before, is then wrong but not zero.
    static std::wstring MakeProgram(
        const std::wstring& path, uint64_t size, bool sparse = false,
        const std::wstring& from = BuildPath(L"tests/fixtures/ver_chinese.exe")) {
        if (!::CopyFileW(from.c_str(), path.c_str(), FALSE)) Fail(L"cannot copy " + from);
        HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        LARGE_INTEGER have{};
        ::GetFileSizeEx(file, &have);
        if (sparse) {
            LARGE_INTEGER end;
            end.QuadPart = static_cast<LONGLONG>(size);
            if (!::SetFilePointerEx(file, end, nullptr, FILE_BEGIN) || !::SetEndOfFile(file)) {
                Fail(L"cannot make " + path);
            }
            size = have.QuadPart;
        }
        ::SetFilePointer(file, 0, nullptr, FILE_END);
        std::vector<char> chunk(1 << 20);
        for (size_t i = 0; i < chunk.size(); ++i) chunk[i] = static_cast<char>('A' + i % 26);
        for (uint64_t left = size - std::min<uint64_t>(size, have.QuadPart); left > 0;) {
            const DWORD count = static_cast<DWORD>(std::min<uint64_t>(left, chunk.size()));
            DWORD written = 0;
            if (!::WriteFile(file, chunk.data(), count, &written, nullptr) || written != count) {
                Fail(L"cannot write " + path);
            }
            left -= count;
        }
        ::CloseHandle(file);
        return path;
    }

    // A file whose reading would cost sections times languages if each language were placed in
    // the file: every language's data lies outside every section.
    static std::wstring MakeCrafted(const std::wstring& path) {
        fixture::PeFile file = fixture::MakePeFile(
            std::vector<std::pair<uint16_t, fixture::Bytes>>(kCraftedTables, {0x0411, {}}), 0,
            kCraftedTables);
        for (uint32_t i = 0; i < kCraftedTables; ++i) {
            fixture::Put32(file.bytes, file.dataEntries + 16 * i, 0x7FFF0000);
        }
        WriteAll(path, std::string(file.bytes.begin(), file.bytes.end()));
        return path;
    }

    std::wstring folder_;
    std::wstring soakFolder_;
};

// ---- Loading and modifying, in-process through the real dialog ----

// Records each message as "caption|text" and answers it with OK, so that nothing waits.
class RecordingUi : public UiServices {
  public:
    RecordingUi() { SetUiServices(this); }
    ~RecordingUi() override { SetUiServices(nullptr); }
    int ShowMessage(HWND, const CString& text, const CString& caption, UINT) override {
        messages.push_back(caption + L"|" + text);
        return IDOK;
    }
    std::vector<CString> messages;
};

// The main dialog, made without a modal loop so that its handlers can be called directly.
class Form {
  public:
    Form() {
        AfxGetApp()->m_pMainWnd = &dialog;
        if (!dialog.Create()) Fail(L"cannot create the main dialog");
    }
    ~Form() { AfxGetApp()->m_pMainWnd = nullptr; }
    HWND Item(int id) const { return ::GetDlgItem(dialog.m_hWnd, id); }
    std::wstring Text(int id) const { return TextOf(Item(id)); }

    // Loads the target as a drop of it does.
    void Drop(const std::wstring& path) { dialog.OnDropFiles(MakeDrop({path})); }

    CAttribToolDlg dialog;
};

// Loads the target `runs` times, as a drop does; the median time of one load.
double MedianLoad(Form& form, RecordingUi& ui, const std::wstring& path, int runs) {
    std::vector<double> samples;
    for (int run = -3; run < runs; ++run) {  // three loads to warm up
        const double begin = Now();
        form.Drop(path);
        const double took = Now() - begin;
        if (run >= 0) samples.push_back(took);
    }
    if (!ui.messages.empty()) Fail(L"loading " + path + L" showed " + ui.messages.front());
    if (form.Text(IDC_EDIT_NAME) != NameOf(path)) Fail(L"did not load " + path);
    return Median(samples);
}

// Loads the target and stores an edited product version through "修改" with only the version
// box ticked, `runs` times; the median time of one "修改". Each load shows what the one before
// stored.
double MedianStore(Form& form, RecordingUi& ui, const std::wstring& path, int runs) {
    std::vector<double> samples;
    std::wstring stored = kFixtureProductVersion;
    for (int run = -2; run < runs; ++run) {
        form.Drop(path);
        if (form.Text(IDC_EDIT_PRODUCTVERSION) != stored) Fail(L"no version stored in " + path);
        stored = ProductVersion(run);
        ::SetWindowTextW(form.Item(IDC_EDIT_PRODUCTVERSION), stored.c_str());
        SetItemChecked(form.dialog.m_hWnd, IDC_CHK_OPT_BASIC, false);
        SetItemChecked(form.dialog.m_hWnd, IDC_CHK_OPT_BACKUP, false);
        SetItemChecked(form.dialog.m_hWnd, IDC_CHK_OPT_VERSION, true);
        const double begin = Now();
        form.dialog.OnOK();
        const double took = Now() - begin;
        if (ui.messages != std::vector<CString>{kDone}) Fail(L"storing the version of " + path);
        ui.messages.clear();
        if (run >= 0) samples.push_back(took);
    }
    return Median(samples);
}

// Grows CompanyName beyond its room as the command line does, through the engine in this process:
// a read and a store, of each program in turn; the median time of one of each. The programs'
// first 64 KiB, which hold every section of them, are put back after each, so that each store
// grows the block again.
std::pair<double, double> MedianGrowths(const std::wstring& small, const std::wstring& large,
                                        VersionPlacement placement, int runs) {
    const VersionChanges changes{{{7, u"Telvaro Software, a company name longer than before"}}};
    const std::string heads[] = {ReadAll(small).substr(0, 64 * 1024), ReadAll(large, 64 * 1024)};
    const auto grow = [&](const std::wstring& path, const std::string& head) {
        const double begin = Now();
        const VersionStoreResult stored =
            StoreVersionStrings(path, ReadVersionStrings(path), changes, {true});
        const double took = Now() - begin;
        if (stored.outcome != VersionStoreResult::Outcome::Stored || stored.placement != placement)
            Fail(L"did not grow the version block of " + path);
        HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        ::WriteFile(file, head.data(), static_cast<DWORD>(head.size()), &written, nullptr);
        ::CloseHandle(file);
        return took;
    };
    std::vector<double> smallTimes, largeTimes;
    for (int run = -2; run < runs; ++run) {
        const double smallTime = grow(small, heads[0]), largeTime = grow(large, heads[1]);
        if (run >= 0) smallTimes.push_back(smallTime), largeTimes.push_back(largeTime);
    }
    return {Median(smallTimes), Median(largeTimes)};
}

// ---- The command line as its own process ----

// Copies of the fixture for quorvane-cli.exe, in a folder of their own that is its current folder,
// so that a thousand names fit on one command line: 000.exe to 999.exe, and single.exe, which no
// pattern of three characters matches.
class Copies {
  public:
    Copies() {
        wchar_t base[MAX_PATH];
        ::GetTempPathW(MAX_PATH, base);
        folder =
            std::wstring(base) + L"quorvane-bench-cli-" + std::to_wstring(::GetCurrentProcessId());
        ::CreateDirectoryW(folder.c_str(), nullptr);
        const std::wstring fixture = BuildPath(L"tests/fixtures/ver_chinese.exe");
        for (int i = 0; i <= kCliCopies; ++i) {
            const std::wstring name = i < kCliCopies ? NameOf(i) : L"single.exe";
            if (!::CopyFileW(fixture.c_str(), (folder + L"\\" + name).c_str(), FALSE)) {
                Fail(L"cannot copy the fixture ver_chinese.exe");
            }
            if (i < kCliCopies) all += (i ? L" " : L"") + name;
        }
    }
    ~Copies() { RemoveTree(folder); }

    std::wstring folder;
    std::wstring all;  // the thousand names, without single.exe

  private:
    static std::wstring NameOf(int i) {
        wchar_t name[16];
        swprintf(name, 16, L"%03d.exe", i);
        return name;
    }
};

SIZE_T PeakWorkingSetOf(HANDLE process) {
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    return ::GetProcessMemoryInfo(process, &memory, sizeof memory) ? memory.PeakWorkingSetSize : 0;
}

struct CliRun {
    double ms;
    SIZE_T peakWorkingSet;
};

// Runs quorvane-cli.exe in the copies' folder as a script would, its standard output and error
// drained from a pipe, and checks that it succeeded and printed `marker` once for each of the
// `targets`; the time from its start until it has exited. When `watch`, follows its peak working
// set too: Wine answers for another process only while it runs (with zeros once it has exited), so
// it is read every millisecond until the exit, and once more after it for Windows' final answer.
CliRun RunCli(const Copies& copies, const std::wstring& arguments, size_t targets,
              const std::string& marker, bool watch = false) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE read, write;
    if (!::CreatePipe(&read, &write, &inherit, 0)) Fail(L"cannot make a pipe");
    ::SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW start{};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdOutput = start.hStdError = write;
    const std::wstring exe = BuildPath(L"quorvane-cli.exe");
    std::wstring line = L"\"" + exe + L"\" " + arguments;
    PROCESS_INFORMATION process{};
    const double begin = Now();
    const bool started = ::CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, TRUE, 0,
                                          nullptr, copies.folder.c_str(), &start, &process);
    ::CloseHandle(write);
    if (!started) Fail(L"cannot start " + exe);
    CliRun run{0, 0};
    std::thread watcher;
    if (watch) {
        watcher = std::thread([&run, &process] {
            do {
                run.peakWorkingSet =
                    std::max(run.peakWorkingSet, PeakWorkingSetOf(process.hProcess));
            } while (::WaitForSingleObject(process.hProcess, 1) == WAIT_TIMEOUT);
            run.peakWorkingSet = std::max(run.peakWorkingSet, PeakWorkingSetOf(process.hProcess));
        });
    }
    std::string output;
    char chunk[64 * 1024];
    for (DWORD got; ::ReadFile(read, chunk, sizeof chunk, &got, nullptr) && got;) {
        output.append(chunk, got);
    }
    ::WaitForSingleObject(process.hProcess, INFINITE);
    run.ms = Now() - begin;
    if (watcher.joinable()) watcher.join();
    DWORD status = 1;
    ::GetExitCodeProcess(process.hProcess, &status);
    ::CloseHandle(process.hProcess);
    ::CloseHandle(process.hThread);
    ::CloseHandle(read);
    size_t printed = 0;
    for (size_t at = 0; (at = output.find(marker, at)) != std::string::npos; at += marker.size()) {
        ++printed;
    }
    if (status != 0 || printed != targets) {
        std::fprintf(stderr, "%s\n", output.substr(0, 2000).c_str());
        Fail(L"quorvane-cli.exe " + arguments.substr(0, 60) + L"... ended with " +
             std::to_wstring(status) + L", " + std::to_wstring(printed) + L" of " +
             std::to_wstring(targets) + L" targets done");
    }
    if (watch && run.peakWorkingSet == 0) {
        Fail(L"the platform reports no working set for quorvane-cli.exe");
    }
    return run;
}

// ---- The table ----

std::string Ms(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f ms", value);
    return text;
}

std::string MiBText(SIZE_T bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MiB", bytes / (1024.0 * 1024.0));
    return text;
}

std::string Ratio(double value, double base) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", base > 0 ? value / base : 0.0);
    return text;
}

void Row(const std::string& figure, const std::string& runs, const std::string& median,
         const std::string& against, const std::string& ratio) {
    std::printf("| %s | %s | %s | %s | %s |\n", figure.c_str(), runs.c_str(), median.c_str(),
                against.c_str(), ratio.c_str());
}

}  // namespace

int main() {
    if (::GetACP() != 936) Fail(L"the ANSI code page is not 936: run with LC_ALL=zh_CN.UTF-8");
    CWinApp app;
    Targets targets;
    const std::wstring quorvane = BuildPath(L"Quorvane.exe");
    const std::wstring bare = BuildPath(L"bench/bare_dialog.exe");

    // Start-up: one start of each first (not counted), then the two programs in turn.
    std::vector<double> quorvaneStarts;
    std::vector<double> bareStarts;
    const auto timeStart = [](const std::wstring& exe) {
        const double begin = Now();
        const auto program = Start(exe);
        const double took = Now() - begin;
        Stop(*program);
        return took;
    };
    for (int run = -1; run < kStartRuns; ++run) {
        const double quorvaneStart = timeStart(quorvane), bareStart = timeStart(bare);
        if (run >= 0) {
            quorvaneStarts.push_back(quorvaneStart);
            bareStarts.push_back(bareStart);
        }
    }

    // Memory: the peak working set of each program once its dialog is up, and Quorvane's once
    // it has loaded the 200 MB executable, chosen through its file dialog.
    SIZE_T bareMemory, startedMemory, loadedMemory;
    {
        const auto program = Start(bare);
        bareMemory = MemoryOf(*program).PeakWorkingSetSize;
        Stop(*program);
    }
    {
        const auto program = Start(quorvane);
        startedMemory = MemoryOf(*program).PeakWorkingSetSize;
        // The program answers only once its load has finished.
        if (!program->ChooseFile(targets.large) ||
            ItemText(program->main, IDC_EDIT_NAME) != NameOf(targets.large)) {
            Fail(L"Quorvane.exe did not load the 200 MB executable");
        }
        loadedMemory = MemoryOf(*program).PeakWorkingSetSize;
        Stop(*program);
    }

    // Soak: the same target chosen through the file dialog and modified with a backup, again
    // and again; each choice shows the product version that the cycle before stored.
    Usage afterFirst, afterLast;
    {
        const auto program = Start(quorvane);
        const HWND main = program->main;
        std::wstring stored = kFixtureProductVersion;
        for (int cycle = 0; cycle < kSoakCycles; ++cycle) {
            if (!program->ChooseFile(targets.soak) ||
                ItemText(main, IDC_EDIT_NAME) != NameOf(targets.soak) ||
                ItemText(main, IDC_EDIT_PRODUCTVERSION) != stored) {
                Fail(L"soak: cycle " + std::to_wstring(cycle) + L" did not load the target");
            }
            stored = ProductVersion(cycle);
            SetItemText(main, IDC_EDIT_PRODUCTVERSION, stored);
            SetItemChecked(main, IDC_CHK_OPT_BACKUP, true);
            SetItemChecked(main, IDC_CHK_OPT_VERSION, true);
            Click(main, IDOK);
            const std::wstring message = program->AnswerMessage();
            if (message != kDone) Fail(L"soak: cycle " + std::to_wstring(cycle) + L": " + message);
            if (cycle == 0) afterFirst = UsageOf(*program);
        }
        afterLast = UsageOf(*program);
        Stop(*program);
        if (::GetFileAttributesW((targets.soak + L"_bak").c_str()) == INVALID_FILE_ATTRIBUTES) {
            Fail(L"soak: no backup was made");
        }
    }

    // The command line: a thousand targets in one call against one, the two calls in turn. Each
    // set stores the other of two product names and flips the hidden bit (Wine keeps the archive
    // bit set whatever is written), so that every call really writes every target.
    const Copies copies;
    const std::string shown = "{\"path\":", written = u8"文件修改完成!";
    std::vector<double> showMany, showOne, setMany, setOne;
    for (int run = -1; run < kCliRuns; ++run) {
        const double many = RunCli(copies, L"show --json " + copies.all, kCliCopies, shown).ms;
        const double one = RunCli(copies, L"show --json single.exe", 1, shown).ms;
        if (run >= 0) {
            showMany.push_back(many);
            showOne.push_back(one);
        }
    }
    // Peak working set over ten targets and over ten thousand: the thousand copies named ten
    // times, by a pattern that matches them all.
    std::vector<double> memoryFew, memoryMany;
    std::wstring everyCopy;
    for (int i = 0; i < kCliNamings; ++i) everyCopy += L" ???.exe";
    for (int run = 0; run < kCliMemoryRuns; ++run) {
        memoryFew.push_back(RunCli(copies, L"show --json 00?.exe", 10, shown, true).peakWorkingSet);
        memoryMany.push_back(
            RunCli(copies, L"show --json" + everyCopy, kCliCopies * kCliNamings, shown, true)
                .peakWorkingSet);
    }
    for (int run = -1; run < kCliRuns; ++run) {
        const std::wstring change = run % 2 ? L"set --version ProductName=产品甲 --attrib +H "
                                            : L"set --version ProductName=产品乙 --attrib -H ";
        const double many = RunCli(copies, change + copies.all, kCliCopies, written).ms;
        const double one = RunCli(copies, change + L"single.exe", 1, written).ms;
        if (run >= 0) {
            setMany.push_back(many);
            setOne.push_back(one);
        }
    }

    // Loading and storing, in this process through the real dialog.
    RecordingUi ui;
    Form form;
    const double loadSmall = MedianLoad(form, ui, targets.small, kSmallLoads);
    const double loadLarge = MedianLoad(form, ui, targets.large, kLargeLoads);
    const double loadSparse = MedianLoad(form, ui, targets.sparse, kLargeLoads);
    const double loadCrafted = MedianLoad(form, ui, targets.crafted, kLargeLoads);
    const double storeSmall = MedianStore(form, ui, targets.small, kSmallStores);
    const double storeLarge = MedianStore(form, ui, targets.large, kLargeStores);
    const double storeHuge = MedianStore(form, ui, targets.huge, kLargeStores);
    const auto [growSmall, growLarge] =
        MedianGrowths(targets.small, targets.large, VersionPlacement::InPlace, kGrowths);
    const auto [moveSmall, moveLarge] = MedianGrowths(targets.smallMoved, targets.largeMoved,
                                                      VersionPlacement::FreeSpace, kGrowths);

    const auto sizeOf = [](const std::wstring& path) {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        ::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
        return static_cast<double>(data.nFileSizeLow);
    };
    const double size = sizeOf(quorvane), cliSize = sizeOf(BuildPath(L"quorvane-cli.exe"));

    const std::string starts = std::to_string(kStartRuns) + " + " + std::to_string(kStartRuns);
    const std::string cycles = std::to_string(kSoakCycles);
    const double bareStart = Median(bareStarts), quorvaneStart = Median(quorvaneStarts);
    std::printf("| Figure | Runs | Median | Against | Ratio |\n");
    std::printf("|---|---:|---:|---|---:|\n");
    Row("Start-up until the dialog answers", starts, Ms(quorvaneStart),
        "bare dialog: " + Ms(bareStart), Ratio(quorvaneStart, bareStart));
    Row("Load: 100 KB executable", std::to_string(kSmallLoads), Ms(loadSmall), "—", "1.00");
    Row("Load: 200 MB executable, appended data", std::to_string(kLargeLoads), Ms(loadLarge),
        "100 KB executable", Ratio(loadLarge, loadSmall));
    Row("Load: 1 GiB sparse file", std::to_string(kLargeLoads), Ms(loadSparse), "100 KB executable",
        Ratio(loadSparse, loadSmall));
    Row("Load: 1.3 MB crafted file, 20,000 sections and 20,000 languages",
        std::to_string(kLargeLoads), Ms(loadCrafted), "100 KB executable",
        Ratio(loadCrafted, loadSmall));
    Row("Modify: store version strings, 100 KB executable", std::to_string(kSmallStores),
        Ms(storeSmall), "—", "1.00");
    Row("Modify: store version strings, 200 MB executable", std::to_string(kLargeStores),
        Ms(storeLarge), "100 KB executable", Ratio(storeLarge, storeSmall));
    Row("Modify: store version strings, 1 GiB executable", std::to_string(kLargeStores),
        Ms(storeHuge), "100 KB executable", Ratio(storeHuge, storeSmall));
    const std::string growths = std::to_string(kGrowths);
    Row("Modify: grow a version string in place, 100 KB executable", growths, Ms(growSmall), "—",
        "1.00");
    Row("Modify: grow a version string in place, 200 MB executable", growths, Ms(growLarge),
        "100 KB executable", Ratio(growLarge, growSmall));
    Row("Modify: grow a version string, moved to free space, 100 KB executable", growths,
        Ms(moveSmall), "—", "1.00");
    Row("Modify: grow a version string, moved to free space, 200 MB executable", growths,
        Ms(moveLarge), "100 KB executable", Ratio(moveLarge, moveSmall));
    const std::string bareText = "bare dialog: " + MiBText(bareMemory);
    Row("Memory: peak working set once the dialog is up", "1", MiBText(startedMemory), bareText,
        Ratio(startedMemory, bareMemory));
    Row("Memory: peak working set after loading the 200 MB executable", "1", MiBText(loadedMemory),
        bareText, Ratio(loadedMemory, bareMemory));
    const auto sizeRow = [](const std::string& program, double bytes) {
        char text[32];
        std::snprintf(text, sizeof text, "%.0f bytes", bytes);
        Row("Size: " + program + " (win64, stripped)", "—", text, "limit: 307200 bytes",
            Ratio(bytes, kSizeLimit));
    };
    sizeRow("Quorvane.exe", size);
    sizeRow("quorvane-cli.exe", cliSize);
    Row("Soak: handles after " + cycles + " cycles, without the " +
            std::to_string(afterLast.dialogHistoryKeys) + " keys that Wine's file dialog left open",
        cycles, std::to_string(afterLast.handles),
        "after the first: " + std::to_string(afterFirst.handles),
        Ratio(afterLast.handles, afterFirst.handles));
    Row("Soak: top-level windows after " + cycles + " cycles", cycles,
        std::to_string(afterLast.windows), "after the first: " + std::to_string(afterFirst.windows),
        Ratio(afterLast.windows, afterFirst.windows));
    Row("Soak: working set after " + cycles + " cycles", cycles, MiBText(afterLast.workingSet),
        "after the first: " + MiBText(afterFirst.workingSet),
        Ratio(afterLast.workingSet, afterFirst.workingSet));
    const std::string cliRuns = std::to_string(kCliRuns) + " + " + std::to_string(kCliRuns);
    const double showManyMs = Median(showMany), showOneMs = Median(showOne);
    const double setManyMs = Median(setMany), setOneMs = Median(setOne);
    Row("Command line: show --json, 1,000 copies of a 16 KB executable in one call", cliRuns,
        Ms(showManyMs), "one target: " + Ms(showOneMs), Ratio(showManyMs, showOneMs));
    Row("Command line: set --version ProductName=… --attrib ±H, the 1,000 copies in one call",
        cliRuns, Ms(setManyMs), "one target: " + Ms(setOneMs), Ratio(setManyMs, setOneMs));
    const auto few = static_cast<SIZE_T>(Median(memoryFew));
    const auto many = static_cast<SIZE_T>(Median(memoryMany));
    Row("Command line: peak working set, show --json over 10,000 targets (the 1,000 copies named "
        "10 times)",
        std::to_string(kCliMemoryRuns) + " + " + std::to_string(kCliMemoryRuns), MiBText(many),
        "10 targets: " + MiBText(few), Ratio(many, few));
    return 0;
}
