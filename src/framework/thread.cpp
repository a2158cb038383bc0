// Starts and ends worker threads; every start and end passes the hooks that tests install.
#include "framework/thread.h"

#include <mutex>

namespace {

std::mutex& HookMutex() {
    static std::mutex mutex;
    return mutex;
}

fw::ThreadStartHook& StartHook() {
    static fw::ThreadStartHook hook;
    return hook;
}

fw::ThreadEndHook& EndHook() {
    static fw::ThreadEndHook hook;
    return hook;
}

// The thread object of the calling worker thread, so AfxEndThread can delete it.
thread_local CWinThread* currentThread = nullptr;

template <typename Hook>
Hook Copy(const Hook& hook) {
    std::lock_guard lock(HookMutex());
    return hook;
}

} // namespace

CWinThread::~CWinThread() {
    if (m_hThread != nullptr) {
        ::CloseHandle(m_hThread);
    }
}

DWORD WINAPI CWinThread::Entry(void* self) {
    auto* thread = static_cast<CWinThread*>(self);
    currentThread = thread;
    unsigned int code = 1;
    try {
        code = thread->m_pfnThreadProc(thread->m_pThreadParams);
    } catch (...) {
        // Nothing may unwind out of a thread; the failure shows as exit code 1.
        code = 1;
    }
    AfxEndThread(code);
}

CWinThread* AfxBeginThread(AFX_THREADPROC proc, void* param, int priority, unsigned int stackSize, DWORD createFlags,
                           LPSECURITY_ATTRIBUTES security) {
    if (const auto hook = Copy(StartHook()); hook && !hook(proc, param)) {
        return nullptr;
    }
    auto* thread = new CWinThread;
    thread->m_pfnThreadProc = proc;
    thread->m_pThreadParams = param;
    // Created suspended so the object is complete and the priority set before the procedure runs.
    thread->m_hThread =
        ::CreateThread(security, stackSize, &CWinThread::Entry, thread, CREATE_SUSPENDED, &thread->m_nThreadID);
    if (thread->m_hThread == nullptr) {
        delete thread;
        return nullptr;
    }
    (void)::SetThreadPriority(thread->m_hThread, priority);
    if ((createFlags & CREATE_SUSPENDED) == 0) {
        (void)::ResumeThread(thread->m_hThread);
    }
    return thread;
}

void AfxEndThread(unsigned int exitCode) {
    CWinThread* thread = currentThread;
    currentThread = nullptr;
    if (thread != nullptr) {
        if (const auto hook = Copy(EndHook())) {
            hook(thread->m_pfnThreadProc, thread->m_pThreadParams, exitCode);
        }
        delete thread;
    }
    ::ExitThread(exitCode);
}

namespace fw {

void SetThreadHooks(ThreadStartHook onStart, ThreadEndHook onEnd) {
    std::lock_guard lock(HookMutex());
    StartHook() = std::move(onStart);
    EndHook() = std::move(onEnd);
}

} // namespace fw
