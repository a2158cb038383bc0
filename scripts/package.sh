#!/usr/bin/env bash
# Builds both Windows programs and writes one release zip per architecture:
#   dist/brisklane-VERSION-win64.zip and dist/brisklane-VERSION-win32.zip
# Each holds Brisklane.exe, BrisklaneCapture.exe, packet.dll, skin.smf, README.txt for Windows users and,
# in licenses\, the notices of the runtime libraries linked into the programs. Two runs give the same
# bytes: the programs are built without build paths, their PE headers and every zip entry carry the same
# time (the last commit's, or SOURCE_DATE_EPOCH), and the entries have fixed attributes and name order.
# Each zip is checked: its programs are PE files for its architecture, and no file holds the checkout's
# or the build's path.
# Installs what is missing first.
#
#   scripts/package.sh                  the two zips
#   scripts/package.sh --reproducible   and then again from scratch in other build folders, which must
#                                       give the same bytes
# The builds are those of scripts/test.sh (build/win64, build/win32), reused when they are up to date.
# BRISKLANE_BUILD_DIR and BRISKLANE_DIST_DIR choose other folders for the builds and the zips.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BRISKLANE_BUILD_DIR:-$root/build}
dist=${BRISKLANE_DIST_DIR:-$root/dist}
jobs=${BRISKLANE_JOBS:-$(nproc)}

# shellcheck source=scripts/setup.sh
source "$root/scripts/setup.sh"
brisklane_install_missing

stamp=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 315532800)}
programs=(Brisklane BrisklaneCapture packet)
zips=()

# The Debian copyright files of the packages that provided the given libraries of the cross compiler,
# each once (packages of one source share theirs), under a line that says where it comes from.
licence_notice() { # compiler, libraries...
    local compiler=$1 library path package notice
    shift
    local -A provided=()
    local notices=()
    for library in "$@"; do
        path=$(readlink -f "$("$compiler" -print-file-name="$library")")
        package=$(dpkg -S "$path" | sed -n '1s/:.*//p')
        notice=$(readlink -f "/usr/share/doc/$package/copyright")
        [ -n "${provided[$notice]:-}" ] || notices+=("$notice")
        provided[$notice]="${provided[$notice]:-}${provided[$notice]:+, }$library ($package $(dpkg-query -W -f='${Version}' "$package"))"
    done
    for notice in "${notices[@]}"; do
        printf 'The notice of the Debian packages that provided %s:\n\n' "${provided[$notice]}"
        cat "$notice"
        printf '\n'
    done
}

package() { # configuration, compiler triplet, bits, PE machine
    local config=$1 triplet=$2 bits=$3 machine=$4
    echo "package: building $config"
    mkdir -p "$build"
    cmake -S "$root" -B "$build/$config" -G Ninja -DBRISKLANE_CONFIG="$config" >"$build/$config.package-configure.log" 2>&1 ||
        { cat "$build/$config.package-configure.log"; return 1; }
    ninja -C "$build/$config" -j "$jobs" "${programs[@]}" >"$build/$config.package-build.log" 2>&1 ||
        { tail -60 "$build/$config.package-build.log"; return 1; }

    local version
    version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/$config/CMakeCache.txt")
    local bin="$build/$config/bin" stage="$build/package/$config"
    rm -rf "$stage"
    mkdir -p "$stage/licenses"
    local file
    for file in Brisklane.exe BrisklaneCapture.exe packet.dll; do
        # Stripping writes a new PE time stamp: the current time, unless SOURCE_DATE_EPOCH gives one.
        SOURCE_DATE_EPOCH="$stamp" "$triplet-strip" --strip-all -o "$stage/$file" "$bin/$file"
    done
    cp "$bin/skin.smf" "$stage/"
    # Text for Windows users has CR LF line ends.
    sed -e "s/@VERSION@/$version/" -e "s/@BITS@/$bits/" -e 's/$/\r/' "$root/docs/release-readme.txt" >"$stage/README.txt"
    local compiler="$triplet-g++-posix"
    licence_notice "$compiler" libstdc++.a libgcc.a libgcc_eh.a | sed 's/$/\r/' >"$stage/licenses/gcc-runtime-libraries.txt"
    licence_notice "$compiler" libmingw32.a libmingwex.a libmsvcrt.a libwinpthread.a | sed 's/$/\r/' \
        >"$stage/licenses/mingw-w64-runtime-and-winpthreads.txt"

    local zip="$dist/brisklane-$version-$config.zip"
    zips+=("$zip")
    rm -f "$zip"
    python3 "$root/scripts/release_zip.py" write "$zip" "$stage" "$stamp"
    echo "package: wrote $zip ($(stat -c %s "$zip") bytes)"
    python3 "$root/scripts/release_zip.py" check "$zip" "$machine" "$root" "$build"
}

# The zips of a second packaging from scratch, in build folders of another name, must be the same bytes.
check_reproducible() {
    local again="$build/reproduce" zip
    rm -rf "$again"
    echo "package: again from scratch in $again"
    BRISKLANE_BUILD_DIR="$again" BRISKLANE_DIST_DIR="$again/dist" "$root/scripts/package.sh" >"$build/reproduce.log" 2>&1 ||
        { tail -40 "$build/reproduce.log"; return 1; }
    for zip in "${zips[@]}"; do
        cmp "$zip" "$again/dist/$(basename "$zip")" || return 1
        echo "package: $(basename "$zip") is the same bytes again, sha256 $(sha256sum <"$zip" | cut -c1-16)..."
    done
    rm -rf "$again"
}

package win64 x86_64-w64-mingw32 64 0x8664
package win32 i686-w64-mingw32 32 0x14c
if [ "${1:-}" = "--reproducible" ]; then
    check_reproducible
fi
