#include "ui/thread.h"

#include "common/system_services.h"
#include "ui/application.h"
#include "ui/exception.h"

#include <process.h>

#include <deque>
#include <exception>

namespace ui {

namespace {

// A call a worker waits for.
struct PendingCall {
    const std::function<void()>* call;
    HANDLE done;
    std::exception_ptr error;
};

class SyncQueue {
public:
    SyncQueue() { InitializeCriticalSection(&lock_); }
    ~SyncQueue() { DeleteCriticalSection(&lock_); }

    void Push(PendingCall* call) {
        EnterCriticalSection(&lock_);
        calls_.push_back(call);
        LeaveCriticalSection(&lock_);
    }
    PendingCall* Pop() {
        EnterCriticalSection(&lock_);
        PendingCall* call = nullptr;
        if (!calls_.empty()) {
            call = calls_.front();
            calls_.pop_front();
        }
        LeaveCriticalSection(&lock_);
        return call;
    }

private:
    CRITICAL_SECTION lock_;
    std::deque<PendingCall*> calls_;
};

// Never destroyed, like the window handle below: a worker that hands off a call while the process
// is already ending finds both still there (its call is simply never run).
SyncQueue& Queue() {
    static SyncQueue* queue = new SyncQueue;
    return *queue;
}

DWORD guiThreadId = GetCurrentThreadId();
HWND syncWindow = nullptr;  // the application window the calls are announced to

// A worker started by Thread waits for its calls on one event of its own rather than on a new
// one per call: a hand-off per received block should cost no more than it must.
thread_local HANDLE workerEvent = nullptr;

}  // namespace

void Application::CheckSynchronize() {
    while (PendingCall* call = Queue().Pop()) {
        try {
            (*call->call)();
        } catch (...) {
            call->error = std::current_exception();
        }
        SetEvent(call->done);
    }
}

Thread::Thread() = default;

Thread::~Thread() { WaitFor(); }

void Thread::Start() {
    if (handle_) return;
    App().Initialize();  // the window the worker's calls are posted to
    syncWindow = App().Handle();
    unsigned id = 0;
    // Suspended until the handle is stored: a self-freeing thread may be gone right after it runs.
    handle_.Reset(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, Entry, this, CREATE_SUSPENDED, &id)));
    if (!handle_) throw OutOfResources("Thread creation error");
    id_ = id;
    ResumeThread(handle_.Get());
}

void Thread::WaitFor() {
    if (!handle_ || GetCurrentThreadId() == id_) return;
    HANDLE thread = handle_.Get();
    if (GetCurrentThreadId() != guiThreadId) {
        WaitForSingleObject(thread, INFINITE);
        return;
    }
    // The GUI thread keeps running the worker's calls while it waits, or neither would go on.
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_POSTMESSAGE) ==
           WAIT_OBJECT_0 + 1)
        App().CheckSynchronize();
}

bool Thread::Finished() const { return finished_ != 0; }

unsigned __stdcall Thread::Entry(void* self) {
    auto* thread = static_cast<Thread*>(self);
    common::Handle event(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    workerEvent = event.Get();
    try {
        thread->Execute();
    } catch (const std::exception& error) {
        WorkerFailed(error);
    } catch (...) {
        WorkerFailed(Exception("Unknown error"));
    }
    workerEvent = nullptr;
    event.Reset();
    InterlockedExchange(&thread->finished_, 1);
    if (thread->FreeOnTerminate) delete thread;
    return 0;
}

void Thread::Synchronize(const std::function<void()>& call) {
    if (GetCurrentThreadId() == guiThreadId) {
        call();
        return;
    }
    common::Handle ownEvent;
    if (!workerEvent) ownEvent.Reset(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    PendingCall pending{&call, workerEvent ? workerEvent : ownEvent.Get(), nullptr};
    Queue().Push(&pending);
    PostMessageA(syncWindow ? syncWindow : App().Handle(), kSynchronizeMessage, 0, 0);
    WaitForSingleObject(pending.done, INFINITE);
    if (pending.error) std::rethrow_exception(pending.error);
}

void WorkerFailed(const std::exception& error) {
    const std::string text = std::string(ExceptionClassName(error)) + ": " + WithFullStop(error.what());
    common::Services().MessageBoxA(nullptr, text, "Application Error", MB_OK | MB_ICONSTOP | MB_TASKMODAL);
    ExitProcess(1);
}

}  // namespace ui
