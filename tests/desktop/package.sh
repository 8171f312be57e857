#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package: built by CPack from the build folder, it holds the
# program in /usr/bin, its defaults in /usr/share/numbelle, the desktop entry,
# the icons, the AppStream data, the manual pages (English and Chinese), its
# copyright file and changelog, and nothing of the build or the tests; its
# dependencies come from the libraries the program links. Debian's package
# checker finds no error and no warning in it. Unpacked into a temporary
# root, the program answers --version and starts on a new per-user program
# folder filled from the packaged defaults. Installed for real (as root,
# where no numbelle package is installed already), the installed program
# starts once for a user with a new home folder, and purging the package
# leaves none of its files behind.
#   package.sh BUILD-DIR SOURCE-DIR
set -euo pipefail
build=$1
source=$2
work=$(mktemp -d)
installed=
cleanup() {
  # A package this test installed never stays installed.
  [ -z "$installed" ] || dpkg --purge numbelle >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack failed"; }
deb=$(ls "$work"/out/numbelle_*.deb)
echo "built $(basename "$deb")"

dpkg-deb -I "$deb" >"$work/info"
field() { sed -n "s/^ $1: //p" "$work/info"; }
[ "$(field Package)" = numbelle ] || fail "package name $(field Package)"
[ "$(field Version)" = "${NUMBELLE_VERSION:?}" ] || fail "version $(field Version)"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "architecture $(field Architecture)"
depends=$(field Depends)
# Computed from the linked libraries (the modules' among them), and the font
# and Qt's Chinese translations besides.
for lib in libqt6widgets6 libpulse0 libqt6printsupport6 libxlsxwriter4 libzip4 libc6 fonts-noto-cjk qt6-translations-l10n; do
  grep -q "$lib" <<<"$depends" || fail "Depends lacks $lib: $depends"
done
[ -n "$(field Maintainer)" ] && [ -n "$(field Description)" ] || fail "no maintainer or description"

dpkg-deb -c "$deb" | awk '{ print $6 }' | sed 's#^\./#/#; s#/$##' | sort >"$work/contents"
expect=(/usr/bin/numbelle /usr/share/applications/numbelle.desktop
  /usr/share/icons/hicolor/48x48/apps/numbelle.png /usr/share/icons/hicolor/128x128/apps/numbelle.png
  /usr/share/icons/hicolor/256x256/apps/numbelle.png /usr/share/icons/hicolor/scalable/apps/numbelle.svg
  /usr/share/man/man1/numbelle.1.gz /usr/share/man/zh_CN/man1/numbelle.1.gz
  /usr/share/doc/numbelle/copyright /usr/share/doc/numbelle/changelog.gz)
while IFS= read -r f; do
  [ -n "$f" ] && expect+=("/usr/share/numbelle/$f")
done < <(grep -v '^#' "$source/resources/default-files.txt")
for f in "${expect[@]}"; do
  grep -qxF "$f" "$work/contents" || fail "the package lacks $f"
done
grep -q '^/usr/share/metainfo/.*\.metainfo\.xml$' "$work/contents" || fail "the package lacks its AppStream data"
# The modules loaded when first needed, in the folder the program finds them.
for m in numbelle-sound numbelle-xlsx numbelle-print numbelle-zip; do
  grep -q "^/usr/lib/.*numbelle/lib$m\.so$" "$work/contents" || fail "the package lacks the module $m"
done
# Everything is under /usr, nothing of the tests, the scripted runner or the build.
if grep -v '^/usr' "$work/contents" | grep -q .; then fail "files outside /usr: $(grep -v '^/usr' "$work/contents")"; fi
if grep -E 'numbelle-script|_tests|bench|/usr/local|\.a$|/include/' "$work/contents"; then fail "files that do not belong"; fi
echo "$(wc -l <"$work/contents") paths, all expected ones there"

root=$work/root
dpkg -x "$deb" "$root"
# The metadata as packaged passes its validators.
NUMBELLE_VERSION=$NUMBELLE_VERSION bash "$source/tests/desktop/metadata.sh" "$root/usr/share/applications/numbelle.desktop" \
  "$(ls "$root"/usr/share/metainfo/*.metainfo.xml)" "$root/usr/share/man/man1/numbelle.1.gz" >/dev/null
gzip -t "$root/usr/share/man/man1/numbelle.1.gz"
NUMBELLE_VERSION=$NUMBELLE_VERSION bash "$source/tests/desktop/metadata.sh" "$root/usr/share/applications/numbelle.desktop" \
  "$(ls "$root"/usr/share/metainfo/*.metainfo.xml)" "$root/usr/share/man/zh_CN/man1/numbelle.1.gz" >/dev/null
zcat "$root/usr/share/doc/numbelle/changelog.gz" | head -1 | grep -q "^numbelle ($NUMBELLE_VERSION) " ||
  fail "the changelog does not start with version $NUMBELLE_VERSION"
# Who answers for the package is named wherever the package names them (a
# fresh build directory once left the changelog's trailer without a name).
zcat "$root/usr/share/doc/numbelle/changelog.gz" | tail -1 | grep -Eq '^ -- [^<]+ <[^>]+@[^>]+>  [A-Z][a-z]{2}, ' ||
  fail "the changelog's trailer names no maintainer: $(zcat "$root/usr/share/doc/numbelle/changelog.gz" | tail -1)"
grep -Eq '^Upstream-Contact: .+<.+@.+>' "$root/usr/share/doc/numbelle/copyright" ||
  fail "the copyright file names no contact"

# Debian's package checker: no error and no warning; the one override is
# documented in packaging/numbelle.lintian-overrides, informational tags are
# shown.
command -v lintian >/dev/null || fail "lintian is not installed (tools/dev.sh installs it)"
lintian --fail-on error,warning --display-info "$deb" >"$work/lintian" 2>&1 || { cat "$work/lintian"; fail "lintian"; }
grep -v '^running with root privileges' "$work/lintian" || true
echo "lintian: no error, no warning"
for f in "${expect[@]}"; do
  case "$f" in /usr/share/numbelle/*) cmp "$source/resources/${f#/usr/share/numbelle/}" "$root$f" ;; esac
done

# The unpacked program answers --version, with no display and no program folder.
version=$(env -u DISPLAY -u WAYLAND_DISPLAY NUMBELLE_DIR="$work/never" "$root/usr/bin/numbelle" --version)
[ "$version" = "numbelle $NUMBELLE_VERSION" ] || fail "the unpacked program says '$version'"
[ ! -e "$work/never" ] || fail "--version made a program folder"
echo "the unpacked program says: $version"

# And it starts from / on a new per-user program folder, filled from the
# packaged defaults (savedata.txt holds no shutdown schedule; the power-off
# would only be reported anyway).
mode=$(awk '{ print $4 }' "$root/usr/share/numbelle/savedata.txt")
[ "$mode" = 0 ] || fail "the packaged savedata.txt holds a shutdown schedule"
status=0
(cd / && env -u NUMBELLE_DIR QT_QPA_PLATFORM=offscreen XDG_DATA_HOME="$work/data" NUMBELLE_SHUTDOWN_DRY_RUN=1 \
  timeout 3 "$root/usr/bin/numbelle" >/dev/null 2>"$work/stderr") || status=$?
[ "$status" = 124 ] || fail "the unpacked program ended with status $status: $(cat "$work/stderr")"
# Once its window had painted it loaded its sound module from the package.
if grep -q 'numbelle-sound' "$work/stderr"; then fail "the unpacked program could not load its sound module: $(cat "$work/stderr")"; fi
for f in "${expect[@]}"; do
  case "$f" in /usr/share/numbelle/*) cmp "$root$f" "$work/data/numbelle/${f#/usr/share/numbelle/}" ;; esac
done
echo "the unpacked program started and prepared its program folder"

# Installed for real with dpkg (its dependencies are there: tools/dev.sh
# installs them), started once, purged. Only as root, never over a numbelle
# package installed on this machine already, one such test at a time.
if [ "$(id -u)" != 0 ]; then
  echo "not root: the package was not installed"
  exit 0
fi
exec 9>/tmp/numbelle-package-test.lock
flock 9
if dpkg-query -W -f='${Status}' numbelle 2>/dev/null | grep -qv 'not-installed'; then
  echo "a numbelle package is installed on this machine already: not installed over it"
  exit 0
fi
# dpkg refuses to run while another dpkg or apt holds its lock: wait a while.
dpkg_run() {
  local i
  for i in $(seq 30); do
    if DEBIAN_FRONTEND=noninteractive dpkg "$@" >"$work/dpkg.log" 2>&1; then return 0; fi
    grep -q 'lock' "$work/dpkg.log" || { cat "$work/dpkg.log"; return 1; }
    sleep 2
  done
  cat "$work/dpkg.log"
  return 1
}
installed=yes
dpkg_run -i "$deb" || fail "dpkg could not install the package"
dpkg -L numbelle | sort >"$work/owned"
[ -x /usr/bin/numbelle ] || fail "no /usr/bin/numbelle after installing"

# Started once from / for a user with a new home folder; the installed
# settings hold no shutdown schedule, and the power-off would only be told.
home=$work/home
mkdir -m 700 "$home"
[ "$(awk '{ print $4 }' /usr/share/numbelle/savedata.txt)" = 0 ] || fail "the installed savedata.txt holds a shutdown schedule"
status=0
(cd / && env -u NUMBELLE_DIR -u XDG_DATA_HOME -u XDG_CACHE_HOME -u XDG_CONFIG_HOME -u DBUS_SESSION_BUS_ADDRESS \
  HOME="$home" XDG_RUNTIME_DIR="$home" QT_QPA_PLATFORM=offscreen NUMBELLE_SHUTDOWN_DRY_RUN=1 \
  PULSE_SERVER="unix:$work/no-sound" timeout 3 /usr/bin/numbelle >/dev/null 2>"$work/stderr") || status=$?
[ "$status" = 124 ] || fail "the installed program ended with status $status: $(cat "$work/stderr")"
if grep -q 'numbelle-sound' "$work/stderr"; then fail "the installed program could not load its sound module"; fi
for f in "${expect[@]}"; do
  case "$f" in /usr/share/numbelle/*) cmp "$f" "$home/.local/share/numbelle/${f#/usr/share/numbelle/}" ;; esac
done
echo "the installed program started for a new user and prepared ~/.local/share/numbelle"

dpkg_run --purge numbelle || fail "dpkg could not purge the package"
installed=
if dpkg-query -W -f='${Status}' numbelle 2>/dev/null | grep -qv 'not-installed'; then
  fail "dpkg still knows numbelle after the purge: $(dpkg-query -W -f='${Status}' numbelle)"
fi
# Nothing the package held is left: no file, and none of its own folders
# (the folders it shares with other packages, such as /usr/share/man/man1,
# stay for them).
left=()
while IFS= read -r path; do
  [ -e "$path" ] && [ "$path" != /. ] || continue
  if [ -d "$path" ] && [[ "$path" != *numbelle* ]] && dpkg -S "$path" >/dev/null 2>&1; then
    continue
  fi
  left+=("$path")
done <"$work/owned"
[ ${#left[@]} -eq 0 ] || fail "left behind by the purge: ${left[*]}"
# The user's own folder stays theirs.
[ -f "$home/.local/share/numbelle/savedata.txt" ] || fail "the purge touched the user's program folder"
echo "purged: none of the package's $(wc -l <"$work/owned") paths is left"
