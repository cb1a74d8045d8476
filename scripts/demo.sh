#!/usr/bin/env bash
# Sets everything up and shows the suite at work on a fresh emulated device.
#   ZELKO_DEMO_DEVICE=DIR   where the device goes (default: build/demo-device, made anew)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 >build.log 2>&1 || { tail -50 build.log; exit 1; }

device=${ZELKO_DEMO_DEVICE:-build/demo-device}
zd() { build/bin/zelko-device -d "$device" "$@"; }
step() { printf '\n\033[1m$ zelko-device %s\033[0m\n' "$*"; zd "$@"; }

zd down >/dev/null 2>&1 || true
rm -rf "$device"
step init --screen 480x800 --locale en-US --timezone Europe/Paris
step install
step up
step clock set '2026-12-31 23:59'
step clock advance 1
step clock show
step battery 42 --no-ac
step memory --load 37 --total 262144 --avail 165150
step reg dump HKLM 'Software\Microsoft\CHome'
step reg dump HKLM 'System\State'
step reg dump HKCU 'System\State'
step reg set HKLM 'Software\Microsoft\CHome' Enabled --dword 1
step contacts import tests/data/address_book_v30.vcf
step contacts list
step calendar add --subject 'Team meeting' --location 'Room 2' --start '2027-01-04 09:30' --rrule 'FREQ=WEEKLY;BYDAY=MO;COUNT=10'
step calendar list
step exec --wait 'tmail.exe' -to +33612345678
step journal
step down
echo
echo "The device stays in $device; try: build/bin/zelko-device -d $device --help"
