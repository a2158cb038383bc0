// Starts and ends worker threads; every start and end passes the hooks that tests install.
#include "framework/thread.h"

#include <mutex>
#include <new>

namespace {

struct Hooks {
    std::mutex mutex;
    fw::ThreadStartHook onStart;
    fw::ThreadEndHook onEnd;
};

Hooks& TheHooks() {
    static Hooks hooks;
    return hooks;
}

// What a new thread runs.
struct Launch {
    AFX_THREADPROC proc;
    void* param;
};

// The launch of the calling worker thread, for AfxEndThread.
thread_local const Launch* currentLaunch = nullptr;

void RunEndHook(const Launch& launch, unsigned int exitCode) noexcept {
    try {
        fw::ThreadEndHook hook;
        {
            // Copied under the lock so that a thread's end never races a test that swaps the hooks.
            std::lock_guard lock(TheHooks().mutex);
            hook = TheHooks().onEnd;
        }
        if (hook) {
            hook(launch.proc, launch.param, exitCode);
        }
    } catch (...) {
        // A failing hook does not keep the thread from ending.
    }
}

DWORD WINAPI Entry(void* started) noexcept {
    const Launch launch = *static_cast<const Launch*>(started);
    delete static_cast<const Launch*>(started);
    currentLaunch = &launch;
    unsigned int code = 1;
    try {
        code = launch.proc(launch.param);
    } catch (...) {
        // Nothing may unwind out of a thread; the failure shows as exit code 1.
        code = 1;
    }
    RunEndHook(launch, code);
    currentLaunch = nullptr;
    return code;
}

} // namespace

namespace fw {

Thread StartThread(AFX_THREADPROC proc, void* param, int priority) {
    ThreadStartHook hook;
    {
        std::lock_guard lock(TheHooks().mutex);
        hook = TheHooks().onStart;
    }
    if (hook && !hook(proc, param)) {
        return {};
    }
    auto* launch = new (std::nothrow) Launch{proc, param};
    if (launch == nullptr) {
        return {};
    }
    // Created suspended, so that the priority is in place before the procedure runs.
    const HANDLE handle = ::CreateThread(nullptr, 0, &Entry, launch, CREATE_SUSPENDED, nullptr);
    if (handle == nullptr) {
        delete launch;
        return {};
    }
    (void)::SetThreadPriority(handle, priority);
    (void)::ResumeThread(handle);
    return Thread(handle);
}

void SetThreadHooks(ThreadStartHook onStart, ThreadEndHook onEnd) {
    std::lock_guard lock(TheHooks().mutex);
    TheHooks().onStart = std::move(onStart);
    TheHooks().onEnd = std::move(onEnd);
}

} // namespace fw

void AfxEndThread(unsigned int exitCode) {
    if (const Launch* launch = std::exchange(currentLaunch, nullptr)) {
        RunEndHook(*launch, exitCode);
    }
    ::ExitThread(exitCode);
}
