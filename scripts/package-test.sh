#!/usr/bin/env bash
# Builds the Debian package from a clean clone, checks it with lintian, installs it, checks
# what it puts on the desktop (GNOME's thumbnail factory included), and removes it again.
#   scripts/package-test.sh            build from the committed HEAD into build-deb/, then check
#   scripts/package-test.sh DEB...     check packages already built
# Run as root or with sudo: it installs into /usr, and purges the package on the
# way out whatever happens. DEB_BUILD_OPTIONS defaults to "nocheck parallel=$(nproc)".
set -euo pipefail
cd "$(dirname "$0")/.."
src=$PWD
sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)
apt_install() {
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 \
    install -y -q --no-install-recommends "$@"
}
fail() { echo "package-test: $*" >&2; exit 1; }
# dpkg's two letters for vellograph: "ii" installed, "rc" configuration left; empty when unknown.
status() { dpkg-query -W -f='${db:Status-Abbrev}' vellograph 2>/dev/null || true; }

if [[ $(status) == ?i* ]]; then
  fail "vellograph is installed already; this test installs and purges its own copy"
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/vellograph-package.XXXXXX")
purge_on_exit() {
  if [[ $(status) == ?[ic]* ]]; then
    "${sudo[@]}" apt-get -o DPkg::Lock::Timeout=600 purge -y -q vellograph >/dev/null || true
  fi
  rm -rf "$work"
}
trap purge_on_exit EXIT

# The tools of the checks, and GNOME's thumbnail factory as GNOME Files uses it.
apt_install lintian desktop-file-utils appstream man-db bash-completion libglib2.0-bin \
  python3-gi gir1.2-gnomedesktop-3.0 bubblewrap >/dev/null

