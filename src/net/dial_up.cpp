// The main dialog's dial-up hang-up, on the remote-access library loaded at run time.
#include "ui/hollowmere_dlg.h"

#include "net/ip_utils.h"

DWORD CHollowmereDlg::HangUpDialUp() {
    return net::HangUpFirstDialUp();
}
