// Runs the in-process tests as our users' systems would: ANSI code page 936.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/WinApp.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (::GetACP() != 936) {
        fprintf(stderr, "The ANSI code page is %u, not 936: run with LC_ALL=zh_CN.UTF-8.\n",
                ::GetACP());
        return 1;
    }
    CWinApp app;  // named after this executable, as the program is
    return RUN_ALL_TESTS();
}
