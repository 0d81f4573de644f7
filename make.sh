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
  test)
    # The random-script test with the address and undefined-behaviour sanitizers: only the
    # libraries and the one test program, at -O1 to keep the build short. Then every test.
    cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DSERNA_BENCH=OFF \
      -DCMAKE_CXX_FLAGS="-O1 -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
    cmake --build build-asan -j"$(nproc)" --target random_scripts_test
    ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=offscreen ./build-asan/random_scripts_test
    cd build && ctest --output-on-failure -j"$(nproc)" ;;
  *) echo "usage: $0 run|test" >&2; exit 2 ;;
esac
