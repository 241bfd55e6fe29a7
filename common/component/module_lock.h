#pragma once
// Live objects plus server locks of one component library: what DllCanUnloadNow answers from.
#include <atomic>

namespace pos::component {

class ModuleLock {
  public:
    static void lock() { count_.fetch_add(1, std::memory_order_relaxed); }
    static void unlock() { count_.fetch_sub(1, std::memory_order_acq_rel); }
    static long count() { return count_.load(std::memory_order_acquire); }

  private:
    static inline std::atomic<long> count_{0};
};

}  // namespace pos::component
