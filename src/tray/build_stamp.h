#pragma once
// The build number of this Quorvex, set per build by the CMake cache variable QUORVEX_BUILD. Quorvex
// stamps it into version.txt at every start, and scripts/make-update reads it from the executable
// it packages, so that an update list always announces the build its package holds.

namespace tray {

// The build number as decimal text.
const char* ProgramBuildNumber();

}  // namespace tray
