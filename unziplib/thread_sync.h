#pragma once
// The lock and the conditions that the library's threads share. On Windows they are the system's
// slim lock and condition variables, which Wine serves in the process itself; the standard ones
// of this toolchain are built on semaphores, and Wine serves every wait and wake of those by a
// call to its server. Elsewhere they are the standard ones.

#include <condition_variable>
#include <mutex>

#ifdef _WIN32
#include <windows.h>
#endif

namespace tarvik::unziplib {

#ifdef _WIN32

class ThreadLock {
 public:
  ThreadLock() = default;
  ThreadLock(const ThreadLock&) = delete;
  ThreadLock& operator=(const ThreadLock&) = delete;
  void lock() { AcquireSRWLockExclusive(&lock_); }
  void unlock() { ReleaseSRWLockExclusive(&lock_); }

 private:
  friend class ThreadCondition;
  SRWLOCK lock_ = SRWLOCK_INIT;
};

class ThreadCondition {
 public:
  ThreadCondition() = default;
  ThreadCondition(const ThreadCondition&) = delete;
  ThreadCondition& operator=(const ThreadCondition&) = delete;
  template <typename Ready>
  void wait(std::unique_lock<ThreadLock>& lock, Ready ready) {
    while (!ready()) SleepConditionVariableSRW(&condition_, &lock.mutex()->lock_, INFINITE, 0);
  }
  void notify_one() { WakeConditionVariable(&condition_); }
  void notify_all() { WakeAllConditionVariable(&condition_); }

 private:
  CONDITION_VARIABLE condition_ = CONDITION_VARIABLE_INIT;
};

#else

using ThreadLock = std::mutex;
using ThreadCondition = std::condition_variable;

#endif

}  // namespace tarvik::unziplib
