#!/usr/bin/env bash
# Builds the Debian package from a configured build, installs it, starts the installed
# launcher `strandmoor` on a virtual display for a new user (its own HOME and hive), waits for
# the main window, closes it, carries a bookmark file in and out with `strandmoor-favorites`
# and removes the package again. Needs root (or sudo) for dpkg.
#   bash packaging/test-deb.sh [BUILD_DIR]      (default: build/test)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build/test}
if [ "$(id -u)" -eq 0 ]; then as_root=(); else as_root=(sudo); fi

cmake --build "$build"
rm -f "$build"/strandmoor_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/strandmoor_*.deb)
echo "Built $deb"
dpkg-deb --contents "$deb" | awk '{print $6}' | grep -E 'bin/strandmoor(-favorites)?$|lib/strandmoor/(Strandmoor|Tarnhold.so|Strandmoor.chm|checkmrk.ico|favorites)$|applications/strandmoor.desktop$|hicolor/scalable/apps/strandmoor.svg$' | sort
for item in bin/strandmoor-favorites lib/strandmoor/favorites; do
    dpkg-deb --contents "$deb" | awk '{print $6}' | grep -qE "/$item\$" || { echo "FAILED: the package lacks $item" >&2; exit 1; }
done

"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "./$deb" >/dev/null
remove_package() { "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive dpkg --purge strandmoor >/dev/null || true; }
trap remove_package EXIT

for launcher in strandmoor strandmoor-favorites; do
    command -v "$launcher" >/dev/null || { echo "FAILED: $launcher is not on PATH" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'remove_package; rm -rf "$work"' EXIT
mkdir -p "$work/home" "$work/runtime" && chmod 700 "$work/runtime"

# The session: start the launcher, wait for the window, close it from the File menu.
cat > "$work/session.sh" <<'SESSION'
#!/usr/bin/env bash
set -u
strandmoor & pid=$!
window=
for _ in $(seq 1 100); do
    window=$(xdotool search --onlyvisible --name '^Strandmoor$' 2>/dev/null | head -1)
    [ -n "$window" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.2
done
if [ -z "$window" ]; then
    echo "FAILED: no Strandmoor window" >&2
    kill "$pid" 2>/dev/null; wait "$pid"; exit 1
fi
echo "Window shown: $(xdotool getwindowname "$window")"
xdotool windowfocus --sync "$window"; sleep 0.3
xdotool key --delay 150 alt+f x
for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
if kill -0 "$pid" 2>/dev/null; then echo "FAILED: the window did not close" >&2; kill "$pid"; exit 1; fi
wait "$pid"
SESSION
env -i PATH=/usr/local/bin:/usr/bin:/bin HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" LANG=C.UTF-8 \
    QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" bash "$work/session.sh"
settings=$(env -i HOME="$work/home" /usr/lib/strandmoor/reg query 'HKCU\Software\Orrindale\Strandmoor' | grep -c REG_DWORD)
[ "$settings" -eq 8 ] || { echo "FAILED: expected 8 settings in the new user's hive, found $settings" >&2; exit 1; }

# The favorites tool, as the same user: a bookmark file into the Favorites and out again.
printf '%s\n' '<!DOCTYPE NETSCAPE-Bookmark-file-1>' '<H1>From the browser</H1>' '<DL><p>' \
    '<DT><A HREF="http://example.com/">Example</A>' '</DL><p>' > "$work/bookmarks.html"
as_user=(env -i PATH=/usr/local/bin:/usr/bin:/bin HOME="$work/home" LANG=C.UTF-8)
"${as_user[@]}" strandmoor-favorites import "$work/bookmarks.html"
grep -q 'URL=http://example.com/' "$work/home/Favorites/From the browser/Example.url" ||
    { echo "FAILED: the import wrote no shortcut" >&2; exit 1; }
exported=$("${as_user[@]}" strandmoor-favorites export 2>/dev/null)
grep -q '<A HREF="http://example.com/"' <<<"$exported" ||
    { echo "FAILED: the export lacks the imported favorite" >&2; exit 1; }
echo "The package installs and starts."
