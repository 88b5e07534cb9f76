#pragma once
// A worker thread (Win32; the toolchain has no std::thread). It never touches a window: it hands
// calls to the GUI thread with Synchronize and waits for them.
#include "common/handles.h"

#include <functional>

namespace ui {

class Thread {
public:
    Thread();
    virtual ~Thread();  // waits for the thread to end, unless it runs on that thread
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // When set before Start, the object deletes itself on its own thread once Execute has returned;
    // nobody else may delete it or wait for it then.
    bool FreeOnTerminate = false;

    void Start();
    void WaitFor();
    bool Finished() const;
    HANDLE Handle() const { return handle_.Get(); }

protected:
    virtual void Execute() = 0;
    // Runs `call` on the GUI thread, while it handles messages (also inside modal loops), and
    // returns once it has run. An exception `call` raises comes back here.
    static void Synchronize(const std::function<void()>& call);

private:
    static unsigned __stdcall Entry(void* self);
    common::Handle handle_;
    DWORD id_ = 0;
    volatile LONG finished_ = 0;
};

// What ends the process when an exception escapes a worker: a task-modal box captioned
// "Application Error" naming the error's class and message, then exit code 1.
[[noreturn]] void WorkerFailed(const std::exception& error);

}  // namespace ui
