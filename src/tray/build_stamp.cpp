#include "tray/build_stamp.h"

#ifndef QUORVEX_BUILD
#error "QUORVEX_BUILD must name the build number"
#endif
#define QV_TEXT(x) QV_TEXT2(x)
#define QV_TEXT2(x) #x

namespace tray {

namespace {
// Kept whole in the executable; scripts/make-update looks for this marker.
const char kBuildStamp[] = "QuorvexBuild=" QV_TEXT(QUORVEX_BUILD);
}  // namespace

const char* ProgramBuildNumber() { return kBuildStamp + sizeof("QuorvexBuild=") - 1; }

}  // namespace tray
