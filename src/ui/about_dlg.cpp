// CAboutDlg: the small box with the product name, version and vendor line.
#include "ui/about_dlg.h"

CAboutDlg::CAboutDlg() : CDialog(IDD, nullptr) {}

void CAboutDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDOK, m_btnOK);
}

BOOL CAboutDlg::OnInitDialog() {
    (void)CDialog::OnInitDialog();
    return TRUE;
}
