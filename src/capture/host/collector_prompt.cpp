// The dialog that asks where the flows go, made in code: the capture host has no resources.
#include "capture/host/collector_prompt.h"

#include <vector>

#include "capture/host/host_ids.h"

namespace capture_host {

namespace {

// A dialog template in memory, as DialogBoxIndirectParam takes it: the texts of a template are always
// UTF-16, so our (ASCII) texts are widened on the way in.
class DialogTemplate {
public:
    DialogTemplate(const char* caption, short width, short height, WORD items) {
        PutDword(DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU);
        PutDword(0); // extended style
        m_words.push_back(items);
        PutRectangle(0, 0, width, height);
        m_words.push_back(0); // no menu
        m_words.push_back(0); // the standard dialog class
        PutText(caption);
        m_words.push_back(8); // point size of the font
        PutText("MS Shell Dlg");
    }

    // A control of a predefined class: 0x80 button, 0x81 edit, 0x82 static.
    void Add(WORD classAtom, const char* text, DWORD style, WORD id, short x, short y, short width, short height) {
        while (m_words.size() % 2 != 0) {
            m_words.push_back(0); // each item starts on a DWORD boundary
        }
        PutDword(WS_CHILD | WS_VISIBLE | style);
        PutDword(0);
        PutRectangle(x, y, width, height);
        m_words.push_back(id);
        m_words.push_back(0xffff);
        m_words.push_back(classAtom);
        PutText(text);
        m_words.push_back(0); // no creation data
    }

    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(m_words.data()); }

private:
    void PutDword(DWORD value) {
        m_words.push_back(LOWORD(value));
        m_words.push_back(HIWORD(value));
    }
    void PutRectangle(short x, short y, short width, short height) {
        for (short value : {x, y, width, height}) {
            m_words.push_back(static_cast<WORD>(value));
        }
    }
    void PutText(const char* text) {
        for (; *text != '\0'; ++text) {
            m_words.push_back(static_cast<unsigned char>(*text));
        }
        m_words.push_back(0);
    }

    std::vector<WORD> m_words; // WORD-aligned, as the template must be
};

INT_PTR CALLBACK CollectorDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
    case WM_INITDIALOG:
        (void)SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        (void)SetDlgItemTextA(dialog, kCollectorEdit, reinterpret_cast<const std::string*>(lParam)->c_str());
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            auto& text = *reinterpret_cast<std::string*>(GetWindowLongPtrA(dialog, DWLP_USER));
            char answer[300] = {};
            (void)GetDlgItemTextA(dialog, kCollectorEdit, answer, sizeof answer);
            text = answer;
            (void)EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            (void)EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace

bool AskForCollector(HWND owner, std::string& text) {
    DialogTemplate dialog(kCollectorDialogCaption, 250, 76, 4);
    dialog.Add(0x82,
               "Send the flows of each capture as IPFIX over UDP to this collector (HOST:PORT; empty: none):", SS_LEFT,
               0xffff, 7, 7, 236, 18);
    dialog.Add(0x81, "", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, kCollectorEdit, 7, 30, 236, 14);
    dialog.Add(0x80, "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK, 139, 54, 50, 15);
    dialog.Add(0x80, "Cancel", BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL, 193, 54, 50, 15);
    std::string answer = text;
    const INT_PTR result = DialogBoxIndirectParamA(GetModuleHandleA(nullptr), dialog.Get(), owner, CollectorDialogProc,
                                                   reinterpret_cast<LPARAM>(&answer));
    if (result != IDOK) {
        return false;
    }
    text = answer;
    return true;
}

} // namespace capture_host
