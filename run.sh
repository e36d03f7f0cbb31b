#!/usr/bin/env bash
# Builds the program in build/release, writes the sample data tree to
# build/data and runs vorn on it. Arguments go to the program.
set -u
. "$(dirname "$0")/tools/ensure-packages.sh"
vorn_prepare || exit 1
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVORN_TESTS=OFF -DVORN_BENCH=ON >/dev/null || exit 1
cmake --build build/release -j "$jobs" >/dev/null || { cmake --build build/release -j 1; exit 1; }
build/release/tools/mkdata/mkdata "$root/build/data" || exit 1
exec build/release/shell/vorn --data "$root/build/data" "$@"
