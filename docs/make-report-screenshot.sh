#!/usr/bin/env bash
# Draws docs/check-report.png, the report page of `favorites check`, for the README: a check of
# a made-up Favorites folder against a small web server on 127.0.0.1, its report opened in
# headless Chromium 1280 pixels wide, and once more 390 wide as on a phone (that one and the
# page are left in the build folder, to look at). Installs Debian's chromium when it is missing.
#   bash docs/make-report-screenshot.sh [BUILD_DIR]      (default: build/test, as scripts/test.sh makes it)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build/test}
bin=$build/bin
if [ ! -x "$bin/favorites" ]; then
    echo "No favorites tool in $bin: build first (bash scripts/test.sh builds build/test)." >&2
    exit 1
fi
if ! command -v chromium >/dev/null 2>&1; then
    as_root=()
    [ "$(id -u)" -eq 0 ] || as_root=(sudo)
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends chromium
fi

work=$(mktemp -d)
server=
cleanup() {
    [ -z "$server" ] || kill "$server" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
export HOME=$work STRANDMOOR_HIVE=$work/registry.hive

# The made-up web: pages with titles, pages gone, moved, failing, and one that never answers.
python3 - "$work/port" <<'EOF' &
import http.server, sys, time
titles = {"debian": "Debian -- The Universal Operating System", "lwn": "LWN.net",
          "qt": "Qt Documentation", "cmake": "CMake Reference Documentation",
          "bread": "Sourdough bread, step by step", "soup": "Leek and potato soup",
          "trains": "Night trains of Europe", "maps": "OpenStreetMap", "wiki": "Wikipedia",
          "cafe": "Café Ümlaut – Menü", "kernel": "The Linux Kernel Archives"}
class Site(http.server.BaseHTTPRequestHandler):
    def log_message(self, *args):
        pass
    def do_GET(self):
        parts = self.path.strip("/").split("/")
        if parts[0] == "page" and len(parts) > 1 and parts[1] in titles:
            body = f"<html><head><title>{titles[parts[1]]}</title></head><body>ok</body></html>".encode()
            self.send_response(200)
            self.send_header("Content-Type", "text/html; charset=utf-8")
            self.end_headers()
            self.wfile.write(body)
        elif parts[0] == "moved":
            self.send_response(301)
            self.send_header("Location", f"http://127.0.0.1:{self.server.server_port}/page/{parts[1]}")
            self.end_headers()
        elif parts[0] == "silent":
            time.sleep(5)
        else:
            self.send_error({"gone": 404, "removed": 410, "error": 500}.get(parts[0], 404))
server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Site)
server.daemon_threads = True
open(sys.argv[1], "w").write(str(server.server_port))
server.serve_forever()
EOF
server=$!
for _ in $(seq 1 50); do [ -s "$work/port" ] && break; sleep 0.1; done
site="http://127.0.0.1:$(cat "$work/port")"

favorites=$work/Favorites
while IFS='|' read -r name path; do
    mkdir -p "$(dirname "$favorites/$name")"
    printf '[InternetShortcut]\r\nURL=%s\r\n' "$site$path" > "$favorites/$name.url"
done <<EOF
Debian|/page/debian
LWN.net|/page/lwn
Old mailing list archive|/gone/list
News/Kernel news|/moved/kernel
News/Local paper|/silent/paper
News/Weather service|/removed/weather
Work/Docs/Qt Documentation|/page/qt
Work/Docs/CMake|/page/cmake
Work/Docs/Build farm status|/error/farm
Work/Docs/Old wiki|/gone/wiki
Work/Tools/Issue tracker|/silent/tracker
Work/Tools/OpenStreetMap|/page/maps
Recipes/Bread|/page/bread
Recipes/Leek and potato soup|/page/soup
Recipes/Grandma's cake|/gone/cake
Travel/Night trains|/moved/trains
Travel/Café Ümlaut|/page/cafe
Travel/Ferry timetable|/silent/ferry
EOF

"$bin/regsvr" /s "$bin/Tarnhold.so"
"$bin/reg" add 'HKCU\Software\Orrindale\Strandmoor' /v ChangeName /t REG_DWORD /d 1 /f >/dev/null
"$bin/favorites" check "$favorites" --report "$work/report.html" || [ $? -eq 1 ]

shoot() {
    chromium --headless --no-sandbox --disable-gpu --disable-background-networking --disable-component-update \
        --disable-sync --no-first-run --hide-scrollbars --user-data-dir="$work/chromium-$2" \
        --window-size="$2" --screenshot="$1" "file://$work/report.html" 2>/dev/null
}
shoot "$PWD/docs/check-report.png" 1280,900
shoot "$PWD/$build/check-report-phone.png" 390,844
cp "$work/report.html" "$build/check-report.html"
echo "Wrote docs/check-report.png, and $build/check-report-phone.png beside the page $build/check-report.html"
