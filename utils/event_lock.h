#pragma once

#include <windows.h>

namespace utils {

// Holds a lock made of an auto-reset event: the wait takes it, SetEvent gives
// it back. Such a lock is not recursive, so never nest two of these on one
// event.
class EventLock {
  public:
    explicit EventLock(HANDLE event) : event_(event) {
        if (event_) {
            ::WaitForSingleObject(event_, INFINITE);
        }
    }
    ~EventLock() {
        if (event_) {
            ::SetEvent(event_);
        }
    }
    EventLock(const EventLock&) = delete;
    EventLock& operator=(const EventLock&) = delete;

  private:
    HANDLE event_;
};

}  // namespace utils
