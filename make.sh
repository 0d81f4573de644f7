#!/usr/bin/env bash
# Sets up what a fresh Debian 12 machine lacks, builds Serna, then starts it (`run`), runs every
# test (`test`), or installs the Python package serna for the user (`python`).
set -euo pipefail
cd "$(dirname "$0")"

packages=(g++ cmake make pkg-config qt6-base-dev libqcustomplot-dev libgtest-dev
          libbenchmark-dev libfftw3-dev xvfb xauth
          pybind11-dev python3-dev python3-numpy python3-pytest python3-distributed python3-mpmath)
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

# Debian's interpreter, whose numpy, pytest and dask were installed above.
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPython_EXECUTABLE=/usr/bin/python3
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
  python)
    # The package into the user's site-packages, where `python3 -c "import serna"` finds it in
    # any new shell (Debian's pip refuses to install beside the system's packages).
    site="$(/usr/bin/python3 -m site --user-site)"
    mkdir -p "$site"
    rm -rf "$site/serna"
    cp -r build/python/serna "$site/serna"
    (cd / && /usr/bin/python3 -c "import serna; print('serna installed in', serna.__path__[0])") ;;
  *) echo "usage: $0 run|test|python" >&2; exit 2 ;;
esac
