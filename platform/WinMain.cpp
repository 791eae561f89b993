// The program's entry; the command line is read as UTF-16 (ProgramArguments), not here.
#include <windows.h>

#include "platform/WinApp.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return AfxWinMain();
}
