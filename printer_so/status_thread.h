#pragma once
// The status thread: waits on the link for received bytes while status monitoring is on and
// hands each arrival to the status report reader. It also keeps its own port reads apart from
// the application thread's status request.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

#include "device_link.h"
#include "trace_log.h"

namespace pos::printer {

class AsbThread {
  public:
    // The right to read the port, held while this lives; empty when the status thread is to
    // give up instead.
    class PortUse {
      public:
        PortUse() = default;
        PortUse(PortUse&& other) noexcept;
        PortUse& operator=(PortUse&&) = delete;
        PortUse(const PortUse&) = delete;
        ~PortUse();
        explicit operator bool() const { return owner_ != nullptr; }

      private:
        friend class AsbThread;
        PortUse(AsbThread* owner, bool application) : owner_(owner), application_(application) {}
        AsbThread* owner_ = nullptr;
        bool application_ = false;
    };

    AsbThread(DeviceLink& link, TraceLog& trace);
    AsbThread(const AsbThread&) = delete;
    AsbThread& operator=(const AsbThread&) = delete;
    ~AsbThread();

    // Starts the thread, which runs onReceived whenever the link signals received bytes while
    // reports are wanted. False when a thread is already there or none could be started.
    bool CreateASBThread(std::function<void()> onReceived);
    // Tells the thread to stop and waits until it has ended, then closes the receive event.
    // Called from the thread itself (an event handler disabling the device), it only tells.
    void CloseASBThread();
    bool threadHeld() const { return thread_.joinable(); }

    // AsbEnabled as the thread sees it.
    void setReportsWanted(bool wanted) { reportsWanted_ = wanted; }

    // Application thread: the status thread leaves the port (its pending look gives up) and
    // stays off it while the use lives. Uses on the application thread may nest.
    PortUse claimPortForApplication();
    // Status thread: waits while the application uses the port; empty once told to stop.
    PortUse claimPortForThread();
    // Status thread: waits the given time between looks; false when the thread is to stop or
    // the application wants the port.
    bool pause(std::uint32_t milliseconds);

  private:
    void run();
    bool keepRunning();
    void idleUntil(std::chrono::steady_clock::time_point end);
    bool onThread() const { return std::this_thread::get_id() == thread_.get_id(); }
    bool createFailed();
    void join();
    void release(bool application);

    DeviceLink& link_;
    TraceLog& trace_;
    std::function<void()> onReceived_;
    std::atomic<bool> reportsWanted_{true};

    std::mutex mutex_;
    std::condition_variable changed_;
    bool asbRunning_ = true;  // the thread's loop goes on while set
    int applicationWaiting_ = 0;
    int applicationUses_ = 0;
    bool threadUses_ = false;

    std::thread thread_;
};

}  // namespace pos::printer
