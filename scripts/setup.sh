#!/usr/bin/env bash
# Installs what building, running and testing Brisklane needs on a Debian machine, skipping what is there.
# Sourced by scripts/run.sh and scripts/test.sh.
set -euo pipefail

brisklane_packages=(
    cmake ninja-build g++ clang clang-16 clang-format-16 libclang-rt-14-dev python3 git
    googletest libbenchmark-dev
    g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
    wine wine64 fonts-wine xvfb tcpdump iproute2 iputils-ping
    wireshark-common # editcap: the tests and benchmarks convert the real captures to pcapng
    nfdump softflowd # the flow export tests and benchmark: a collector, and a peer probe to compare
)

brisklane_install_missing() {
    local missing=()
    local package
    for package in "${brisklane_packages[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
    done
    if [ ${#missing[@]} -eq 0 ]; then
        return 0
    fi
    echo "setup: installing ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    # wine32 is deliberately absent: this kernel cannot run 32-bit programs and the wine wrapper would pick it.
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# Starts a virtual display on a free number when none is given; sets DISPLAY and BRISKLANE_XVFB_PID. The
# server picks the number itself (-displayfd), so displays started side by side never collide.
brisklane_start_display() {
    if [ -n "${DISPLAY:-}" ] && [ -z "${BRISKLANE_FORCE_XVFB:-}" ]; then
        return 0
    fi
    local numbers
    numbers=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$numbers" >/dev/null 2>&1 &
    BRISKLANE_XVFB_PID=$!
    local i number=""
    for i in $(seq 1 100); do
        number=$(head -1 "$numbers")
        [ -n "$number" ] && break
        kill -0 "$BRISKLANE_XVFB_PID" 2>/dev/null || break
        sleep 0.05
    done
    rm -f "$numbers"
    if [ -z "$number" ]; then
        echo "setup: the virtual display did not start" >&2
        return 1
    fi
    export DISPLAY=":${number}"
}

# Wine's own fonts, which a Windows dialog's "MS Shell Dlg" resolves to. This Wine does not look in their
# installed folder, so without a copy in the prefix the dialog font becomes whatever the machine happens to
# have (DejaVu Sans on a plain Debian), and every window is laid out wider than on Windows.
brisklane_wine_fonts=/usr/share/wine/fonts

# Gives the current prefix the look of a Windows machine: Wine's fonts in its font folder, and window frames
# and captions drawn by Wine itself, as Windows draws them, rather than by whatever window manager runs (on
# a virtual display none does, and a window would have no caption at all). The controls take the classic
# look: Wine's own visual style asks the Wine server for the display configuration six times for every
# themed part it draws and twenty for every scroll bar, so a list that fills up for the first time takes
# three to five times as long to show its rows as with the classic look. On Windows the system's style
# applies as ever. The prefix starts out set up for a virtual display, where no window manager runs: see
# brisklane_prefix_window_manager.
brisklane_prefix_look() {
    if [ ! -f "$brisklane_wine_fonts/tahoma.ttf" ]; then
        echo "setup: Wine's fonts are missing from $brisklane_wine_fonts (package fonts-wine)" >&2
        return 1
    fi
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    cp "$brisklane_wine_fonts"/* "$WINEPREFIX/drive_c/windows/Fonts/"
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager' /v ThemeActive /d 0 /f >/dev/null 2>&1
    brisklane_prefix_window_manager no
}

# Tells Wine whether a window manager runs on the display (yes) or not (no). Without one, Wine must not
# hand its windows to it: it would wait two seconds for the missing manager each time a window is hidden
# or closed.
brisklane_prefix_window_manager() {
    if [ "$1" = yes ]; then
        wine reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f >/dev/null 2>&1
    else
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    fi
    wineserver -w
}

# Prepares a new Wine prefix in $WINEPREFIX with that look, and waits until it is ready.
brisklane_prepare_prefix() {
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
    brisklane_prefix_look
}

# Creates a fresh Wine prefix in the given folder and waits until it is ready. With BRISKLANE_PREFIX_TEMPLATE
# naming a prepared prefix, the new one is a copy of it, which takes a fraction of a second instead of the
# quarter minute that Wine needs to make one.
brisklane_fresh_prefix() {
    export WINEPREFIX="$1" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    rm -rf "$WINEPREFIX"
    if [ -n "${BRISKLANE_PREFIX_TEMPLATE:-}" ] && [ -f "$BRISKLANE_PREFIX_TEMPLATE/system.reg" ]; then
        brisklane_copy_prefix "$BRISKLANE_PREFIX_TEMPLATE" "$WINEPREFIX"
    else
        brisklane_prepare_prefix
    fi
}

# Copies a prepared prefix. The system folders' libraries, which nothing changes, are shared as hard links;
# every other file (the registry, the user's folders) is a copy of its own.
brisklane_copy_prefix() { # template, new prefix
    cp -al "$1" "$2" || return 1
    (cd "$2" && find . -type f ! -path './drive_c/windows/system32/*' ! -path './drive_c/windows/syswow64/*' \
        -exec cp --remove-destination "$1/{}" {} \;)
}
