// Quick counterparts of the Driver's waits, for tests that go through the program's dialogs
// hundreds of times: each looks every 5 ms instead of every 20. And choosing a target
// as a user does: "文件", then the open-file dialog, with the full path typed into its file-name
// field.
#pragma once

#include <windows.h>

#include <string>

#include "tests/e2e/Driver.h"

// A visible top-level #32770 window of the process other than `main`, looked for once.
HWND FindDialogNow(DWORD processId, HWND main);
HWND WaitForDialogBriskly(DWORD processId, HWND main, DWORD ms);
bool WaitUntilGoneBriskly(HWND window, DWORD ms);

// Waits for the next message box of the process, reads its caption and text and presses OK.
bool AnswerMessageBoxBriskly(DWORD processId, HWND main, MessageBoxSeen& seen, DWORD ms = 10000);

// Presses "文件", waits for the open-file dialog, enters the path and confirms it. True once the
// dialog has closed again; the program then loads the target, and the caller waits for that.
bool ChooseFileThroughDialog(DWORD processId, HWND main, const std::wstring& path,
                             DWORD ms = 15000);
