// Worker threads: a start that hands back the thread's handle, through hooks that tests use to watch or
// refuse starts and to see each thread end.
#pragma once

#include <windows.h>

#include <functional>

#include "platform/handles.h"

// The thread procedure's form: one untyped argument, the result becomes the thread's exit code.
using AFX_THREADPROC = unsigned int (*)(void* param);

namespace fw {

// The handle of a started thread, closed with the object. Letting it go does not stop the thread.
class Thread {
public:
    Thread() = default;
    explicit Thread(HANDLE handle) : m_handle(handle) {}

    HANDLE Handle() const { return m_handle.Get(); }
    explicit operator bool() const { return m_handle.IsValid(); }

private:
    platform::KernelHandle m_handle;
};

// Starts proc(param) on a new thread at the given priority. Empty when no thread was started.
[[nodiscard]] Thread StartThread(AFX_THREADPROC proc, void* param, int priority = THREAD_PRIORITY_NORMAL);

// Called on every start before anything runs; answering false starts nothing.
using ThreadStartHook = std::function<bool(AFX_THREADPROC proc, void* param)>;
// Called on the worker thread when it ends, by return or by AfxEndThread, with its exit code.
using ThreadEndHook = std::function<void(AFX_THREADPROC proc, void* param, unsigned int exitCode)>;

// Empty hooks restore the plain behaviour.
void SetThreadHooks(ThreadStartHook onStart, ThreadEndHook onEnd);

} // namespace fw

// The framework-style names. The thread object is the handle: a caller that does not keep it lets the
// thread run on by itself.
using CWinThread = fw::Thread;

[[nodiscard]] inline CWinThread AfxBeginThread(AFX_THREADPROC proc, void* param,
                                               int priority = THREAD_PRIORITY_NORMAL) {
    return fw::StartThread(proc, param, priority);
}

// Ends the calling thread (one that StartThread started) with the exit code; the end hook sees it.
[[noreturn]] void AfxEndThread(unsigned int exitCode);
