#!/usr/bin/env bash
# Builds every library and test with AddressSanitizer and UndefinedBehaviorSanitizer
# in build/test and runs all tests, then the tests of code shared with other
# threads under ThreadSanitizer in build/tsan. The exit status is the first
# failure's. Among the tests, ScreenCrawl walks the menus by seeded random
# input for a minute or so (tools/crawl/crawl.sh; the README says how to walk
# longer).
set -u
. "$(dirname "$0")/tools/ensure-packages.sh"
vorn_prepare || exit 1
tools/check-layers.sh || exit 1
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVORN_SANITIZE=ON -DVORN_TESTS=ON >/dev/null || exit 1
cmake --build build/test -j "$jobs" || exit 1

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:strict_string_checks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
(cd build/test && ctest --output-on-failure -j "$jobs") || exit 1

cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVORN_TSAN=ON -DVORN_TESTS=ON >/dev/null || exit 1
cmake --build build/tsan -j "$jobs" --target joystick_tests sound_tests || exit 1
export TSAN_OPTIONS="${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1}"
build/tsan/tests/engine/input/joystick_tests || exit 1
# The synthesizer's library loads SoundFonts on OpenMP threads, whose own
# locking ThreadSanitizer cannot see: one thread is enough for a test.
OMP_NUM_THREADS=1 build/tsan/tests/sound/sound_tests
