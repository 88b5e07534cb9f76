# Shared by the benchmark scripts: an optimised native build of the archive code (no sanitizers)
# in build/bench, and the small benchmark programs compiled against it.
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BENCH_BUILD="$ROOT/build/bench"
WORK="${BENCH_WORK:-$ROOT/build/bench-work}"

# Each argument is COMMAND:PACKAGE. Installs the packages whose command is missing (as root, with
# apt-get); otherwise names them and stops.
need() {
    local missing=() pair
    for pair in "$@"; do command -v "${pair%%:*}" >/dev/null 2>&1 || missing+=("${pair#*:}"); done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "bench: missing: ${missing[*]}" >&2
    if [ "$(id -u)" = 0 ] && command -v apt-get >/dev/null 2>&1; then
        echo "bench: installing ${missing[*]}" >&2
        DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null &&
            return 0
    fi
    echo "bench: install them first: apt-get install ${missing[*]}" >&2
    exit 1
}

build_bench() {
    need cmake:cmake ninja:ninja-build clang++:clang
    cmake -S "$ROOT" -B "$BENCH_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_COMPILER=clang \
        -DCMAKE_CXX_COMPILER=clang++ -DQV_SANITIZE=OFF -DQV_FUZZ=OFF >/dev/null
    cmake --build "$BENCH_BUILD" --target archive zatool >/dev/null
    local lib="$BENCH_BUILD/src/archive/libarchive.a"
    clang++ -std=c++17 -O2 -I"$ROOT/src" "$ROOT/bench/decode_bench.cpp" "$lib" -lz -lbz2 -o "$BENCH_BUILD/decode_bench"
    clang++ -std=c++17 -O2 "$ROOT/bench/ref_extract.cpp" -lz -o "$BENCH_BUILD/ref_extract"
}

# quorvex_program_dir DIR EXE: a program directory for Quorvex (and the manual) whose profile for the
# Wine user holds the desktop's own mode: no wizard, and "Apply settings" keeps the screen as it is.
# Needs a running Wine session.
quorvex_program_dir() {
    local user
    user=$(wine cmd /c echo %USERNAME% 2>/dev/null | tr -d '\r' | tr 'a-z' 'A-Z')
    mkdir -p "$1/Users"
    cp "$2" "$1/Quorvex.exe"
    [ -f "$BUILD/dist/readme.txt" ] && cp "$BUILD/dist/readme.txt" "$1/"
    printf '[Screen]\r\noldX=1024\r\noldY=768\r\noldDepth=32\r\nX=1024\r\nY=768\r\nDepth=32\r\n' > "$1/Users/$user"
}
