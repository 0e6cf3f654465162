# Shared steps of scripts/run and scripts/test: install what is missing, build,
# prepare the Wine prefix, and start a virtual display and a wineserver.
# Sourced, not run. Every step is idempotent and quick when its work is done.

QINGQU_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
QINGQU_BUILD=${QINGQU_BUILD:-$QINGQU_ROOT/build}
QINGQU_MINGW_BUILD=$QINGQU_BUILD/mingw
QINGQU_NATIVE_BUILD=$QINGQU_BUILD/native
QINGQU_FUZZ_BUILD=$QINGQU_BUILD/fuzz
QINGQU_WINEPREFIX=$QINGQU_MINGW_BUILD/wine-prefix

QINGQU_PACKAGES=(
    cmake ninja-build g++ clang libclang-rt-14-dev googletest
    g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
    wine wine64 fonts-wine xvfb xauth fonts-wqy-microhei imagemagick xdotool
    python3 openssl
)

qingqu_say() { printf '== %s\n' "$*"; }

qingqu_install_missing() {
    local missing=() package
    for package in "${QINGQU_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    qingqu_say "installing ${missing[*]}"
    local sudo=
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -q
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}

qingqu_configure() {  # build-folder, extra cmake arguments...
    local dir=$1
    shift
    [ -f "$dir/build.ninja" ] && return 0
    cmake -S "$QINGQU_ROOT" -B "$dir" -G Ninja "$@"
}

qingqu_build_mingw() {  # [target]
    qingqu_configure "$QINGQU_MINGW_BUILD" \
        -DCMAKE_TOOLCHAIN_FILE="$QINGQU_ROOT/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=Release
    cmake --build "$QINGQU_MINGW_BUILD" -j2 ${1:+--target "$1"}
}

qingqu_build_native() {
    qingqu_configure "$QINGQU_NATIVE_BUILD" -DCMAKE_BUILD_TYPE=Debug
    cmake --build "$QINGQU_NATIVE_BUILD" -j2
}

qingqu_build_fuzz() {
    qingqu_configure "$QINGQU_FUZZ_BUILD" -DQINGQU_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build "$QINGQU_FUZZ_BUILD" -j2
}

qingqu_wine() {
    WINEPREFIX=$QINGQU_WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=' "$@"
}

# Starts Xvfb on a free display number and exports DISPLAY; stopped by qingqu_cleanup.
qingqu_start_display() {
    local n=90
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    QINGQU_XVFB_PID=$!
    export DISPLAY=":$n"
    local tries=0
    until [ -e "/tmp/.X11-unix/X$n" ]; do
        tries=$((tries + 1))
        [ $tries -gt 100 ] && { echo "Xvfb did not start" >&2; return 1; }
        sleep 0.05
    done
}

# Makes the prefix once: Wine draws its own title bars (there is no window
# manager on Xvfb), Chinese texts use WenQuanYi Micro Hei, and Wine's own fonts
# are where its title-bar buttons look for them.
qingqu_prepare_prefix() {
    local stamp=$QINGQU_WINEPREFIX/.qingqu-ready-2
    [ -f "$stamp" ] && return 0
    qingqu_say "preparing the Wine prefix $QINGQU_WINEPREFIX"
    mkdir -p "$QINGQU_WINEPREFIX"
    [ -f "$QINGQU_WINEPREFIX/system.reg" ] || qingqu_wine wineboot -u >/dev/null 2>&1
    qingqu_wine wineserver -w
    local font
    for font in SimSun NSimSun 'Microsoft YaHei' 'MS UI Gothic' PMingLiU 'MS Shell Dlg' \
        'MS Shell Dlg 2' Tahoma; do
        qingqu_wine wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$font" /t REG_SZ \
            /d 'WenQuanYi Micro Hei' /f >/dev/null 2>&1
    done
    # Tahoma, the title bar's font, has no Chinese: let it borrow WenQuanYi's glyphs.
    for font in Tahoma 'Tahoma Bold' 'Microsoft Sans Serif' 'MS Sans Serif'; do
        qingqu_wine wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
            /v "$font" /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f >/dev/null 2>&1
    done
    qingqu_wine wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f \
        >/dev/null 2>&1
    qingqu_wine wineserver -w
    cp -n /usr/share/wine/fonts/*.ttf "$QINGQU_WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    touch "$stamp"
}

# A persistent wineserver saves each Wine program about half a second of start-up.
qingqu_start_wineserver() {
    qingqu_wine wineserver -k 2>/dev/null || true
    qingqu_wine wineserver -p
    # The first program of a session starts Wine's own services, which keep that
    # program's output open; start them here so no test's pipe is held by them.
    qingqu_wine wine cmd /c exit >/dev/null 2>&1 </dev/null || true
}

qingqu_cleanup() {
    qingqu_wine wineserver -k 2>/dev/null || true
    [ -n "${QINGQU_XVFB_PID:-}" ] && kill "$QINGQU_XVFB_PID" 2>/dev/null
    QINGQU_XVFB_PID=
    return 0
}
