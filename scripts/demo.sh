#!/usr/bin/env bash
# Sets everything up and shows the suite at work on a fresh emulated device.
#   ZELKO_DEMO_DEVICE=DIR   where the device goes (default: build/demo-device, made anew)
#   ZELKO_DEMO_SERVE=ADDR:PORT  where the home screen is served at the end (default
#                           127.0.0.1:8480); interrupt the script to stop the device
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
# The same build as scripts/test.sh makes, so that running both compiles the code once.
cmake -S . -B build -DCMAKE_UNITY_BUILD=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" >/dev/null
cmake --build build -j2 >build.log 2>&1 || { tail -50 build.log; exit 1; }

device=${ZELKO_DEMO_DEVICE:-build/demo-device}
zd() { build/bin/zelko-device -d "$device" "$@"; }
step() { printf '\n\033[1m$ zelko-device %s\033[0m\n' "$*"; zd "$@"; }

zd down >/dev/null 2>&1 || true
rm -rf "$device"
# The background service and the engine must not outlive a failed step.
trap 'kill ${feeds:-} 2>/dev/null || true; zd exec --wait "$controller" -stop >/dev/null 2>&1 || true; zd down >/dev/null 2>&1 || true' EXIT
controller='\Program Files\ZelkoToday\ZelkoToday.exe'
step init --screen 480x800 --locale en-US --timezone Europe/Paris
step install
# The setup tool registers the plugin with the home screen, as a phone's user does once.
step exec --wait '\Program Files\ZelkoToday\ZelkoTools.exe' -install || true
# The plugin installer adds the plugin's layers (ZelkoToday.plg) to the home screen's layout
# files of both orientations and the plugin to its order, as on a phone.
for cpr in currentPortrait currentLandscape; do
  step exec --wait '\Program Files\ZelkoToday\VARN_installer.exe' \
    "-addchange -silent -plg:\\Program Files\\ZelkoToday\\ZelkoToday.plg -cpr:$cpr"
done
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
step show Page2
# Birthdays, appointments and texts for their pages.
step contacts add --first Anna --last Weber --mobile '+33 6 12 34 56 78' --birthday 1990-01-02
step calendar add --subject 'Dentist' --location 'Rue Cler' --start '2027-01-01 10:00'
step sms receive --from 'Weber, Anna' --text 'Happy new year! Lunch on Monday?'
step sms receive --from '+33 1 23 45 67 89' --text 'Your parcel is on its way.'
sleep 0.5
step show Page5
# The home screen in a browser, drawn from the same values: it follows every change without
# reload (try `zelko-device battery 9` on the device from another terminal), a tap runs what
# the phone runs, and menus and questions open in the page. The feeds server keeps serving
# the weather meanwhile.
printf '\n\033[1m$ zelko-device home --serve %s\033[0m\n' "${ZELKO_DEMO_SERVE:-127.0.0.1:8480}"
echo "Open the address below in a browser; interrupt (Ctrl-C) to stop the device."
echo "The device stays in $device afterwards; try: build/bin/zelko-device -d $device --help"
zd home --serve "${ZELKO_DEMO_SERVE:-127.0.0.1:8480}"
