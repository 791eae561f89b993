#include "tests/win/InProcess.h"

#include <shlobj.h>

#include <filesystem>

#include "platform/WinApp.h"

// Named after this executable, as the program's application object is.
CWinApp theApp;

InProcess::InProcess() {
    EXPECT_EQ(::GetACP(), 936u) << "as on our users' systems: run with LC_ALL=zh_CN.UTF-8";
    static int count = 0;
    folder = std::filesystem::temp_directory_path() / ("quorvane-" + std::to_string(++count));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directory(folder);
    SetUiServices(this);
    AfxGetApp()->m_pMainWnd = &dialog;
    EXPECT_TRUE(dialog.Create());
}

InProcess::~InProcess() {
    AfxGetApp()->m_pMainWnd = nullptr;
    SetUiServices(nullptr);
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

void InProcess::Drop(const Texts& paths) {
    // As the shell makes it: DROPFILES, then the wide paths, each ended, and an empty one.
    size_t units = 1;
    for (const CString& path : paths) units += path.size() + 1;
    const HGLOBAL memory = ::GlobalAlloc(GHND, sizeof(DROPFILES) + units * sizeof(wchar_t));
    auto* drop = static_cast<DROPFILES*>(::GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    auto* names = reinterpret_cast<wchar_t*>(drop + 1);
    for (const CString& path : paths) names += path.copy(names, path.size()) + 1;
    ::GlobalUnlock(memory);
    dialog.OnDropFiles(static_cast<HDROP>(memory));
}
