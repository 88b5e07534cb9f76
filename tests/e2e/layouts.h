#pragma once
// The expected layouts of every window of both programs at 96 DPI (layouts_test.cpp), for the tests
// that look at the same windows in other ways.
#include "layout.h"

namespace e2e {

ExpectedWindow HostForm();
ExpectedWindow Popup();
ExpectedWindow Wizard();
ExpectedWindow ControlCenter();
ExpectedWindow About();
ExpectedWindow UpdateWindow();

}  // namespace e2e
