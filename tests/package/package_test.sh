#!/usr/bin/env bash
# Installs Plotra into a scratch root and runs the installed programs from there.
#
#   package_test.sh install BUILD_DIR SOURCE_DIR MIME_PROBE   cmake --install BUILD_DIR --prefix ROOT/usr
#   package_test.sh deb     BUILD_DIR SOURCE_DIR MIME_PROBE   cpack's .deb of BUILD_DIR, unpacked with dpkg -x
#
# Checks: the installed tree (programs, data folder, help pages, desktop entry, MIME types, icons, man
# pages); the desktop entry and the MIME types as the desktop reads them (a workspace is recognised by
# name and by content); the man page against "plotra-cli help"; the installed plotra-cli writing a
# report whose style sheet and logo come from the installed data folder; the installed plotra opening
# a workspace offscreen until its window is shown.
set -euo pipefail

mode=$1
build=$(cd "$2" && pwd)
source=$(cd "$3" && pwd)
probe=$4

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
step() { echo "== $*"; }

case $mode in
  install)
    step "cmake --install into a scratch root"
    root=$tmp/root/usr
    cmake --install "$build" --prefix "$root" >"$tmp/install.log"
    ;;
  deb)
    step "cpack: the Debian package"
    cpack -G DEB -B "$tmp/deb" --config "$build/CPackConfig.cmake" >"$tmp/cpack.log" ||
      { cat "$tmp/cpack.log" >&2; fail "cpack"; }
    debs=("$tmp"/deb/plotra_*.deb)
    [ -f "${debs[0]}" ] || fail "no .deb in $tmp/deb"
    deb=${debs[0]}
    dpkg-deb --info "$deb"
    fields() { dpkg-deb --field "$deb" "$1"; }
    [ "$(fields Package)" = plotra ] || fail "Package: $(fields Package)"
    version=$(sed -n 's/^project(Plotra VERSION \([0-9.]*\).*/\1/p' "$source/CMakeLists.txt")
    [ "$(fields Version)" = "$version" ] || fail "Version: $(fields Version), project $version"
    [ -n "$(fields Maintainer)" ] || fail "no Maintainer"
    [ -n "$(fields Section)" ] || fail "no Section"
    depends=$(fields Depends)
    for p in libqt6widgets6 libqt6gui6 libqt6core6 libqt6printsupport6 'libgdal[0-9]+' 'libstdc\+\+6' \
    fonts-liberation; do
      grep -Eq "(^|, )$p" <<<"$depends" || fail "Depends lacks $p: $depends"
    done
    contents=$(dpkg-deb --contents "$deb")
    grep -q '\./usr/bin/plotra-cli$' <<<"$contents" || fail "no /usr/bin/plotra-cli in the .deb"
    dpkg-deb -x "$deb" "$tmp/root"
    root=$tmp/root/usr
    ;;
  *) fail "mode must be install or deb" ;;
esac

step "the installed tree"
(cd "$root" && find . -type f | sort)
for f in bin/plotra bin/plotra-cli; do
  [ -x "$root/$f" ] || fail "$f missing or not executable"
done
for f in share/plotra/report.css share/plotra/projector.bmp share/plotra/help/index.html \
  share/plotra/help/help.css share/applications/plotra.desktop share/mime/packages/plotra.xml \
  share/man/man1/plotra.1 share/man/man1/plotra-cli.1 share/icons/hicolor/scalable/apps/plotra.svg; do
  [ -s "$root/$f" ] || fail "$f missing or empty"
done
cmp -s "$root/share/plotra/report.css" "$source/resources/report.css" || fail "report.css differs from resources/"
cmp -s "$root/share/plotra/projector.bmp" "$source/resources/projector.bmp" || fail "projector.bmp differs"
diff -r -x .gitkeep "$root/share/plotra/help" "$source/resources/help" >/dev/null ||
  fail "help pages differ from resources/help"
for s in 16 32 48 64 128 256; do
  icon=$root/share/icons/hicolor/${s}x${s}/apps/plotra.png
  [ -f "$icon" ] || fail "no ${s}x${s} icon"
  file "$icon" | grep -q "PNG image data, $s x $s," || fail "${s}x${s} icon: $(file -b "$icon")"
done
# The installed programs must find the shared data folder, not a folder beside them.
[ ! -e "$root/bin/resources" ] || fail "a resources folder beside the installed programs"

step "desktop entry"
desktop=$root/share/applications/plotra.desktop
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$desktop" || fail "desktop-file-validate"
fi
grep -qx 'Exec=plotra %f' "$desktop" || fail "Exec is not 'plotra %f'"
grep -qx 'Icon=plotra' "$desktop" || fail "Icon is not plotra"
grep -Eq '^MimeType=(.*;)?application/x-plotra-workspace;' "$desktop" || fail "MimeType lacks the workspace"

