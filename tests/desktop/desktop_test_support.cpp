#include "desktop_test_support.h"

namespace desktoptest {

const ui::FormSpec Tdesk::kForm = {
    .className = "Tdesk",
    .caption = "Desktop components",
    .width = 300,
    .height = 200,
};

const ui::ControlSpec Tdesk::kLayout[] = {
    ui::Button("Button1", {8, 8, 75, 25}, "Hinted").Hint("A hint"),
    ui::PopupMenu("popup"),
    ui::MenuItem("Open1", "Open", "popup").Default().OnClick(&Tdesk::Open1Click),
    ui::MenuItem("N1", "-", "popup"),
    ui::MenuItem("Other1", "Other", "popup"),
};

Tdesk::Tdesk(ui::Form* owner) : ui::Form(owner, kForm, kLayout) {}

void DesktopTest::SetUp() {
    ui::App().Reset();
    ui::App().SetTitle("Desktop test");
    ui::App().CreateForm(form);
}

void DesktopTest::TearDown() { ui::App().Reset(); }

MutexHolder::MutexHolder(const std::string& name)
    : name_(name), taken_(CreateEventA(nullptr, TRUE, FALSE, nullptr)), stop_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    thread_ = CreateThread(nullptr, 0, Body, this, 0, nullptr);
    WaitForSingleObject(taken_, 100000);
}

DWORD WINAPI MutexHolder::Body(void* param) {
    auto* self = static_cast<MutexHolder*>(param);
    HANDLE mutex = CreateMutexA(nullptr, FALSE, self->name_.c_str());
    WaitForSingleObject(mutex, INFINITE);
    SetEvent(self->taken_);
    WaitForSingleObject(self->stop_, INFINITE);
    if (self->release_) ReleaseMutex(mutex);
    CloseHandle(mutex);
    return 0;
}

void MutexHolder::Stop(bool release) {
    if (!thread_) return;
    release_ = release;
    SetEvent(stop_);
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    CloseHandle(taken_);
    CloseHandle(stop_);
    thread_ = nullptr;
}

}  // namespace desktoptest
