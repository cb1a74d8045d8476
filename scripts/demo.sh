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
# The background service and the engine must not outlive a failed step.
trap 'kill ${feeds:-} 2>/dev/null || true; zd down >/dev/null 2>&1 || true' EXIT
controller='\Program Files\ZelkoToday\ZelkoToday.exe'
step init --screen 480x800 --locale en-US --timezone Europe/Paris
step install
# The setup tool registers the plugin with the home screen, as a phone's user does once.
step exec --wait '\Program Files\ZelkoToday\ZelkoTools.exe' -install || true
step up
step clock set '2026-12-31 23:59'
step battery 42 --no-ac
step memory --load 37 --total 262144 --avail 165150
step reg set HKCU 'System\State\Messages\SMS\Unread' Count --dword 2
# The controller starts the resident engine, which fills the pages at once. Like every
# command it understood, it ends with exit code 1.
step exec --wait "$controller" -update || true
for _ in $(seq 50); do zd windows | grep -q '^ZelkoToday' && break; sleep 0.1; done
sleep 0.5
step show Page1
# Each change wakes the engine through its notifications: the minute (and the new year),
# a critical battery, a missed call.
step clock advance 1
step battery 9 --no-ac
step reg set HKCU 'System\State\Phone' 'Missed Call Count' --dword 1
sleep 0.5
step show CondensedPage
step notifications
step contacts import tests/data/address_book_v30.vcf
step calendar add --subject 'Team meeting' --location 'Room 2' --start '2027-01-04 09:30' --rrule 'FREQ=WEEKLY;BYDAY=MO;COUNT=10'
sleep 0.5
# The weather, from a loopback server of sample feeds (where the default ZelkoToday.ini
# points the weather provider): the run dials a data connection and hangs it up again.
build/bin/zelko-device -d "$device" feeds >build/feeds.log 2>&1 &
feeds=$!
for _ in $(seq 50); do grep -q serving build/feeds.log && break; sleep 0.1; done
step reg set HKLM 'Software\Microsoft\CHome\ZelkoToday' Ville --text FRXX0023
step exec --wait '\Program Files\ZelkoToday\ZelkoMeteo.exe' -zelkotoday
kill $feeds && wait $feeds
step show Page2
step journal
step exec --wait "$controller" -stop || true
step down
echo
echo "The device stays in $device; try: build/bin/zelko-device -d $device --help"
