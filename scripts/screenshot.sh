#!/usr/bin/env bash
# Writes a screenshot of a served home screen (zelko-device home --serve, as scripts/demo.sh
# ends) with headless Chromium, for the README.
#   scripts/screenshot.sh [URL] [FILE]   default: http://127.0.0.1:8480/ docs/home-screen.png
set -euo pipefail
url=${1:-http://127.0.0.1:8480/}
out=$(realpath -m "${2:-docs/home-screen.png}")
command -v chromium >/dev/null || { echo "chromium is not installed (scripts/install-deps.sh)" >&2; exit 1; }
profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT
# Chromium's sandbox does not run as root.
sandbox=()
[ "$(id -u)" -eq 0 ] && sandbox=(--no-sandbox)
chromium --headless=new "${sandbox[@]}" --disable-gpu --hide-scrollbars --user-data-dir="$profile" \
  --window-size=560,900 --screenshot="$out" "$url" >"$profile/log" 2>&1 ||
  { cat "$profile/log" >&2; exit 1; }
[ -s "$out" ] || { echo "no screenshot written" >&2; cat "$profile/log" >&2; exit 1; }
echo "$out"
