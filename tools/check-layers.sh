#!/usr/bin/env bash
# Fails when a source file includes a header of a library above its own.
# The libraries, bottom up; a file may include headers of its own layer and
# of any layer before it in this list. Folders joined by "|" form one
# layer: they call one another (the world's objects, the pilots, the
# missions and the network game) and build one library, "flight", whose
# link line is in the top-level CMakeLists.txt.
layers=(platform engine sound display raster canvas scene game "objects|ai|mission|net" ui screens navmap shell)

set -u
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root" || exit 1

declare -A rank
libraries=()
for i in "${!layers[@]}"; do
  IFS='|' read -ra members <<< "${layers[$i]}"
  for member in "${members[@]}"; do rank[$member]=$i; libraries+=("$member"); done
done

status=0
# A library may link only to the layers below its own (rank $3); its link
# line is in the file $2. The flight layer's own folders are one library.
check_links() {
  local library=$1 file=$2 own=$3 links target member
  links=$(tr '\n' ' ' < "$file" | grep -oE "target_link_libraries\($library [^)]*\)" | sed -E "s/^target_link_libraries\($library //" | tr '() \t' '\n\n\n\n')
  for target in $links; do
    member=$target
    [ "$target" = flight ] && member=objects
    [ -n "${rank[$member]+set}" ] || continue
    if [ "${rank[$member]}" -gt "$own" ]; then
      echo "$file: the $library library may not link to $target, which is not below it" >&2
      status=1
    fi
  done
}

for layer in "${libraries[@]}"; do
  [ -d "$layer" ] || continue
  while IFS=: read -r file line text; do
    target=${text#*\"}
    target=${target%%/*}
    [ -n "${rank[$target]+set}" ] || continue
    if [ "${rank[$target]}" -gt "${rank[$layer]}" ]; then
      echo "$file:$line: $layer may not include a header of $target, a higher layer: ${text#\#include }" >&2
      status=1
    fi
  done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$layer" --include='*.h' --include='*.cpp')
  check_links "$layer" "$layer/CMakeLists.txt" "${rank[$layer]}"
done
check_links flight CMakeLists.txt "${rank[objects]}"
[ $status -eq 0 ] || echo "Layers, bottom up: ${layers[*]}" >&2
exit $status

