// The main dialog's acceleration switch: each start opens a run with its own raw socket and watcher.
#include "ui/hollowmere_dlg.h"

#include <memory>
#include <new>

#include "net/ip_utils.h"
#include "widgets/transparent_static.h"

void CHollowmereDlg::OnAccelerate() {
    if (net::accelerationRunning != 0) {
        // The run's socket is closed under its watcher's pending receive, so the watcher ends now.
        if (m_accelerationRun) {
            m_accelerationRun->Stop();
        }
        ShowAccelerationStopped();
        return;
    }
    net::accelerationRunning = 1;
    OpenRawSocket();
    if (m_accelerationRun) {
        // The watcher shares the run with this window; whichever lets go last frees it.
        auto* handed = new (std::nothrow) std::shared_ptr<net::AccelerationRun>(m_accelerationRun);
        if (handed == nullptr || !AfxBeginThread(net::WatcherThreadProc, handed)) {
            delete handed;
            m_accelerationRun->Stop();
            m_accelerationRun.reset();
        }
    }
    // Without a socket or a watcher nothing would accelerate: the switch must not say otherwise. The footer
    // tells why, and the next press tries again.
    if (!m_accelerationRun) {
        ShowAccelerationStopped();
        return;
    }
    (void)SetTimer(kAccelerationTimer, kTimerPeriodMs);
    m_btnAccelerate.SetWindowText(net::kCaptionAccelerating);
    CheckDlgButton(IDC_ACCELERATE, BST_CHECKED);
}

void CHollowmereDlg::ShowAccelerationStopped() {
    net::accelerationRunning = 0;
    (void)KillTimer(kAccelerationTimer);
    m_btnAccelerate.SetWindowText(net::kCaptionStopped);
    CheckDlgButton(IDC_ACCELERATE, BST_UNCHECKED);
}

LRESULT CHollowmereDlg::OnAccelerationFailed(WPARAM error, LPARAM serial) {
    // A late report from a run that was stopped or replaced since changes nothing.
    if (net::accelerationRunning == 0 || !m_accelerationRun ||
        m_accelerationRun->Serial() != static_cast<uint32_t>(serial)) {
        return 0;
    }
    m_accelerationRun->Stop();
    ShowAccelerationStopped();
    ShowAccelerationNote(net::RawSocketNote(net::RawSocketStep::Receive, static_cast<int>(error), {}));
    return 0;
}

void CHollowmereDlg::OpenRawSocket() {
    net::RawSocketOpening opening =
        m_openRawSocket ? m_openRawSocket() : net::OpenRawSocket(net::localAddresses, net::localAddressCount);
    net::rawSocket = opening.socket;
    ShowAccelerationNote(net::RawSocketNote(opening.step, opening.error, opening.address));
    m_accelerationRun.reset();
    if (opening.source) {
        m_accelerationRun = std::make_shared<net::AccelerationRun>(std::move(opening.source), m_hWnd, ++m_nRunSerial);
    }
}

void CHollowmereDlg::ShowAccelerationNote(const std::string& note) {
    CWnd* footer = GetDlgItem(IDC_FOOTER);
    if (footer == nullptr) {
        return;
    }
    if (note.empty() && !m_bFooterNoted) {
        return;
    }
    if (!m_bFooterNoted) {
        m_strNormalFooter = footer->GetWindowText();
    }
    m_bFooterNoted = !note.empty();
    SetSeeThroughText(*footer, m_bFooterNoted ? note : m_strNormalFooter);
}
