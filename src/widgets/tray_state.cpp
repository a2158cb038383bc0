// The tray icon's flag rules; the shell's answers decide every transition.
#include "widgets/tray_state.h"

namespace widgets {

bool TrayState::Enable(unsigned majorVersion) {
    m_bEnabled = majorVersion >= 4;
    return m_bEnabled;
}

bool TrayState::FinishInstall(bool startHidden, TrayShell& shell) {
    m_bHidden = startHidden;
    m_nCreationFlags = kTrayCreationFlags;
    if (startHidden) {
        return true; // removed stays set, so a later ShowInTray adds the icon
    }
    const bool added = shell.Notify(TrayShellOp::Add, kTrayCreationFlags);
    m_bHidden = m_bRemoved = m_bAddPending = !added;
    return added;
}

bool TrayState::AddToTray(TrayShell& shell) {
    if (!m_bRemoved) {
        (void)RemoveFromTray(shell);
    }
    if (m_bEnabled) {
        if (shell.Notify(TrayShellOp::Add, kTrayCreationFlags)) {
            m_bHidden = m_bRemoved = false;
        } else {
            m_bAddPending = true;
        }
    }
    return !m_bRemoved;
}

bool TrayState::RemoveFromTray(TrayShell& shell) {
    m_bAddPending = false;
    if (!m_bEnabled || m_bRemoved) {
        return true;
    }
    if (shell.Notify(TrayShellOp::Delete, 0)) {
        m_bHidden = m_bRemoved = true;
    }
    return m_bRemoved;
}

bool TrayState::HideFromTray(TrayShell& shell) {
    if (!m_bEnabled || m_bRemoved || m_bHidden) {
        return true;
    }
    (void)RemoveFromTray(shell);
    return m_bHidden;
}

bool TrayState::ShowInTray(TrayShell& shell) {
    if (m_bRemoved) {
        return AddToTray(shell);
    }
    if (!m_bHidden) {
        return true;
    }
    return AddToTray(shell);
}

bool TrayState::ReAddAtEnd(TrayShell& shell) {
    (void)RemoveFromTray(shell);
    return AddToTray(shell);
}

bool TrayState::CommitChange(unsigned flags, TrayShell& shell) {
    if (!m_bEnabled) {
        return false;
    }
    if (m_bHidden) {
        return true;
    }
    return shell.Notify(TrayShellOp::Modify, flags);
}

void TrayState::OnTaskbarCreated(TrayShell& shell) {
    m_bAddPending = true;
    RetryPendingAdd(shell);
}

void TrayState::OnWorkAreaChanged(TrayShell& shell) {
    m_bAddPending = !m_bHidden;
    RetryPendingAdd(shell);
}

void TrayState::RetryPendingAdd(TrayShell& shell) {
    if (!m_bAddPending || m_bHidden) {
        return;
    }
    bool shown = shell.Notify(TrayShellOp::Add, m_nCreationFlags);
    // The shell refuses to add an icon it already shows, which is the usual answer after a work-area change.
    // Counting that icon as hidden would keep every later change and shell restart from reaching it, so an
    // icon we believe present is asked for with a modification that changes nothing.
    if (!shown && !m_bRemoved) {
        shown = shell.Notify(TrayShellOp::Modify, 0);
    }
    m_bHidden = !shown;
    m_bAddPending = m_bHidden;
}

} // namespace widgets
