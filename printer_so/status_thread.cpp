#include "status_thread.h"

#include <system_error>
#include <utility>

#include "component/module_lock.h"
#include "platform/com.h"

namespace pos::printer {

namespace {
// The shortest pass of the loop when nothing was read: a link that answers at once (no port
// open, bytes left that never make a report) must not turn the loop into a spin.
constexpr std::chrono::milliseconds kIdlePass{ComPort::kReceiveWaitMs};
}  // namespace

AsbThread::PortUse::PortUse(PortUse&& other) noexcept
    : owner_(std::exchange(other.owner_, nullptr)), application_(other.application_) {}

AsbThread::PortUse::~PortUse() {
    if (owner_ != nullptr) owner_->release(application_);
}

AsbThread::AsbThread(DeviceLink& link, TraceLog& trace) : link_(link), trace_(trace) {}

AsbThread::~AsbThread() {
    {
        std::lock_guard lock(mutex_);
        asbRunning_ = false;
    }
    changed_.notify_all();
    if (thread_.joinable()) join();
}

bool AsbThread::CreateASBThread(std::function<void()> onReceived) {
    trace_.Write("OPOSASBThread:CreateASBThread\n");
    if (thread_.joinable()) {
        std::unique_lock lock(mutex_);
        const bool stopping = !asbRunning_;
        if (!stopping || onThread()) {
            // Asked again from inside its own event handler after being told to stop: the
            // thread simply carries on.
            asbRunning_ = true;
            lock.unlock();
            trace_.Write("CreateASBThread:Thread already exsit!\n");
            return false;
        }
        lock.unlock();
        join();  // told to stop from inside itself; it has ended or is about to
    }
    if (!link_.InitRXEvent()) return createFailed();
    {
        std::lock_guard lock(mutex_);
        asbRunning_ = true;
    }
    onReceived_ = std::move(onReceived);
    try {
        thread_ = std::thread([this] { run(); });
    } catch (const std::system_error&) {
        return createFailed();
    }
    // The library must stay loaded while its code runs on the thread.
    component::ModuleLock::lock();
    trace_.Write("CreateASBThread:Thread create success!\n");
    return true;
}

bool AsbThread::createFailed() {
    link_.CloseRXEvent();
    trace_.Write("CreateASBThread:Thread create fail!\n");
    return false;
}

void AsbThread::CloseASBThread() {
    trace_.Write("OPOSASBThread:CloseASBThread\n");
    {
        std::lock_guard lock(mutex_);
        asbRunning_ = false;
    }
    changed_.notify_all();
    if (!thread_.joinable() || onThread()) return;
    join();
}

void AsbThread::join() {
    thread_.join();
    link_.CloseRXEvent();
    component::ModuleLock::unlock();
    trace_.Write("CloseASBThread:Thread close success!\n");
}

void AsbThread::run() {
    // Events are invoked on the control object from this thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    while (keepRunning()) {
        const auto passStart = std::chrono::steady_clock::now();
        bool received = false;
        {
            // The look itself is a use of the port: on Windows it may hold a read in flight,
            // which must not meet the application's status query.
            const PortUse use = claimPortForThread();
            if (!use) break;
            received = link_.WaitRXEvent();
        }
        if (received && reportsWanted_) {
            onReceived_();
        } else {
            idleUntil(passStart + kIdlePass);
        }
    }
    if (SUCCEEDED(com)) CoUninitialize();
}

bool AsbThread::keepRunning() {
    std::lock_guard lock(mutex_);
    return asbRunning_;
}

void AsbThread::idleUntil(std::chrono::steady_clock::time_point end) {
    std::unique_lock lock(mutex_);
    changed_.wait_until(lock, end, [this] { return !asbRunning_; });
}

AsbThread::PortUse AsbThread::claimPortForApplication() {
    std::unique_lock lock(mutex_);
    ++applicationWaiting_;
    changed_.notify_all();
    changed_.wait(lock, [this] { return !threadUses_; });
    --applicationWaiting_;
    ++applicationUses_;
    return PortUse(this, true);
}

AsbThread::PortUse AsbThread::claimPortForThread() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] {
        return !asbRunning_ || (applicationWaiting_ == 0 && applicationUses_ == 0);
    });
    if (!asbRunning_) return {};
    threadUses_ = true;
    return PortUse(this, false);
}

void AsbThread::release(bool application) {
    {
        std::lock_guard lock(mutex_);
        if (application) {
            --applicationUses_;
        } else {
            threadUses_ = false;
        }
    }
    changed_.notify_all();
}

bool AsbThread::pause(std::uint32_t milliseconds) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, std::chrono::milliseconds(milliseconds),
                      [this] { return !asbRunning_ || applicationWaiting_ > 0; });
    return asbRunning_ && applicationWaiting_ == 0;
}

}  // namespace pos::printer
