# Shared by the scripts: installing what is missing, and a virtual display for Wine.
# shellcheck shell=bash

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Debian packages the build and the tests need (openssl and osslsigncode sign a fixture and judge
# an edited signed one). The 32-bit program runs on Debian's 32-bit Wine
# (wine32, from the i386 architecture); a Wine prefix made without it cannot run 32-bit programs.
PACKAGES=(locales cmake g++ g++-mingw-w64-x86-64 g++-mingw-w64-i686 wine64 wine wine32:i386 xvfb
          xauth x11-utils fonts-wqy-zenhei imagemagick googletest libgtest-dev clang-14
          libclang-rt-14-dev clang-format nlohmann-json3-dev openssl osslsigncode)

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
