// Quorvane's benchmark: start-up against a bare dialog program, loading and modifying targets of
// very different sizes, memory and size. Prints one Markdown table of medians and ratios.
// Run by scripts/bench, under Wine in Chinese (PRC) on a virtual display.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/WinApp.h"
#include "res/resource.h"
#include "tests/e2e/Driver.h"
#include "tests/win/TestSupport.h"

namespace {

constexpr int kStartRuns = 15;  // of each program, alternating
constexpr int kSmallLoads = 200;
constexpr int kLargeLoads = 50;
constexpr int kSmallStores = 100;
constexpr int kLargeStores = 30;

constexpr uint64_t kSmallSize = 100 * 1024;
constexpr uint64_t kLargeSize = 200ull * 1024 * 1024;
constexpr uint64_t kSparseSize = 1024ull * 1024 * 1024;

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

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "bench: %s\n", what.c_str());
    std::exit(1);
}

// ---- Start-up and memory: the programs as their own processes ----

struct Started {
    PROCESS_INFORMATION info{};
    HWND window = nullptr;
    double milliseconds = 0;
};

// Starts the program and waits until its dialog, with the given caption, is shown and answers a
// message: the moment a user could work with it.
Started Start(const std::wstring& program, const wchar_t* caption) {
    Started started;
    std::wstring command = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    const double begin = Now();
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &started.info)) {
        Fail("cannot start " + std::string(program.begin(), program.end()));
    }
    HWND window = WaitForWindow(started.info.dwProcessId, L"#32770", caption, 30000);
    DWORD_PTR result = 0;
    if (!window || !::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result)) {
        Fail("no dialog appeared");
    }
    started.window = window;
    started.milliseconds = Now() - begin;
    return started;
}

