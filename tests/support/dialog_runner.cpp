// Runs the main dialog (or the About box) in this process for a test: a script runs inside the modal loop,
// message boxes and thread ends are recorded, and the program's registry values are cleaned before and after.
#include "dialog_runner.h"

#include "net/acceleration_run.h"

namespace nettest {

namespace {

const std::function<void()>* pendingScript = nullptr;
CDialog* runningDialog = nullptr;
int pendingEnd = 0;

void CALLBACK RunScript(HWND, UINT, UINT_PTR id, DWORD) {
    (void)::KillTimer(nullptr, id);
    if (pendingScript != nullptr) {
        const std::function<void()>* script = pendingScript;
        pendingScript = nullptr;
        (*script)();
    }
    if (runningDialog != nullptr && runningDialog->m_hWnd != nullptr && pendingEnd != kLeaveOpen)
        runningDialog->EndDialog(pendingEnd);
}

} // namespace

void CleanProgramRegistry() {
    (void)RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Brisklane");
    (void)RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Brisklane");
    HKEY run = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", 0, KEY_ALL_ACCESS,
                      &run) == ERROR_SUCCESS) {
        (void)RegDeleteValueA(run, "Brisklane");
        (void)RegCloseKey(run);
    }
}

void Pump(DWORD ms) {
    fw::PumpFor(ms);
}

bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    return fw::PumpUntil(condition, timeoutMs);
}

INT_PTR RunModal(CDialog& dialog, const std::function<void()>& script, int endResult) {
    pendingScript = &script;
    runningDialog = &dialog;
    pendingEnd = endResult;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, RunScript);
    const INT_PTR result = dialog.DoModal();
    (void)::KillTimer(nullptr, timer);
    pendingScript = nullptr;
    runningDialog = nullptr;
    return result;
}

void DialogTest::SetUp() {
    CleanProgramRegistry();
    fw::SetMessageBoxHook([this](HWND, const std::string& text, const std::string& caption, unsigned style) {
        boxes_.push_back({text, caption, style});
        return IDOK;
    });
    fw::SetThreadHooks(nullptr, [this](AFX_THREADPROC proc, void*, unsigned code) {
        if (proc != net::WatcherThreadProc)
            return;
        std::lock_guard<std::mutex> lock(mutex_);
        watcherExits_.push_back(code);
    });
    // Every test starts with acceleration off, as the program does.
    net::accelerationRunning = 0;
}

void DialogTest::TearDown() {
    fw::SetMessageBoxHook(nullptr);
    fw::SetThreadHooks(nullptr, nullptr);
    net::accelerationRunning = 0;
    CleanProgramRegistry();
}

std::vector<unsigned> DialogTest::WatcherExits() {
    std::lock_guard<std::mutex> lock(mutex_);
    return watcherExits_;
}

bool DialogTest::WaitForWatcherExits(size_t count, DWORD timeoutMs) {
    return PumpUntil([&] { return WatcherExits().size() >= count; }, timeoutMs);
}

net::ReceiveOutcome QuietSource::Receive(unsigned char*, size_t) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return closed_ || error_ != 0; });
    return net::ReceiveOutcome::Failed;
}

void QuietSource::Close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    changed_.notify_all();
}

int QuietSource::LastError() const {
    std::lock_guard lock(mutex_);
    return error_;
}

void QuietSource::Fail(int error) {
    std::lock_guard lock(mutex_);
    error_ = error;
    changed_.notify_all();
}

std::function<net::RawSocketOpening()> QuietOpener(QuietSource** last) {
    return [last] {
        net::RawSocketOpening opening;
        auto source = std::make_unique<QuietSource>();
        if (last != nullptr)
            *last = source.get();
        opening.source = std::move(source);
        opening.step = net::RawSocketStep::Ready;
        return opening;
    };
}

bool ReadRawValue(HKEY root, const char* key, const char* name, DWORD& type, std::vector<unsigned char>& data) {
    HKEY handle = nullptr;
    if (RegOpenKeyExA(root, key, 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS)
        return false;
    DWORD size = 0;
    LONG status = RegQueryValueExA(handle, name, nullptr, &type, nullptr, &size);
    if (status == ERROR_SUCCESS) {
        data.assign(size, 0);
        status = RegQueryValueExA(handle, name, nullptr, &type, data.data(), &size);
        data.resize(size);
    }
    (void)RegCloseKey(handle);
    return status == ERROR_SUCCESS;
}

long long ReadDwordValue(const char* key, const char* name) {
    DWORD type = 0;
    std::vector<unsigned char> data;
    if (!ReadRawValue(HKEY_CURRENT_USER, key, name, type, data) || type != REG_DWORD || data.size() != 4)
        return -1;
    return static_cast<long long>(data[0] | data[1] << 8 | data[2] << 16 | static_cast<uint32_t>(data[3]) << 24);
}

void WriteRawValue(const char* key, const char* name, DWORD type, const void* data, DWORD size) {
    HKEY handle = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(handle, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    (void)RegCloseKey(handle);
}

bool KeyExists(const char* key) {
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS)
        return false;
    (void)RegCloseKey(handle);
    return true;
}

} // namespace nettest
