#pragma once
// Forced into every file that uses GoogleTest in the mingw builds. The
// win32-thread flavour of mingw's libstdc++ has no std::mutex and no
// std::condition_variable, which GoogleTest's Notification (used only by its
// own thread helpers) needs. These minimal spinning versions serve it
// without pulling <windows.h> into every test; the tests are single-threaded.

#include <bits/c++config.h>

#if defined(__MINGW32__) && !defined(_GLIBCXX_HAS_GTHREADS)
#include <atomic>
#include <condition_variable>
#include <mutex>

namespace std {

class mutex {
public:
    mutex() = default;
    mutex(const mutex&) = delete;
    mutex& operator=(const mutex&) = delete;
    void lock() {
        while (m_locked.test_and_set(memory_order_acquire)) {
        }
    }
    void unlock() { m_locked.clear(memory_order_release); }
    bool try_lock() { return !m_locked.test_and_set(memory_order_acquire); }

private:
    atomic_flag m_locked = ATOMIC_FLAG_INIT;
};

class condition_variable {
public:
    condition_variable() = default;
    condition_variable(const condition_variable&) = delete;
    condition_variable& operator=(const condition_variable&) = delete;
    void notify_all() {}
    void notify_one() {}
    template <class Predicate> void wait(unique_lock<mutex>& lock, Predicate ready) {
        while (!ready()) {
            lock.unlock();
            lock.lock();
        }
    }
};

} // namespace std
#endif
