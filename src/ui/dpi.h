#pragma once
// The screen's DPI, and what follows from it. Layout tables are in 96-DPI pixels; the functions
// that tell a window's DPI on later Windows (10 and on) are looked up at run time, so the programs
// still load on Windows XP.
#include "common/handles.h"

#include <windows.h>

namespace ui {

// Sent to a per-monitor-aware window that moved to a monitor of another DPI (Windows 8.1 and on).
constexpr UINT kDpiChangedMessage = 0x02E0;

// The DPI the system lays out for (100 %: 96).
int SystemDpi();
// The DPI of the monitor `window` is on, where the system tells it; otherwise the system's.
int WindowDpi(HWND window);
// Makes the process DPI-aware when its manifest has not already (per monitor where offered).
void DeclareDpiAware();
// A 96-DPI length at `dpi`. Positions are scaled as edges (left and right, not left and width), so
// that controls that meet at 96 DPI still meet.
inline int ScaleToDpi(int value, int dpi) { return MulDiv(value, dpi, 96); }
// The program's icon resource `name` at the size the system asks for (SM_CXSMICON or SM_CXICON),
// through LoadIconMetric where it exists (Vista and on). The caller owns it.
common::Icon LoadIconAtSystemSize(const char* name, bool small);
// A copy of `icon` at the size the system asks for (SM_CXSMICON or SM_CXICON), taken from the best
// image of the resource it was loaded from; a plain copy when it came from no resource.
common::Icon IconAtSystemSize(HICON icon, bool small);

}  // namespace ui
