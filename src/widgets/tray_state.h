// The tray icon's bookkeeping: which of enabled, hidden, removed and add-pending hold, and which shell calls follow.
#pragma once

namespace widgets {

// uFlags bits of the notification record.
inline constexpr unsigned kTrayFlagMessage = 1;
inline constexpr unsigned kTrayFlagIcon = 2;
inline constexpr unsigned kTrayFlagTip = 4;
inline constexpr unsigned kTrayCreationFlags = kTrayFlagMessage | kTrayFlagIcon | kTrayFlagTip;

enum class TrayShellOp { Add, Modify, Delete };

// The one shell call the bookkeeping needs. The Win32 side stores the flags into its record, makes the call and
// answers whether the shell accepted it.
class TrayShell {
public:
    virtual bool Notify(TrayShellOp op, unsigned flags) = 0;

protected:
    ~TrayShell() = default;
};

// Flags of one tray icon and the rules that move them. Every operation that needs the shell gets it as an
// argument, so the same rules run against the real shell and against a scripted one.
class TrayState {
public:
    // First half of installing: the icon is usable only on a system of major version 4 or later.
    bool Enable(unsigned majorVersion);
    // Second half, once the record is filled: adds the icon unless it starts hidden.
    [[nodiscard]] bool FinishInstall(bool startHidden, TrayShell& shell);

    [[nodiscard]] bool AddToTray(TrayShell& shell);
    bool RemoveFromTray(TrayShell& shell);
    bool HideFromTray(TrayShell& shell);
    bool ShowInTray(TrayShell& shell);
    bool ReAddAtEnd(TrayShell& shell);

    // The Change* operations check CanChange before they touch the record, then call CommitChange: while hidden
    // the change is only stored, otherwise the shell is told with the given flags.
    bool CanChange() const { return m_bEnabled; }
    [[nodiscard]] bool CommitChange(unsigned flags, TrayShell& shell);

    // Broadcast reactions of the private window.
    void OnTaskbarCreated(TrayShell& shell);
    void OnWorkAreaChanged(TrayShell& shell);
    void RetryPendingAdd(TrayShell& shell);

    bool enabled() const { return m_bEnabled; }
    bool hidden() const { return m_bHidden; }
    bool removed() const { return m_bRemoved; }
    bool addPending() const { return m_bAddPending; }
    unsigned creationFlags() const { return m_nCreationFlags; }

private:
    bool m_bEnabled = false;
    bool m_bHidden = true;
    bool m_bRemoved = true;
    bool m_bAddPending = false;
    unsigned m_nCreationFlags = 0;
};

} // namespace widgets
