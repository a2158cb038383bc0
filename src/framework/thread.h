// Worker-thread start and end for the program's own threads, through one seam that tests can observe.
#pragma once

#include <windows.h>

#include <functional>

// The thread procedure's form: one untyped argument, the result becomes the thread's exit code.
using AFX_THREADPROC = unsigned int (*)(void* param);

class CWinThread;

// Starts proc(param) on a new thread at the given priority. Returns null when no thread was started.
CWinThread* AfxBeginThread(AFX_THREADPROC proc, void* param, int priority = THREAD_PRIORITY_NORMAL,
                           unsigned int stackSize = 0, DWORD createFlags = 0, LPSECURITY_ATTRIBUTES security = nullptr);

// Ends the calling thread (started by AfxBeginThread) with the exit code, deleting its thread object.
[[noreturn]] void AfxEndThread(unsigned int exitCode);

// A started worker thread. It deletes itself when its thread ends, so the caller need not keep it.
class CWinThread {
public:
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;

    HANDLE m_hThread = nullptr;
    DWORD m_nThreadID = 0;
    AFX_THREADPROC m_pfnThreadProc = nullptr;
    void* m_pThreadParams = nullptr;

private:
    friend CWinThread* AfxBeginThread(AFX_THREADPROC, void*, int, unsigned int, DWORD, LPSECURITY_ATTRIBUTES);
    friend void AfxEndThread(unsigned int);
    CWinThread() = default;
    ~CWinThread();
    static DWORD WINAPI Entry(void* self);
};

namespace fw {

// Called on every AfxBeginThread before anything starts; answering false starts nothing (AfxBeginThread
// then returns null).
using ThreadStartHook = std::function<bool(AFX_THREADPROC proc, void* param)>;
// Called on the worker thread when it ends, by return or by AfxEndThread, with its exit code.
using ThreadEndHook = std::function<void(AFX_THREADPROC proc, void* param, unsigned int exitCode)>;

// Empty hooks restore the plain behaviour.
void SetThreadHooks(ThreadStartHook onStart, ThreadEndHook onEnd);

} // namespace fw
