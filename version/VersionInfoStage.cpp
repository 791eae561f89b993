// Version strings of the main dialog (being written).
#include "ui/AttribToolDlg.h"

bool CAttribToolDlg::ProcessVersionInfo(bool) {
    return false;
}
