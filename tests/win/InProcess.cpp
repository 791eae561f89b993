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
    CString names;
    for (const CString& path : paths) names += path + L'\0';
    const HGLOBAL memory = ::GlobalAlloc(GHND, sizeof(DROPFILES) + (names.size() + 1) * 2);
    auto* drop = static_cast<DROPFILES*>(::GlobalLock(memory));
    *drop = {sizeof(DROPFILES), {}, FALSE, TRUE};
    names.copy(reinterpret_cast<wchar_t*>(drop + 1), names.size());
    ::GlobalUnlock(memory);
    dialog.OnDropFiles(static_cast<HDROP>(memory));
}