debs=("$@")
if [ ${#debs[@]} -eq 0 ]; then
  # Always the same folder, so that a compiler cache finds the same paths.
  out=$src/build-deb
  echo "== building the package from a clone of HEAD in $out"
  rm -rf "$out" && mkdir -p "$out"
  git clone -q "$src" "$out/vellograph"
  apt_install dpkg-dev debhelper >/dev/null
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 \
    build-dep -y -q --no-install-recommends "$out/vellograph" >/dev/null
  (cd "$out/vellograph" &&
    DEB_BUILD_OPTIONS=${DEB_BUILD_OPTIONS:-"nocheck parallel=$(nproc)"} \
      dpkg-buildpackage -b -us -uc >"$out/build.log" 2>&1) ||
    { tail -n 40 "$out/build.log" >&2; fail "dpkg-buildpackage failed"; }
  debs=("$out"/vellograph_*.deb "$out"/vellograph-dbgsym_*.deb)
  echo "== lintian"
  lintian --pedantic --info --display-experimental --fail-on error,warning \
    "$out"/vellograph_*.changes
fi
for i in "${!debs[@]}"; do
  [ -f "${debs[$i]}" ] || fail "no such package: ${debs[$i]}"
  debs[i]=$(realpath "${debs[$i]}") # apt takes a file for a package only by its path
done

# What carries the program's name outside the package's own files, before and after.
leftovers() {
  find /usr /etc /var/lib /var/cache -xdev -name '*vellograph*' 2>/dev/null | sort
  grep -rls 'vellograph' /usr/share/mime /usr/share/applications/mimeinfo.cache 2>/dev/null |
    grep -v '/packages/' || true
}
leftovers >"$work/before"

echo "== installing ${debs[*]##*/}"
apt_install "${debs[@]}" >/dev/null

# A fresh user: nothing of an earlier session's caches or choices counts.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_CACHE_HOME=$work/home/.cache
export XDG_DATA_HOME=$work/home/.local/share
unset XDG_DATA_DIRS
mkdir -p "$HOME"
type=application/x-vellograph3
entry=org.example.vellograph.Vellograph.desktop
drawing="$work/a drawing.vlgf"
cp examples/house.vlgf "$drawing"

echo "== the installed files work from /usr"
[ "$(command -v vellograph)" = /usr/bin/vellograph ] || fail "vellograph is not /usr/bin's"
vellograph-cli info "$drawing" >/dev/null || fail "vellograph-cli info failed"
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 60 vellograph 2>&1) &&
  fail "vellograph ran without a display"
[[ $out == vellograph:* ]] || fail "no one-line display message: $out"
desktop-file-validate /usr/share/applications/$entry
appstreamcli validate --no-net --explain /usr/share/metainfo/org.example.vellograph.Vellograph.metainfo.xml >/dev/null
got=$(gio info -a standard::content-type "$drawing" | awk '/content-type/ { print $2 }')
[ "$got" = $type ] || fail "a .vlgf file is '$got', not $type"
# (Output taken whole: grep -q would end gio early, and pipefail count that.)
handlers=$(gio mime $type)
[[ $handlers == *"$entry"* ]] || fail "gio does not offer $entry for $type"
for page in vellograph vellograph-cli; do
  [ "$(man -w $page)" = /usr/share/man/man1/$page.1.gz ] || fail "no manual page $page(1)"
done
# shellcheck disable=SC2016
bash -c '. /usr/share/bash-completion/bash_completion && _completion_loader vellograph-cli;
  complete -p vellograph-cli' >/dev/null || fail "no bash completion for vellograph-cli"
for icon in apps/vellograph mimetypes/application-x-vellograph3; do
  [ -f /usr/share/icons/hicolor/scalable/$icon.svg ] || fail "no icon $icon"
done

echo "== GNOME's thumbnail factory makes the picture vellograph-cli makes"
vellograph-cli thumbnail "$drawing" "$work/expected.png" 256
/usr/bin/python3 - "$drawing" "$work/expected.png" <<'EOF'
import os, sys
import gi
gi.require_version("GnomeDesktop", "3.0")
gi.require_version("GdkPixbuf", "2.0")
from gi.repository import GdkPixbuf, Gio, GnomeDesktop

drawing, expected = sys.argv[1:3]
mime = "application/x-vellograph3"
factory = GnomeDesktop.DesktopThumbnailFactory.new(GnomeDesktop.DesktopThumbnailSize.LARGE)
uri = Gio.File.new_for_path(drawing).get_uri()
if not factory.can_thumbnail(uri, mime, int(os.stat(drawing).st_mtime)):
    sys.exit("the factory has no thumbnailer for " + mime)
made = factory.generate_thumbnail(uri, mime, None)
want = GdkPixbuf.Pixbuf.new_from_file(expected)

def rgb(p):
    data, n, stride = p.get_pixels(), p.get_n_channels(), p.get_rowstride()
    return [data[y * stride + x * n: y * stride + x * n + 3]
            for y in range(p.get_height()) for x in range(p.get_width())]

if (made.get_width(), made.get_height()) != (want.get_width(), want.get_height()):
    sys.exit("thumbnail is %dx%d, not %dx%d" % (made.get_width(), made.get_height(),
                                                 want.get_width(), want.get_height()))
if rgb(made) != rgb(want):
    sys.exit("the factory's thumbnail differs from vellograph-cli's")
if len(set(rgb(made))) < 3:
    sys.exit("the thumbnail is blank")
EOF

echo "== a [Removed Associations] line hides the installed entry from the type"
mkdir -p "$XDG_CONFIG_HOME"
printf '[Removed Associations]\n%s=%s;\n' $type $entry >"$XDG_CONFIG_HOME/mimeapps.list"
handlers=$(gio mime $type)
[[ $handlers == *"$entry"* ]] && fail "gio still offers $entry after the removal line"
rm "$XDG_CONFIG_HOME/mimeapps.list"

files=$(dpkg -L vellograph | while read -r f; do [ -d "$f" ] || echo "$f"; done)
echo "== apt-get remove, then purge"
"${sudo[@]}" apt-get -o DPkg::Lock::Timeout=600 remove -y -q vellograph >/dev/null
for f in $files; do
  [ -e "$f" ] && fail "left after remove: $f"
done
# Without configuration files, removal leaves nothing for a purge to take.
if [[ $(status) == ?c* ]]; then
  "${sudo[@]}" apt-get -o DPkg::Lock::Timeout=600 purge -y -q vellograph >/dev/null
fi
[[ $(status) == ?[^n]* ]] && fail "dpkg still holds vellograph after purge"
got=$(gio info -a standard::content-type "$drawing")
[[ $got == *$type* ]] && fail "the type outlived the package"
leftovers >"$work/after"
diff -u "$work/before" "$work/after" >&2 || fail "purge left these behind"
echo "== the package round trip passed"
