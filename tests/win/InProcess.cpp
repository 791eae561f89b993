#include "tests/win/InProcess.h"

#include <filesystem>

#include "platform/WinApp.h"

// Named after this executable, as the program's application object is.
CWinApp theApp;

InProcess::InProcess() {
    EXPECT_EQ(::GetACP(), 936u) << "as on our users' systems: run with LC_ALL=zh_CN.UTF-8";
    // Of this run alone: what a run that failed left behind is never in the way.
    static int count = 0;
    folder = std::filesystem::temp_directory_path() /
             ("quorvane-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++count));
    std::filesystem::create_directory(folder);
    SetUiServices(this);
    AfxGetApp()->m_pMainWnd = &dialog;
    EXPECT_TRUE(dialog.Create());
}

InProcess::~InProcess() {
    AfxGetApp()->m_pMainWnd = nullptr;
    SetUiServices(nullptr);
    std::error_code ignored;
    std::filesystem::remove_all(L"\\\\?\\" + folder, ignored);  // extended, or "twin." stays
}
