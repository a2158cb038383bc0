// The main dialog's acceleration switch: each start opens a run with its own raw socket and watcher.
#include "ui/hollowmere_dlg.h"

#include <memory>
#include <new>

#include "net/acceleration_run.h"
#include "net/ip_utils.h"

void CHollowmereDlg::OnAccelerate() {
    if (net::accelerationRunning == 0) {
        net::accelerationRunning = 1;
        OpenRawSocket();
        // The watcher shares the run with this window; whichever lets go last frees it.
        auto* handed = new (std::nothrow) std::shared_ptr<net::AccelerationRun>(m_accelerationRun);
        if (handed != nullptr && AfxBeginThread(net::WatcherThreadProc, handed) == nullptr)
            delete handed;
        (void)SetTimer(kAccelerationTimer, kTimerPeriodMs);
        m_btnAccelerate.SetWindowText(net::kCaptionAccelerating);
    } else {
        net::accelerationRunning = 0;
        // Only this run's watcher sees the stop; it closes the run's socket after its pending receive.
        if (m_accelerationRun)
            m_accelerationRun->running.store(false, std::memory_order_release);
        (void)KillTimer(kAccelerationTimer);
        m_btnAccelerate.SetWindowText(net::kCaptionStopped);
    }
}

void CHollowmereDlg::OpenRawSocket() {
    net::RawSocketOpening opening = net::OpenRawSocket(net::localAddresses, net::localAddressCount);
    net::rawSocket = opening.socket.Get();
    ShowAccelerationNote(net::RawSocketNote(opening.step, opening.error, opening.address));
    m_accelerationRun = std::make_shared<net::AccelerationRun>(std::move(opening.socket));
}

void CHollowmereDlg::ShowAccelerationNote(const std::string& note) {
    CWnd* footer = GetDlgItem(IDC_FOOTER);
    if (footer == nullptr)
        return;
    if (note.empty() && !m_bFooterNoted)
        return;
    if (!m_bFooterNoted)
        m_strNormalFooter = footer->GetWindowText();
    m_bFooterNoted = !note.empty();
    // Hidden while its text changes, so that nothing of the old text stays on the skinned background.
    (void)footer->ShowWindow(SW_HIDE);
    footer->SetWindowText(m_bFooterNoted ? note : m_strNormalFooter);
    (void)footer->ShowWindow(SW_SHOW);
}