void Stop(Started& started) {
    ::PostMessageW(started.window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    if (::WaitForSingleObject(started.info.hProcess, 10000) != WAIT_OBJECT_0) {
        ::TerminateProcess(started.info.hProcess, 1);
    }
    ::CloseHandle(started.info.hThread);
    ::CloseHandle(started.info.hProcess);
}

double PeakWorkingSetMiB(HANDLE process) {
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    if (!::GetProcessMemoryInfo(process, &memory, sizeof memory)) return 0;
    return memory.PeakWorkingSetSize / (1024.0 * 1024.0);
}

// ---- The targets ----

class Targets {
  public:
    Targets() {
        char base[MAX_PATH];
        ::GetTempPathA(MAX_PATH, base);
        folder_ = std::string(base) + "quorvane-bench-" + std::to_string(::GetCurrentProcessId());
        ::CreateDirectoryA(folder_.c_str(), nullptr);
        small = MakeProgram("small.exe", kSmallSize);
        large = MakeProgram("large.exe", kLargeSize);
        sparse = folder_ + "\\sparse.bin";
        HANDLE file = ::CreateFileA(sparse.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        LARGE_INTEGER end;
        end.QuadPart = static_cast<LONGLONG>(kSparseSize);
        // Never written: on Linux the file system keeps the whole gigabyte as a hole.
        if (file == INVALID_HANDLE_VALUE || !::SetFilePointerEx(file, end, nullptr, FILE_BEGIN) ||
            !::SetEndOfFile(file)) {
            Fail("cannot make " + sparse);
        }
        ::CloseHandle(file);
    }
    ~Targets() {
        for (const std::string& path : {small, large, sparse, small + "_bak", large + "_bak"}) {
            ::DeleteFileA(path.c_str());
        }
        ::RemoveDirectoryA(folder_.c_str());
    }

    std::string small;
    std::string large;
    std::string sparse;

  private:
    // A copy of a program with a Chinese version resource, brought to the size by data appended
    // after its last section, as installers carry their payload.
    std::string MakeProgram(const char* name, uint64_t size) {
        const std::string path = folder_ + "\\" + name;
        if (!::CopyFileA(FixturePath("ver_chinese.exe").c_str(), path.c_str(), FALSE)) {
            Fail("cannot copy the fixture ver_chinese.exe");
        }
        HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        LARGE_INTEGER have{};
        ::GetFileSizeEx(file, &have);
        ::SetFilePointer(file, 0, nullptr, FILE_END);
        std::vector<char> chunk(1 << 20);
        for (size_t i = 0; i < chunk.size(); ++i) chunk[i] = static_cast<char>('A' + i % 26);
        uint64_t left = size - static_cast<uint64_t>(have.QuadPart);
        while (left > 0) {
            const DWORD count = static_cast<DWORD>(std::min<uint64_t>(left, chunk.size()));
            DWORD written = 0;
            if (!::WriteFile(file, chunk.data(), count, &written, nullptr) || written != count) {
                Fail("cannot write " + path);
            }
            left -= count;
        }
        ::CloseHandle(file);
        return path;
    }

    std::string folder_;
};

// ---- Loading and modifying, in-process through the real dialog ----

std::string NameOf(const std::string& path) {
    return path.substr(path.rfind('\\') + 1);
}

// Loads the target `runs` times, as a drop does; the median time of one load.
double MedianLoad(MainDialog& dialog, FakeUiServices& ui, const std::string& path, int runs) {
    std::vector<double> samples;
    for (int run = -3; run < runs; ++run) {  // three loads to warm up
        HDROP drop = MakeDrop({Wide(path)});
        const double begin = Now();
        dialog->OnDropFiles(drop);
        const double took = Now() - begin;
        if (run >= 0) samples.push_back(took);
    }
    if (!ui.messages.empty()) Fail("loading " + path + " showed a message");
    if (dialog.Text(IDC_EDIT_NAME) != Wide(NameOf(path))) Fail("did not load " + path);
    return Median(samples);
}

// Stores edited version strings `runs` times (alternating texts of the stored value's length);
// the median time of one store.
double MedianStore(MainDialog& dialog, FakeUiServices& ui, const std::string& path, int runs) {
    dialog.Load(path);
    if (!dialog->IsTargetLoaded()) Fail("did not load " + path);
    std::vector<double> samples;
    for (int run = -2; run < runs; ++run) {
        wchar_t text[16];
        swprintf(text, 16, L"2.0.0.%03d", (run + 1000) % 1000);
        dialog.SetText(IDC_EDIT_PRODUCTVERSION, text);
        const double begin = Now();
        const bool stored = dialog->ProcessVersionInfo(true);
        const double took = Now() - begin;
        if (!stored || !ui.messages.empty()) Fail("storing the version strings of " + path);
        if (run >= 0) samples.push_back(took);
    }
    return Median(samples);
}

std::string Milliseconds(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f ms", value);
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
    if (::GetACP() != 936) Fail("the ANSI code page is not 936: run with LC_ALL=zh_CN.UTF-8");
    CWinApp app;
    Targets targets;
    const std::wstring quorvane = BuildPath("Quorvane.exe");
    const std::wstring bare = BuildPath("tests/bench/bare_dialog.exe");

    // Start-up: one start of each first (not counted), then the two programs in turn.
    std::vector<double> quorvaneStarts;
    std::vector<double> bareStarts;
    for (int run = -1; run < kStartRuns; ++run) {
        Started q = Start(quorvane, L"Telvaro V1.0");
        Stop(q);
        Started b = Start(bare, L"Bare dialog");
        Stop(b);
        if (run >= 0) {
            quorvaneStarts.push_back(q.milliseconds);
            bareStarts.push_back(b.milliseconds);
        }
    }

    // Memory: the peak working set of each program once its dialog is up, and the program's
    // once it has loaded the 200 MB executable, chosen through its file dialog.
    Started b = Start(bare, L"Bare dialog");
    const double bareMemory = PeakWorkingSetMiB(b.info.hProcess);
    Stop(b);
    Started q = Start(quorvane, L"Telvaro V1.0");
    const double startedMemory = PeakWorkingSetMiB(q.info.hProcess);
    if (!ChooseFileThroughDialog(q.info.dwProcessId, q.window, Wide(targets.large))) {
        Fail("could not choose the 200 MB executable in Quorvane.exe");
    }
    if (ItemText(q.window, IDC_EDIT_NAME) != Wide(NameOf(targets.large))) {
        Fail("Quorvane.exe did not load the 200 MB executable");
    }
    const double loadedMemory = PeakWorkingSetMiB(q.info.hProcess);
    Stop(q);
    if (bareMemory == 0 || startedMemory == 0 || loadedMemory == 0) {
        Fail("the platform reports no working set for another process");
    }

    // Loading and storing, in this process through the real dialog.
    FakeUiServices ui;
    MainDialog dialog;
    const double loadSmall = MedianLoad(dialog, ui, targets.small, kSmallLoads);
    const double loadLarge = MedianLoad(dialog, ui, targets.large, kLargeLoads);
    const double loadSparse = MedianLoad(dialog, ui, targets.sparse, kLargeLoads);
    const double storeSmall = MedianStore(dialog, ui, targets.small, kSmallStores);
    const double storeLarge = MedianStore(dialog, ui, targets.large, kLargeStores);

    WIN32_FILE_ATTRIBUTE_DATA program{};
    ::GetFileAttributesExW(quorvane.c_str(), GetFileExInfoStandard, &program);
    const double size = program.nFileSizeLow;
    constexpr double kSizeLimit = 204800;

    const std::string starts = std::to_string(kStartRuns) + " + " + std::to_string(kStartRuns);
    std::printf("| Figure | Runs | Median | Against | Ratio |\n");
    std::printf("|---|---:|---:|---|---:|\n");
    Row("Start-up until the dialog answers", starts, Milliseconds(Median(quorvaneStarts)),
        "bare dialog: " + Milliseconds(Median(bareStarts)),
        Ratio(Median(quorvaneStarts), Median(bareStarts)));
    Row("Load: 100 KB executable", std::to_string(kSmallLoads), Milliseconds(loadSmall), "—",
        "1.00");
    Row("Load: 200 MB executable, appended data", std::to_string(kLargeLoads),
        Milliseconds(loadLarge), "100 KB executable", Ratio(loadLarge, loadSmall));
    Row("Load: 1 GiB sparse file", std::to_string(kLargeLoads), Milliseconds(loadSparse),
        "100 KB executable", Ratio(loadSparse, loadSmall));
    Row("Modify: store version strings, 100 KB executable", std::to_string(kSmallStores),
        Milliseconds(storeSmall), "—", "1.00");
    Row("Modify: store version strings, 200 MB executable", std::to_string(kLargeStores),
        Milliseconds(storeLarge), "100 KB executable", Ratio(storeLarge, storeSmall));
    char bareText[64];
    std::snprintf(bareText, sizeof bareText, "bare dialog: %.1f MiB", bareMemory);
    char memory[64];
    std::snprintf(memory, sizeof memory, "%.1f MiB", startedMemory);
    Row("Memory: peak working set once the dialog is up", "1", memory, bareText,
        Ratio(startedMemory, bareMemory));
    std::snprintf(memory, sizeof memory, "%.1f MiB", loadedMemory);
    Row("Memory: peak working set after loading the 200 MB executable", "1", memory, bareText,
        Ratio(loadedMemory, bareMemory));
    char bytes[64];
    std::snprintf(bytes, sizeof bytes, "%.0f bytes", size);
    Row("Size: Quorvane.exe (win64, stripped)", "—", bytes, "limit: 204800 bytes",
        Ratio(size, kSizeLimit));
    return 0;
}
