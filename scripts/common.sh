# Shared by the scripts and by cmake/wine-run and cmake/wine-prefix: installing what is missing,
# which Wine loader runs the programs, and a virtual display for Wine.
# shellcheck shell=bash

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Debian packages the build and the tests need (openssl and osslsigncode sign a fixture and judge
# an edited signed one; python3-pefile reads grown programs). The 32-bit program runs on Debian's
# 32-bit Wine
# (wine32, from the i386 architecture); a Wine prefix made without it cannot run 32-bit programs.
PACKAGES=(locales cmake g++ g++-mingw-w64-x86-64 g++-mingw-w64-i686 wine64 wine wine32:i386 xvfb
          xauth x11-utils fonts-wqy-zenhei imagemagick googletest libgtest-dev clang-14
          libclang-rt-14-dev clang-format nlohmann-json3-dev openssl osslsigncode python3-pefile)

ensure_packages() {
    local sudo=
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    # Added before the package lists are read, so that the update below brings i386's too.
    dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
    local missing=()
    for package in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
}

# Whether this machine runs 32-bit code, decided once and passed on to every script and test that
# the caller starts (QUORVANE_WINE32=yes or no). Some kernels refuse every 32-bit program, Wine's
# 32-bit loader included ("Exec format error"); Debian's wine and wineboot pick that loader whenever
# wine32 is installed, so there they start nothing at all. On such a machine cmake/wine64 goes first
# on PATH: its wine and wineboot take the 64-bit loader, the 64-bit programs run as anywhere else,
# and the 32-bit ones are skipped (cmake/wine-run). QUORVANE_WINE32_LOADER names another loader to
# try, for the scripts' own test.
choose_wine() {
    if [ -z "${QUORVANE_WINE32:-}" ]; then
        if "${QUORVANE_WINE32_LOADER:-/usr/lib/wine/wine}" --version >/dev/null 2>&1; then
            QUORVANE_WINE32=yes
        else
            QUORVANE_WINE32=no
        fi
        export QUORVANE_WINE32
    fi
    if [ "$QUORVANE_WINE32" = no ]; then
        export WINELOADER=/usr/lib/wine/wine64
        case ":$PATH:" in
            *":$ROOT/cmake/wine64:"*) ;;
            *) export PATH=$ROOT/cmake/wine64:$PATH ;;
        esac
    fi
}

# The line that scripts/test ends with where the 32-bit tests could not run.
NO_WINE32_NOTE="The 32-bit Windows tests were skipped: this machine's kernel runs no 32-bit code."

# Wine names Unix files in the host locale's character set: without the Chinese (PRC) UTF-8
# locale it cannot create or find a file whose name is not ASCII.
ensure_locale() {
    locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$' && return 0
    local sudo=
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null ||
        echo 'zh_CN.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
    $sudo locale-gen >/dev/null
}

# Starts Xvfb on a free display and exports DISPLAY; stop_xvfb ends it.
start_xvfb() {
    local display=90
    while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
        display=$((display + 1))
    done
    Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$display"
    for _ in $(seq 50); do
        [ -e "/tmp/.X11-unix/X$display" ] && return 0
        sleep 0.1
    done
    echo "Xvfb did not start" >&2
    return 1
}

stop_xvfb() {
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true
}

# Configures a preset into its build folder (or the one given, with any further options). A
# folder made with another compiler than the preset's toolchain names now (the toolchain changed
# since) is configured afresh, since CMake keeps the compiler that it first found.
configure() {
    local preset=$1 build=${2:-$ROOT/build/$1}
    shift $(($# < 2 ? $# : 2))
    local toolchain=
    case $preset in
        win64) toolchain=$ROOT/cmake/mingw-x86_64.cmake ;;
        win32) toolchain=$ROOT/cmake/mingw-i686.cmake ;;
    esac
    if [ -n "$toolchain" ] && [ -f "$build/CMakeCache.txt" ]; then
        local wanted found
        wanted=$(sed -n 's/^set(CMAKE_CXX_COMPILER \(.*\))$/\1/p' "$toolchain")
        found=$(cat "$build"/CMakeFiles/*/CMakeCXXCompiler.cmake 2>/dev/null |
                    sed -n 's|^set(CMAKE_CXX_COMPILER ".*/\(.*\)")$|\1|p')
        [ "$wanted" = "$found" ] || rm -rf "$build/CMakeCache.txt" "$build/CMakeFiles"
    fi
    cmake --preset "$preset" -B "$build" "$@" >/dev/null
}
