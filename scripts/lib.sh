# Shared by scripts/setup, run and test: paths and the Wine environment of this checkout.
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
DEPS="$ROOT/.deps"
# Builds land in build/ unless QV_BUILD_DIR names another folder (for working trees built side by side).
BUILD="${QV_BUILD_DIR:-$ROOT/build}"

# The programs are 32-bit, and so is the Wine that tests them, on every machine. Where the kernel runs
# no 32-bit code (virtual machines without 32-bit user space), 32-bit Wine runs through the emulator
# qemu-i386 (QV_WINE_ROAD=qemu): scripts/qemu/wine runs each Wine call in a private user and mount namespace
# whose own binfmt_misc hands i386 programs to qemu-i386, so nothing is registered for the whole
# machine. The wineserver is the 64-bit one either way. QV_WINE_QEMU=1 or 0 forces the road or the
# plain one; QV_WINE_BITS=64 still tests the x86_64 build of the same sources under 64-bit Wine
# (build/win64, program directory build/dist64, prefix .wine64), for comparison only.
# Called again once setup has installed the 32-bit loader it asks.
QEMU_I386="$DEPS/qemu/qemu-i386"
select_wine() {
    local bits=${QV_WINE_BITS:-32}
    WINE_BITS=$bits
    export QV_WINE_ROAD=plain
    if [ "$bits" = 64 ]; then
        TEST_TREE=win64
        TEST_DIST="$BUILD/dist64"
        export WINEPREFIX="$ROOT/.wine64" WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64
        # Debian's `wine` starts the 32-bit loader whenever it is installed: this one starts the 64-bit one.
        prepend_path "$ROOT/scripts/wine64"
        return
    fi
    TEST_TREE=win
    TEST_DIST="$BUILD/dist"
    export WINEPREFIX="$ROOT/.wine" WINEARCH=win32
    if [ "${QV_WINE_QEMU:-}" = 1 ] || { [ -z "${QV_WINE_QEMU:-}" ] && [ -e /lib/ld-linux.so.2 ] &&
                                         ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; }; then
        QV_WINE_ROAD=qemu
        export QV_QEMU_I386="$QEMU_I386"
        prepend_path "$ROOT/scripts/qemu"
    fi
}
prepend_path() {
    case ":$PATH:" in *":$1:"*) ;; *) export PATH="$1:$PATH" ;; esac
}
select_wine

# Configures the Windows and the native tree (the same settings as CMakePresets.json), and the
# x86_64 Windows tree where the tests need it.
configure_trees() {
    cmake -S "$ROOT" -B "$BUILD/win" -G Ninja --toolchain "$ROOT/cmake/mingw-i686.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DQV_DIST_DIR="$BUILD/dist" >/dev/null
    if [ "$TEST_TREE" = win64 ]; then
        cmake -S "$ROOT" -B "$BUILD/win64" -G Ninja --toolchain "$ROOT/cmake/mingw-x86_64.cmake" \
            -DCMAKE_BUILD_TYPE=Release -DQV_DIST_DIR="$TEST_DIST" -DQV_SHIPPED_DIST_DIR="$BUILD/dist" >/dev/null
    fi
    cmake -S "$ROOT" -B "$BUILD/native" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="

# A marker written by setup once everything is in place; its content changes when setup changes,
# so an older checkout's machine runs the new steps.
SETUP_MARK="$DEPS/setup.done"
setup_fingerprint() { sha1sum "$ROOT/scripts/setup" | cut -c1-40; }
setup_needed() {
    [ ! -f "$SETUP_MARK" ] || [ "$(cat "$SETUP_MARK")" != "$(setup_fingerprint)" ] || [ ! -d "$WINEPREFIX/drive_c" ] ||
        { [ "$QV_WINE_ROAD" = qemu ] && [ ! -x "$QEMU_I386" ]; }
}

# Starts a private Xvfb unless $DISPLAY already reaches a server; sets XVFB_PID when it started one.
XVFB_PID=
start_xvfb() {
    if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
    local n
    for n in $(seq 90 130); do
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
        Xvfb ":$n" -screen 0 "${QV_XVFB_SCREEN:-1600x1200x24}" -nolisten tcp >/dev/null 2>&1 9>&- &
        XVFB_PID=$!
        export DISPLAY=":$n"
        local i
        for i in $(seq 1 50); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
        kill "$XVFB_PID" 2>/dev/null; XVFB_PID=
    done
    echo "could not start Xvfb" >&2
    return 1
}

# The wineserver must be started after $DISPLAY is set, and kept warm so every test program starts fast.
start_wine() {
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    clear_autostart
    # The daemons must not inherit the prefix lock (fd 9), or it would outlive this run.
    wineserver -p </dev/null >/dev/null 2>&1 9>&- || true
    wine wineboot </dev/null >/dev/null 2>&1 9>&- || true
}

# Every new Wine session starts the programs named in the prefix's Run keys. A Quorvex that
# scripts/run started (or a test program killed before its clean-up) registered itself there, and
# would come back holding the single-instance mutex. While no wineserver runs, the values that start
# a program from the Unix file system (drive Z:) are taken out; Wine's own entries stay.
clear_autostart() {
    local reg
    for reg in "$WINEPREFIX/system.reg" "$WINEPREFIX/user.reg"; do
        [ -f "$reg" ] || continue
        python3 - "$reg" <<'PY'
import re, sys
path = sys.argv[1]
lines = open(path, encoding="utf-8", errors="surrogateescape", newline="").read().split("\n")
run_key = re.compile(r'^\[.*\\\\CurrentVersion\\\\Run(Once|Services|ServicesOnce)?\]', re.I)
program_value = re.compile(r'^(".*"|@)=(str\([0-9]\):)?"(\\")?[Zz]:\\\\')
kept, in_run, changed = [], False, False
for line in lines:
    if line.startswith("["):
        in_run = bool(run_key.match(line))
    elif in_run and program_value.match(line):
        changed = True
        continue
    kept.append(line)
if changed:
    open(path, "w", encoding="utf-8", errors="surrogateescape", newline="").write("\n".join(kept))
PY
    done
}

# One Wine session per prefix at a time: runs that share this checkout's prefix wait for each other
# instead of stopping each other's wineserver.
lock_prefix() {
    # Inside a private namespace the prefix is a throw-away overlay of its own.
    [ "${QV_IN_NETNS:-}" = 1 ] && return 0
    mkdir -p "$DEPS"
    exec 9>"$DEPS/wine.lock"
    flock 9
}
stop_wine() { wineserver -k >/dev/null 2>&1 || true; }
stop_xvfb() { [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null; XVFB_PID=; }
