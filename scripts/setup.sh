#!/usr/bin/env bash
# Installs every Debian package the builds, tests, benchmarks and the demo need.
# Idempotent: safe to run on every build; needs root on Debian 12.
set -euo pipefail

packages=(
  # native build, tests, sanitizers, fuzzers, benchmarks
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev clang-format
  googletest libgtest-dev libgmock-dev libbenchmark-dev zlib1g-dev
  libcurl4-openssl-dev libssl-dev openssl libcpp-httplib-dev
  libpugixml-dev libtinyxml2-dev libzip-dev libdeflate-dev strace
  # Windows cross build and its test runs
  g++-mingw-w64-x86-64 libz-mingw-w64-dev wine wine64 xvfb xauth fonts-wqy-zenhei locales
  # real peers and tools the tests drive
  nginx-light dante-server tinyproxy curl zip unzip p7zip-full libarchive-tools python3
  # tessel-server's deployment: nginx in front, Redis as the shared count
  # store (and its client library), wrk for the server benchmark
  nginx redis-server libhiredis-dev wrk
  # resource generation
  imagemagick
  # the Windows installer (scripts/package.sh)
  nsis
  # the catalogue server's pages in a real browser (large; only the page test
  # needs it), run in a network namespace of its own
  chromium iproute2
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  # Package scripts must not start services: the tests start their own on loopback.
  policy=/usr/sbin/policy-rc.d
  made_policy=0
  if [ ! -e "$policy" ]; then
    printf '#!/bin/sh\nexit 101\n' >"$policy" && chmod +x "$policy" && made_policy=1
  fi
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
  ((made_policy)) && rm -f "$policy"
fi

# Wine maps LANG=zh_CN.UTF-8 to code page 936 only when the locale exists.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf8$'; then
  sed -i 's/^# *zh_CN.UTF-8 UTF-8/zh_CN.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' >>/etc/locale.gen
  locale-gen >/dev/null
fi
echo "setup: all packages present"
