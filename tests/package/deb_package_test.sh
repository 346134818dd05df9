#!/usr/bin/env bash
# The Debian package as a user gets it: CPack makes it from the release build; its control fields and
# files are what Debian expects and lintian finds nothing wrong; its desktop entry and metadata validate
# and agree on one application id; and the program unpacked from it shows the first page on a private
# X server, under that id as its window class and with the installed icon as its window icon.
#   deb_package_test.sh <build directory> <version>
set -euo pipefail

build=$1
version=$2
app_id=io.github.tablescope.Tablescope
architecture=$(dpkg --print-architecture)

work=$(mktemp -d)
server=
window_manager=
program=
cleanup() {
  for process in $program $window_manager $server; do
    kill "$process" 2>/dev/null || true
    wait "$process" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

expect_equal() {  # what, expected, actual
  [ "$2" = "$3" ] || fail "$1: expected '$2', got '$3'"
}

# --- The package and its control fields ---
if ! cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/cpack" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log" >&2
  fail "cpack could not make the Debian package"
fi
deb="$work/cpack/tablescope_${version}_${architecture}.deb"
[ -f "$deb" ] || fail "no package $(basename "$deb"); cpack made: $(ls "$work/cpack")"

field() { dpkg-deb --field "$deb" "$1"; }
expect_equal Package tablescope "$(field Package)"
expect_equal Version "$version" "$(field Version)"
expect_equal Architecture "$architecture" "$(field Architecture)"
expect_equal Section sound "$(field Section)"
expect_equal Priority optional "$(field Priority)"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
description=$(field Description)
[ "$(wc -l <<<"$description")" -ge 2 ] || fail "Description has no long text: $description"
depends=$(field Depends)
# The libraries the program links, found by CPack from the binary, and the label font's package.
depended_packages=$(sed -e 's/ ([^)]*)//g' -e 's/, /\n/g' <<<"$depends")
for needed in libc6 libx11-6 libxext6 libxrandr2 libwayland-client0 libwayland-cursor0 libxkbcommon0 libdecor-0-0 \
    libdecor-0-plugin-1-cairo libfreetype6 libfontconfig1 libpng16-16 libasound2 fonts-liberation; do
  grep -qxF "$needed" <<<"$depended_packages" || fail "Depends lacks $needed: $depends"
done
# The C++ run-time is linked into the program.
if grep -qxF libstdc++6 <<<"$depended_packages"; then fail "Depends names libstdc++6: $depends"; fi

# --- Its files ---
expected_files=(
  ./usr/bin/tablescope
  ./usr/share/applications/$app_id.desktop
  ./usr/share/doc/tablescope/changelog.gz
  ./usr/share/doc/tablescope/copyright
  ./usr/share/man/man1/tablescope.1.gz
  ./usr/share/metainfo/$app_id.metainfo.xml
  ./usr/share/icons/hicolor/scalable/apps/$app_id.svg
)
for size in 16 32 48 64 128 256; do
  expected_files+=("./usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png")
done
actual=$(dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sort)
expected=$(printf '%s\n' "${expected_files[@]}" | sort)
[ "$actual" = "$expected" ] || fail "the package's files differ from the expected list:
$(diff <(echo "$expected") <(echo "$actual"))"

if ! lintian --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1; then
  cat "$work/lintian.log" >&2
  fail "lintian found errors or warnings"
fi

# --- Unpacked: the files themselves ---
root="$work/root"
dpkg -x "$deb" "$root"
binary="$root/usr/bin/tablescope"
file "$binary" | grep -q ', stripped' || fail "the binary is not stripped: $(file "$binary")"
for size in 16 32 48 64 128 256; do
  png="$root/usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png"
  file "$png" | grep -q "PNG image data, $size x $size," || fail "icon of the wrong size: $(file "$png")"
done

manual_head=$(zcat "$root/usr/share/man/man1/tablescope.1.gz" | head -n 1)
grep -q "^\\.TH TABLESCOPE 1 .*\"Tablescope $version\"" <<<"$manual_head" || fail "manual page header: $manual_head"

desktop="$root/usr/share/applications/$app_id.desktop"
desktop-file-validate "$desktop" >"$work/desktop.log" 2>&1 || { cat "$work/desktop.log" >&2; fail "desktop-file-validate"; }
expect_equal "desktop Icon" "$app_id" "$(sed -n 's/^Icon=//p' "$desktop")"
expect_equal "desktop StartupWMClass" "$app_id" "$(sed -n 's/^StartupWMClass=//p' "$desktop")"
expect_equal "desktop Exec" tablescope "$(sed -n 's/^Exec=//p' "$desktop")"

metainfo="$root/usr/share/metainfo/$app_id.metainfo.xml"
appstreamcli validate --no-net "$metainfo" >"$work/appstream.log" 2>&1 || { cat "$work/appstream.log" >&2; fail "appstreamcli validate"; }
grep -q "<id>$app_id</id>" "$metainfo" || fail "metadata id is not $app_id"
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" || fail "metadata names another desktop entry"
grep -q "<release version=\"$version\"" "$metainfo" || fail "metadata lacks the release $version"

# --- Unpacked: the program ---
# Both displays are in the one program: Wayland is tried first, then X11.
no_display_error=$(env -u DISPLAY WAYLAND_DISPLAY=tablescope-no-such-compositor "$binary" 2>&1 >/dev/null) &&
  fail "started without a display"
status=$?
expect_equal "exit code without a display" 2 "$status"
expect_equal "message without a display" "tablescope: needs a Wayland compositor or an X display to show its window: no Wayland compositor answers at \"tablescope-no-such-compositor\"; no X display is set (DISPLAY is unset)" "$no_display_error"

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display-number" 2>/dev/null &
server=$!
for _ in $(seq 100); do
  [ -s "$work/display-number" ] && break
  sleep 0.05
done
[ -s "$work/display-number" ] || fail "Xvfb did not start"
export DISPLAY=":$(cat "$work/display-number")"
openbox --sm-disable >/dev/null 2>&1 &
window_manager=$!
# openbox names itself before it handles requests, and a window mapped while it is still starting
# can be lost; it is ready once a window mapped now is shown.
window_manager_ready() {
  local probe shown=1
  xmessage -name tablescope-wm-probe ready >/dev/null 2>&1 &
  probe=$!
  timeout 2 xdotool search --sync --onlyvisible --classname '^tablescope-wm-probe$' >/dev/null 2>&1 || shown=0
  kill "$probe" 2>/dev/null
  wait "$probe" 2>/dev/null
  [ "$shown" = 1 ]
}
for _ in $(seq 5); do
  window_manager_ready && break
done
window_manager_ready || fail "openbox did not start"

"$binary" 2>"$work/program.log" &
program=$!
# A search that meets a window destroyed while it reads it (the program's short-lived frame probe)
# fails with BadWindow: search again.
window=
for _ in $(seq 200); do
  window=$(xdotool search --limit 1 --class "^${app_id//./\\.}\$" 2>/dev/null) && [ -n "$window" ] && break
  sleep 0.05
done
[ -n "$window" ] || fail "no window of class $app_id"
expect_equal WM_CLASS "WM_CLASS(STRING) = \"tablescope\", \"$app_id\"" "$(xprop -id "$window" WM_CLASS)"

# The window icon's 16 x 16 picture is the installed one, pixel for pixel (0xAARRGGBB values).
icon_property=$(xprop -id "$window" -notype 32c _NET_WM_ICON | sed 's/^_NET_WM_ICON = //' | tr -d ' ' | tr ',' '\n')
expect_equal "window icon size" "16 16" "$(head -n 2 <<<"$icon_property" | paste -sd ' ')"
installed_icon=$(convert "$root/usr/share/icons/hicolor/16x16/apps/$app_id.png" -depth 8 rgba:- | od -An -v -tu1 -w4 |
  awk '{ printf "%.0f\n", $4 * 16777216 + $1 * 65536 + $2 * 256 + $3 }')
[ "$(sed -n '3,258p' <<<"$icon_property")" = "$installed_icon" ] || fail "the window icon is not the installed 16 x 16 icon"

# The first page: the first and last four points of wave 0 red, a trace pixel between the first two,
# the ground black and the divider after the first column grey (inner window coordinates, the page at (10, 10)).
# The window can be found before it is viewable and painted: read it until the first point shows.
pixel() { convert "$work/page.png" -format "%[pixel:p{$1}]" info:; }
for _ in $(seq 100); do
  if xwininfo -id "$window" | grep -q 'Map State: IsViewable' && import -window "$window" "$work/page.png" 2>/dev/null &&
    [ "$(pixel 10,161)" = "srgb(255,0,0)" ]; then
    break
  fi
  sleep 0.05
done
[ -s "$work/page.png" ] || fail "the window never became viewable"
for point in 10,161 11,192 12,218 13,235 137,155 136,124 135,98 134,81; do
  expect_equal "point at $point" "srgb(255,0,0)" "$(pixel "$point")"
done
expect_equal "trace at 10,170" "srgb(100,100,150)" "$(pixel 10,170)"
expect_equal "ground at 74,20" "srgb(0,0,0)" "$(pixel 74,20)"
expect_equal "divider at 138,20" "srgb(100,100,100)" "$(pixel 138,20)"

wmctrl -i -c "$window"
status=0
timeout 10 tail --pid="$program" -f /dev/null || fail "the program did not end when its window was closed"
wait "$program" || status=$?
program=
expect_equal "exit code after closing" 0 "$status"
[ ! -s "$work/program.log" ] || fail "the program wrote: $(cat "$work/program.log")"
echo "the package $(basename "$deb") is complete and its program runs"
