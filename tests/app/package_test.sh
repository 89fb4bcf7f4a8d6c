#!/usr/bin/env bash
# Installs the built program into a scratch root and builds its Debian package, then checks that
# the menu entry and the software-centre description are valid and in their places, that the
# installed program (read-only, as for a user) keeps its settings in the user's folder and starts
# its clip dialog in the music folder, that the package depends on what the program needs
# (libmpv2 and qt6-wayland named by hand, Qt computed), that a release build carries Debian's
# hardening, and that lintian, Debian's own package checker, finds no error.
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
         share/icons/hicolor/256x256/apps/org.vantoro.Vantoro.png share/man/man1/vantoro.1.gz \
         share/doc/vantoro/copyright share/doc/vantoro/changelog.gz; do
  [[ -f "$root/$f" ]] || fail "not installed: /usr/$f"
done
desktop-file-validate "$root/share/applications/org.vantoro.Vantoro.desktop" ||
  fail "desktop entry does not validate"
appstreamcli validate --no-net "$root/share/metainfo/org.vantoro.Vantoro.metainfo.xml" ||
  fail "metainfo does not validate"
grep -q '^MimeType=.*audio/x-ms-asx;.*audio/x-mpegurl;.*audio/x-scpls;' \
  "$root/share/applications/org.vantoro.Vantoro.desktop" || fail "playlist types not declared"
! grep -q '^MimeType=.*asf' "$root/share/applications/org.vantoro.Vantoro.desktop" ||
  fail "the menu entry claims ASF video, which Vantoro does not open"
man_warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$root/share/man/man1/vantoro.1.gz" 2>&1 >/dev/null)
[[ -z "$man_warnings" ]] || fail "the manual page has faults: $man_warnings"

# The installed program as its user meets it: /usr/bin is not writable for them (root's right to
# write anywhere is dropped), so the settings go to the per-user folder, and a first start points
# the clip dialog at the music folder.
chmod 0555 "$root/bin"
home="$scratch/home"
mkdir -p "$home/.config" "$home/Musik" "$scratch/run" "$scratch/no-data"
chmod 700 "$scratch/run"
printf 'XDG_MUSIC_DIR="$HOME/Musik"\n' > "$home/.config/user-dirs.dirs"
env -i PATH=/usr/bin:/bin HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_RUNTIME_DIR="$scratch/run" \
  XDG_DATA_HOME="$home/.local/share" XDG_DATA_DIRS="$scratch/no-data" QT_QPA_PLATFORM=offscreen \
  setpriv --inh-caps=-all --bounding-set=-dac_override,-dac_read_search,-fowner \
  "$root/bin/vantoro" > "$scratch/run.log" 2>&1 &
program=$!
ini="$home/.config/Vantoro/Vantoro.INI"
for ((i = 0; i < 300; i++)); do
  grep -q '^Lists=' "$ini" 2>/dev/null && break
  kill -0 "$program" 2>/dev/null || break
  sleep 0.1
done
kill -TERM "$program" 2>/dev/null || true
wait "$program" || true
grep -q '^Lists=' "$ini" 2>/dev/null || { cat "$scratch/run.log" >&2; fail "the installed program wrote no settings to $ini"; }
[[ ! -e "$root/bin/Vantoro.INI" ]] || fail "the installed program wrote beside itself"
grep -qFx "Clips=$home/Musik/" <(tr -d '\r' < "$ini") ||
  fail "a first start does not point the clip dialog at the music folder: $(grep Clips= "$ini")"
chmod 0755 "$root/bin"
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
long_lines=$(dpkg-deb -f "$deb" Description | awk 'length > 80')
[[ -z "$long_lines" ]] || fail "description lines over 80 characters: $long_lines"
contents=$(dpkg-deb -c "$deb")
[[ "$contents" == *./usr/share/applications/org.vantoro.Vantoro.desktop* ]] ||
  fail "package lacks the desktop entry"
[[ "$contents" == *./usr/bin/vantoro* ]] || fail "package lacks the program"
[[ "$contents" == *./usr/share/doc/vantoro/copyright* ]] || fail "package lacks its copyright file"

# Debian's hardening, in a build that asked for it (optimised builds do by default).
if grep -q '^VANTORO_HARDENING:BOOL=ON' "$build/CMakeCache.txt"; then
  exe="$root/bin/vantoro"
  readelf -d "$exe" | grep -Eq 'BIND_NOW|FLAGS_1.*NOW' || fail "not linked with -z now (BIND_NOW)"
  readelf -lW "$exe" | grep -q GNU_RELRO || fail "not linked with -z relro"
  readelf -h "$exe" | grep -q 'DYN' || fail "not a position-independent executable"
  symbols=$(readelf --dyn-syms -W "$exe")
  grep -q '__stack_chk_fail' <<<"$symbols" || fail "built without the stack protector"
  grep -Eq '__[a-z]+_chk' <<<"$symbols" || fail "built without _FORTIFY_SOURCE"
  echo "hardening: BIND_NOW, RELRO, PIE, stack protector, _FORTIFY_SOURCE"
else
  echo "hardening: not asked for in this build (VANTORO_HARDENING off), not checked"
fi

# Debian's own checker: no error (its warnings and notes are printed for the record).
if command -v lintian >/dev/null; then
  lintian_rc=0
  lintian_out=$(lintian --fail-on error --display-info "$deb" 2>&1) || lintian_rc=$?
  lintian_out=$(grep -v 'running with root privileges' <<<"$lintian_out" || true)
  [[ $lintian_rc -eq 0 ]] || { echo "$lintian_out" >&2; fail "lintian finds errors in the package"; }
  echo "lintian: ${lintian_out:-no tags}"
else
  echo "lintian is not installed (scripts/install-deps brings it): not run"
fi
echo "1 passed, 0 failed"
