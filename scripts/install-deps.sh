#!/usr/bin/env bash
# Installs the Debian packages the project builds and tests with. Does nothing when they
# are all there already. Run as root, or with sudo available.
set -euo pipefail

packages=(
  build-essential cmake pkg-config clang libclang-rt-14-dev
  libsqlite3-dev libicu-dev libcurl4-openssl-dev libpugixml-dev libcpp-httplib-dev libjpeg-dev
  zlib1g-dev libminizip-dev libical-dev
  libcairo2-dev fonts-dejavu-core
  libgtest-dev libgmock-dev libbenchmark-dev sqlite3 curl
  zip python3  # the tests make skin archives with them
  chromium chromium-driver  # the browser tests
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
