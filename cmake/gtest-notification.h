// Force-included into GoogleTest's own build for mingw's win32 thread model, which has no
// std::mutex: a Notification made of an atomic flag.
#pragma once
#define GTEST_HAS_NOTIFICATION_ 1
#ifdef __cplusplus
#include <atomic>
#include <windows.h>
namespace testing {
namespace internal {
class Notification {
public:
    Notification() : notified_(false) {}
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;
    void Notify() { notified_.store(true); }
    void WaitForNotification() {
        while (!notified_.load()) Sleep(1);
    }

private:
    std::atomic<bool> notified_;
};
}  // namespace internal
}  // namespace testing
#endif
