#!/usr/bin/env bash
# Installs the built program into a scratch root and builds its Debian package, then checks that
# the menu entry and the software-centre description are valid and in their places, and that the
# package depends on what the program needs (libmpv2 and qt6-wayland named by hand, Qt computed).
#   package_test.sh BUILD_DIR
set -euo pipefail
build="$1"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR="$scratch/root" cmake --install "$build" --prefix /usr >/dev/null
root="$scratch/root/usr"
for f in bin/vantoro share/vantoro/vthelp.html share/applications/org.vantoro.Vantoro.desktop \
         share/metainfo/org.vantoro.Vantoro.metainfo.xml \
         share/icons/hicolor/scalable/apps/org.vantoro.Vantoro.svg \
         share/icons/hicolor/256x256/apps/org.vantoro.Vantoro.png; do
  [[ -f "$root/$f" ]] || fail "not installed: /usr/$f"
done
desktop-file-validate "$root/share/applications/org.vantoro.Vantoro.desktop" ||
  fail "desktop entry does not validate"
appstreamcli validate --no-net "$root/share/metainfo/org.vantoro.Vantoro.metainfo.xml" ||
  fail "metainfo does not validate"
grep -q '^MimeType=.*audio/x-ms-asx;.*audio/x-mpegurl;' \
  "$root/share/applications/org.vantoro.Vantoro.desktop" || fail "playlist types not declared"
[[ "$(identify -format '%wx%h' "$root/share/icons/hicolor/256x256/apps/org.vantoro.Vantoro.png")" == 256x256 ]] ||
  fail "the PNG icon is not 256 x 256"

(cd "$scratch" && cpack -G DEB --config "$build/CPackConfig.cmake" >/dev/null) ||
  fail "cpack failed"
deb=$(ls "$scratch"/vantoro_*.deb 2>/dev/null | head -n1)
[[ -n "$deb" ]] || fail "no package was made"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
[[ "$depends" == *libmpv2* ]] || fail "package does not depend on libmpv2"
[[ "$depends" == *qt6-wayland* ]] || fail "package does not depend on qt6-wayland (native on Wayland)"
[[ "$depends" == *libqt6widgets6* ]] || fail "computed dependencies are missing (libqt6widgets6)"
[[ "$depends" == *libjpeg* ]] || fail "computed dependencies are missing (libjpeg)"
contents=$(dpkg-deb -c "$deb")
[[ "$contents" == *./usr/share/applications/org.vantoro.Vantoro.desktop* ]] ||
  fail "package lacks the desktop entry"
[[ "$contents" == *./usr/bin/vantoro* ]] || fail "package lacks the program"
echo "1 passed, 0 failed"
