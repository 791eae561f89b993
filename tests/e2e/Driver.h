// Drives a running Quorvane.exe from another process: finds its windows, reads and sets their
// texts, presses buttons, answers its message boxes and takes screenshots.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// A path inside the build folder, as Wine names it (drive Z:).
std::wstring BuildPath(const std::string& relative);
// A text of the test's UTF-8 source as UTF-16.
std::wstring Utf16(const char* utf8);
// The whole file's bytes; empty when it cannot be read.
std::string ReadWholeFile(const std::wstring& path);
// A string of the version resource's first translation, as the platform's own version calls
// read it; "<missing>" when there is none.
std::wstring VersionString(const std::wstring& path, const wchar_t* key);

class RunningProgram {
  public:
    RunningProgram();
    ~RunningProgram();
    bool Started() const { return process_ != nullptr; }
    DWORD ProcessId() const { return processId_; }
    HANDLE Process() const { return process_; }
    // Waits for the process to end; its exit code, or STILL_ACTIVE after the timeout.
    DWORD WaitForExit(DWORD ms);

  private:
    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
};

// A top-level window of the process with the given class and, if given, caption, that
// becomes visible within the timeout.
HWND WaitForWindow(DWORD processId, const wchar_t* windowClass, const wchar_t* caption, DWORD ms,
                   HWND except = nullptr);
// Waits until a top-level #32770 window other than `main` and `except` appears in the process.
HWND WaitForDialog(DWORD processId, HWND main, DWORD ms, HWND except = nullptr);
bool WaitUntilGone(HWND window, DWORD ms);

std::wstring TextOf(HWND window);  // through WM_GETTEXT, which crosses processes
std::wstring ItemText(HWND dialog, int id);
void SetItemText(HWND dialog, int id, const std::wstring& text);
bool ItemChecked(HWND dialog, int id);
void SetItemChecked(HWND dialog, int id, bool ticked);
// Posts a click: the handler may open a modal window, so the sender must not wait for it.
void Click(HWND dialog, int id);

struct MessageBoxSeen {
    std::wstring caption;
    std::wstring text;
};
// Waits for the next message box of the process, reads it and presses its OK button.
bool AnswerMessageBox(DWORD processId, HWND main, MessageBoxSeen& seen, DWORD ms = 10000);

// Presses "文件", waits for the open-file dialog, types the path into its file-name field and
// confirms it. True once the dialog has closed again; the program then loads the target.
bool ChooseFileThroughDialog(DWORD processId, HWND main, const std::wstring& path,
                             DWORD ms = 15000);

// Saves the window as it is on the screen to a 24-bit BMP file.
bool SaveScreenshot(HWND window, const std::wstring& path);
