// CAboutDlg: the small box with the product name, version and vendor line.
#pragma once

#include "framework/framework.h"
#include "res/resource.h"
#include "widgets/button_st.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg();

    enum { IDD = IDD_ABOUTBOX };

    CButtonST m_btnOK;

    BOOL OnInitDialog() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
};