step "analyze with the installed plotra-cli"
# A mark in the installed style sheet shows that the report's copy came from the installed tree.
echo "/* installed-tree mark */" >>"$root/share/plotra/report.css"
mkdir -p "$tmp/out" "$tmp/work"
(cd "$tmp/work" && "$root/bin/plotra-cli" analyze "$source/samples/demo1.hsd" "$source/samples/demo2.hsd" \
  --map "$source/samples/demo.hpf" --report "$tmp/out/r.html" --workspace "$tmp/out/demo.hws") ||
  fail "plotra-cli analyze"
[ -s "$tmp/out/r.html" ] || fail "no report page"
grep -q 'href="r/report.css"' "$tmp/out/r.html" || fail "the page does not link r/report.css"
[ -f "$tmp/out/r/report.css" ] || fail "report.css not copied beside the report"
cmp -s "$tmp/out/r/report.css" "$root/share/plotra/report.css" || fail "the report's report.css is not the installed one"
[ -s "$tmp/out/r/hpf_logo.bmp" ] || fail "hpf_logo.bmp not written beside the report"
[ "$(head -c 2 "$tmp/out/r/hpf_logo.bmp")" = BM ] || fail "hpf_logo.bmp is not a BMP file"
[ -s "$tmp/out/demo.hws" ] || fail "no workspace"

step "MIME types"
xmllint --noout "$root/share/mime/packages/plotra.xml" || fail "plotra.xml is not well-formed"
XDG_DATA_DIRS="$root/share:/usr/share" update-mime-database "$root/share/mime" || fail "update-mime-database"
mkdir -p "$tmp/probe"
cp "$tmp/out/demo.hws" "$tmp/probe/project"   # no extension: recognised by content
cp "$source/samples/demo1.hsd" "$tmp/probe/survey"
cp "$source/samples/demo.hpf" "$tmp/probe/map"
cp "$tmp/out/demo.hws" "$tmp/probe/afternoon.hws"
printf 'four bytes at offset four are not enough for this text\n' >"$tmp/probe/notes"
mapfile -t types < <(XDG_DATA_HOME="$tmp/nothing" XDG_DATA_DIRS="$root/share:/usr/share" "$probe" \
  "$tmp/probe/project" "$tmp/probe/survey" "$tmp/probe/map" "$tmp/probe/afternoon.hws" "$tmp/probe/notes")
echo "${types[*]}"
[ "${types[0]}" = application/x-plotra-workspace ] || fail "workspace by content: ${types[0]}"
[ "${types[1]}" = application/x-plotra-survey ] || fail "survey data by content: ${types[1]}"
[ "${types[2]}" = application/x-plotra-projection ] || fail "projection by content: ${types[2]}"
[ "${types[3]}" = application/x-plotra-workspace ] || fail "workspace by name: ${types[3]}"
case ${types[4]} in application/x-plotra-*) fail "a text file taken for ${types[4]}" ;; esac

step "man page of plotra-cli against its usage text"
man_text=$(sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' -e 's/\\c$//' "$root/share/man/man1/plotra-cli.1")
usage=$("$root/bin/plotra-cli" help)
mapfile -t usage_options < <(grep -oE -- '--[a-z][a-z-]*' <<<"$usage" | sort -u)
mapfile -t man_options < <(grep -oE -- '--[a-z][a-z-]*' <<<"$man_text" | sort -u)
mapfile -t commands < <(sed -nE 's/^  plotra-cli ([a-z-]+).*/\1/p' <<<"$usage" | sort -u)
[ ${#usage_options[@]} -gt 20 ] && [ ${#commands[@]} -ge 8 ] || fail "could not read the usage text"
for o in "${usage_options[@]}"; do
  grep -qF -- "$o" <<<"$man_text" || fail "plotra-cli.1 does not describe $o"
done
for o in "${man_options[@]}"; do
  grep -qF -- "$o" <<<"$usage" || fail "plotra-cli.1 describes $o, which the usage text does not have"
done
for c in "${commands[@]}"; do
  grep -qE -- "^\.B(R|I)? plotra-cli $c( |$)" <<<"$man_text" || fail "plotra-cli.1's synopsis lacks $c"
done
if command -v man >/dev/null; then
  warnings=$(man --warnings -l "$root/share/man/man1/plotra-cli.1" 2>&1 >/dev/null) || true
  [ -z "$warnings" ] || fail "man warns: $warnings"
fi

step "the installed plotra opens a workspace offscreen"
mkdir -p "$tmp/config" "$tmp/home"
status=0
shown=$(cd "$tmp/work" && HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/config" QT_QPA_PLATFORM=offscreen \
  PLOTRA_QUIT_AFTER_SHOW=1 timeout 300 "$root/bin/plotra" "$tmp/out/demo.hws") || status=$?
echo "$shown"
[ "$status" -eq 0 ] || fail "plotra exited with $status"
grep -qx 'window: demo.hws - .*' <<<"$shown" || fail "the window's title does not name the workspace"
help=$(sed -n 's/^help: //p' <<<"$shown")
[ "$(realpath -m "$help")" = "$(realpath "$root/share/plotra/help")" ] || fail "help pages looked for in $help"
[ -f "$help/index.html" ] || fail "no index.html in $help"

echo "package test ($mode): passed"
