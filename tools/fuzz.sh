#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build/fuzz and runs one of them.
#   tools/fuzz.sh [target] [seconds]      e.g. tools/fuzz.sh iff_file_fuzz 180
# Targets: iff_file_fuzz, ini_file_fuzz, vpal_fuzz, image_fuzz,
# textured_polygon_fuzz, material_fuzz, mesh_fuzz, event_map_fuzz, scene_fuzz, keyframe_fuzz,
# sound_fuzz, xmidi_fuzz, flight_control_fuzz, net_packet_fuzz, definitions_fuzz, fx_fuzz, nebula_fuzz, mission_fuzz,
# ai_iff_fuzz, controls_fuzz, career_record_fuzz, savegame_fuzz, session_wire_fuzz, hull_fuzz, art_fuzz,
# tutor_fuzz, options_fuzz, slot_title_fuzz, random_fuzz, room_art_fuzz, encyclopedia_fuzz,
# navmap_art_fuzz, dispatch_fuzz, dispatch_sequence_fuzz (one world, many packets), goal_scene_fuzz.
# The corpus grows in build/fuzz/corpus/<target>, seeded from
# tests/fuzz/corpus/<name>, with tests/fuzz/dict/<target>.dict where there is one;
# crashes land in build/fuzz/artifacts/.
# VORN_FUZZ_BUILD names another build folder than build/fuzz.
set -eu
cd "$(dirname "$0")/.."
target="${1:-iff_file_fuzz}"
seconds="${2:-60}"
build="${VORN_FUZZ_BUILD:-build/fuzz}"

if ! command -v clang++ >/dev/null 2>&1; then
  echo "clang++ and its libFuzzer runtime are needed: apt-get install -y clang" >&2
  exit 1
fi

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVORN_FUZZ=ON -DVORN_SANITIZE=ON -DVORN_TESTS=ON \
  "-DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link" "-DCMAKE_C_FLAGS=-fsanitize=fuzzer-no-link" >/dev/null
cmake --build "$build" --target "$target"

# Seeds: tests/fuzz/corpus/iff for iff_file_fuzz, and so on.
seeds="tests/fuzz/corpus/${target%%_*}"
corpus="$build/corpus/$target"
mkdir -p "$corpus" "$build/artifacts"
args=("$corpus")
[ -d "$seeds" ] && args+=("$seeds")
# A target's dictionary: the words its inputs are worth trying.
dict="tests/fuzz/dict/$target.dict"
[ -f "$dict" ] && args=("-dict=$dict" "${args[@]}")
exec "$build/tests/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 \
  -artifact_prefix="$build/artifacts/" "${args[@]}"
