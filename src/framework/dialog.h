// CDialog: a dialog from a template, run modally by our own loop, with data exchange and OK/Cancel.
#pragma once

#include "framework/wnd.h"

class CDataExchange;

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr) : m_nIDTemplate(templateId), m_pParentWnd(parent) {}
    ~CDialog() override;

    // Creates the dialog and runs its message loop until EndDialog; returns the value given to EndDialog,
    // or -1 when the dialog could not be created.
    [[nodiscard]] virtual INT_PTR DoModal();
    void EndDialog(int result);

    // Runs DoDataExchange in the given direction: true takes the controls' values into the members. False
    // when the dialog has no window.
    [[nodiscard]] bool UpdateData(bool saveAndValidate = true);

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel() { EndDialog(IDCANCEL); }

    BOOL PreTranslateMessage(MSG* msg) override;
    const fw::MessageMap* GetMessageMap() const override { return GetThisMessageMap(); }
    // Also true for commands that the application's command map handles.
    bool HasCommandHandler(UINT id) const override;

protected:
    virtual void DoDataExchange(CDataExchange*) {}
    bool OnCommand(WPARAM wParam, LPARAM lParam) override;
    bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    static const fw::MessageMap* GetThisMessageMap();

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    // Applies the template's initialisation data (items for list and combo boxes), if the program has any.
    void ExecuteDlgInit();

    bool m_bContinueModal = false;
    int m_nModalResult = -1;
};
