#!/usr/bin/env bash
# Fails when a source file includes a header of a library above its own.
# The libraries, bottom up; a file may include headers of its own layer and
# of any layer before it in this list. Libraries joined by "|" form one
# layer: they call one another (the world's objects, the pilots, the
# missions and the network game).
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
  # The library itself may link only to the layers below it.
  links=$(tr '\n' ' ' < "$layer/CMakeLists.txt" | grep -oE "target_link_libraries\($layer [^)]*\)" | sed -E "s/^target_link_libraries\($layer //" | tr '() \t' '\n\n\n\n')
  for target in $links; do
    [ -n "${rank[$target]+set}" ] || continue
    [ "$target" = "$layer" ] && continue
    if [ "${rank[$target]}" -gt "${rank[$layer]}" ]; then
      echo "$layer/CMakeLists.txt: the $layer library may not link to $target, which is not below it" >&2
      status=1
    fi
  done
done
[ $status -eq 0 ] || echo "Layers, bottom up: ${layers[*]}" >&2
exit $status

