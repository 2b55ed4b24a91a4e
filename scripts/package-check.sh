#!/usr/bin/env bash
# Builds the Debian package and checks it: a Release build of the editor and
# zelquor-cli, `cmake --install` into a scratch folder (the expected files,
# desktop-file-validate on the desktop entry, appstreamcli on the metainfo),
# `cpack -G DEB`, and lintian on the package (no errors). With --install, or
# in CI (CI=true), it then installs the package with apt-get, checks that the
# installed editor starts (offscreen) and that zelquor-cli prints its help,
# and removes the package again.
#
# The package is left as $ZELQUOR_PACKAGE_DIR/zelquor-editor_<version>_<arch>.deb.
#
# Usage: scripts/package-check.sh [--install]
# Environment: ZELQUOR_PACKAGE_DIR (default build-package), ZELQUOR_JOBS
# (default 2).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${ZELQUOR_PACKAGE_DIR:-build-package}
jobs=${ZELQUOR_JOBS:-2}
install=0
[ "${CI:-}" = "true" ] && install=1
for arg in "$@"; do
    case $arg in
        --install) install=1 ;;
        *) echo "usage: $0 [--install]" >&2; exit 2 ;;
    esac
done
start=$SECONDS
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

# The build's own packages, then the packaging tools.
./scripts/setup.sh --packages-only
missing=()
for p in desktop-file-utils appstream lintian dpkg-dev file; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Debian's hardening flags (fortify, stack protector, relro, bindnow), without
# its -g: cpack strips the programs anyway.
echo "== Release build in $build_dir"
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
cxxflags=${cxxflags//-g /}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZELQUOR_BUILD_TESTS=OFF \
      "-DCMAKE_CXX_FLAGS=$cxxflags" "-DCMAKE_EXE_LINKER_FLAGS=$(dpkg-buildflags --get LDFLAGS)"
cmake --build "$build_dir" -j "$jobs"

echo "== cmake --install"
stage=$(realpath -m "$build_dir")/stage
rm -rf "$stage"
DESTDIR=$stage cmake --install "$build_dir" --prefix /usr >/dev/null
root=$stage/usr
id=io.github.zelquor_editor
expected=(bin/zelquor-editor bin/zelquor-cli
          "share/applications/$id.desktop" "share/metainfo/$id.metainfo.xml"
          share/mime/packages/zelquor-editor.xml "share/icons/hicolor/scalable/apps/$id.svg"
          share/man/man1/zelquor-editor.1.gz share/man/man1/zelquor-cli.1.gz
          share/doc/zelquor-editor/copyright share/doc/zelquor-editor/changelog.gz)
for size in 16 32 48 64 128 256; do
    expected+=("share/icons/hicolor/${size}x$size/apps/$id.png")
done
for f in "${expected[@]}"; do
    [ -f "$root/$f" ] || { echo "not installed: /usr/$f" >&2; exit 1; }
done
desktop-file-validate "$root/share/applications/$id.desktop"
appstreamcli validate --no-net "$root/share/metainfo/$id.metainfo.xml"

echo "== cpack"
rm -f "$build_dir"/zelquor-editor_*.deb
(cd "$build_dir" && cpack -G DEB >/dev/null)
debs=("$build_dir"/zelquor-editor_*.deb)
deb=$(realpath -m "${debs[0]}")
[ -f "$deb" ] || { echo "cpack made no package" >&2; exit 1; }
dpkg-deb --field "$deb" Package Version Architecture Depends Recommends

echo "== lintian"
lintian --fail-on error --tag-display-limit 0 "$deb"

if ((install)); then
    echo "== apt-get install $deb"
    trap 'DEBIAN_FRONTEND=noninteractive $sudo apt-get remove -y -qq zelquor-editor >/dev/null' EXIT
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --reinstall "$deb" >/dev/null
    # Settings go to a scratch folder, not the user's.
    config=$(mktemp -d)
    status=0
    XDG_CONFIG_HOME=$config QT_QPA_PLATFORM=offscreen timeout 5 /usr/bin/zelquor-editor || status=$?
    rm -rf "$config"
    # 124: still running when the time ran out, as it should be.
    if [ "$status" -ne 124 ]; then
        echo "the installed editor stopped by itself (status $status)" >&2
        exit 1
    fi
    help=$(/usr/bin/zelquor-cli --help)
    [[ $help == *zelquor-cli* ]] || { echo "zelquor-cli --help printed no help" >&2; exit 1; }
    echo "installed editor starts, zelquor-cli --help works"
fi

echo "package check passed in $((SECONDS - start)) s: $deb"
