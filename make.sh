#!/usr/bin/env bash
# Sets up what a fresh Debian 12 machine lacks, builds Serna, then starts it (`run`) or runs
# every test (`test`).
set -euo pipefail
cd "$(dirname "$0")"

packages=(g++ cmake make pkg-config qt6-base-dev libqcustomplot-dev libgtest-dev
          libbenchmark-dev libfftw3-dev xvfb xauth)
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
    missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"

case "${1:-run}" in
  run) exec ./build/serna ;;
  test) cd build && ctest --output-on-failure -j"$(nproc)" ;;
  *) echo "usage: $0 run|test" >&2; exit 2 ;;
esac
