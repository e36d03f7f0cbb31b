#!/usr/bin/env bash
# Measures what the test suite runs of the product: builds everything with
# clang's source-based coverage in build/coverage (no sanitizers), runs the
# whole suite with ctest (the processes the tests start write their own
# profiles), then prints the lines and functions run per source folder and
# lists the product's functions that nothing runs.
#   tools/coverage.sh [ctest arguments...]     e.g. tools/coverage.sh -R mission_tests
# VORN_COVERAGE_BUILD names another build folder; VORN_COVERAGE_SKIP_RUN=1
# reports on the profiles of the last run without building or running again;
# VORN_JOBS bounds the parallel jobs (the machine's cores by default).
# The product is every source folder of the game and its libraries; tools/
# is counted apart, and tests/ and bench/ not at all. The report, the list of
# unrun functions (file:line name) and an lcov file stay in the build folder.
set -u
cd "$(dirname "$0")/.."
. tools/ensure-packages.sh
vorn_prepare || exit 1
build="${VORN_COVERAGE_BUILD:-build/coverage}"
jobs="${VORN_JOBS:-$jobs}"

for tool in clang++ llvm-profdata llvm-cov llvm-cxxfilt; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "$tool is needed: apt-get install -y clang llvm" >&2
    exit 1
  fi
done

product="platform engine sound display raster canvas scene game objects ai mission net ui screens navmap shell"
profiles="$build/profiles"

if [ "${VORN_COVERAGE_SKIP_RUN:-0}" != 1 ]; then
  flags="-fprofile-instr-generate -fcoverage-mapping"
  CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVORN_TESTS=ON \
    "-DCMAKE_C_FLAGS=$flags" "-DCMAKE_CXX_FLAGS=$flags" \
    "-DCMAKE_EXE_LINKER_FLAGS=-fprofile-instr-generate" >/dev/null || exit 1
  cmake --build "$build" -j "$jobs" || exit 1
  rm -rf "$profiles"
  mkdir -p "$profiles"
  # %p: one file per process, so the game processes a test starts do not
  # overwrite one another; %m: per program, so profiles merge by program.
  export LLVM_PROFILE_FILE="$(pwd)/$profiles/%p-%m.profraw"
  (cd "$build" && ctest -j "$jobs" "$@") || echo "Some tests failed; coverage is of the run as it went." >&2
  unset LLVM_PROFILE_FILE
fi

shopt -s nullglob
raw=("$profiles"/*.profraw)
if [ ${#raw[@]} -eq 0 ]; then
  echo "No profiles in $profiles: run without VORN_COVERAGE_SKIP_RUN first." >&2
  exit 1
fi
merged="$build/coverage.profdata"
printf '%s\n' "${raw[@]}" >"$build/profiles.list"
llvm-profdata merge -sparse -f "$build/profiles.list" -o "$merged" || exit 1

# Every instrumented program of the build: the game, its tools and the test programs.
objects=()
while IFS= read -r file; do
  if llvm-cov report -instr-profile="$merged" "$file" >/dev/null 2>&1; then
    objects+=("$file")
  fi
done < <(find "$build" -type f -perm -u+x ! -name '*.so*' ! -path '*/CMakeFiles/*' | sort)
if [ ${#objects[@]} -eq 0 ]; then
  echo "No instrumented program in $build." >&2
  exit 1
fi
args=("${objects[0]}")
for file in "${objects[@]:1}"; do args+=(-object "$file"); done
ignore='(^|/)(tests|bench)/|^/usr/'

llvm-cov export -format=lcov -instr-profile="$merged" -ignore-filename-regex="$ignore" "${args[@]}" \
  >"$build/coverage.lcov" || exit 1

# Lines from DA records, functions from FN/FNDA records grouped by their
# source line (a template's instantiations are one function, run when any
# of them runs).
awk -v root="$(pwd)/" -v product="$product" -v unrun="$build/unrun.txt" '
  BEGIN {
    n = split(product, names, " ")
    for (i = 1; i <= n; i++) inproduct[names[i]] = 1
  }
  # The path from the checkout, its "folder/.." steps taken out (the build
  # folder names the sources by "../../").
  function relative(path,   n, parts, out, depth, i) {
    n = split(path, parts, "/")
    depth = 0
    for (i = 1; i <= n; i++) {
      if (parts[i] == "" || parts[i] == ".") continue
      if (parts[i] == ".." && depth > 0) { depth--; continue }
      out[++depth] = parts[i]
    }
    path = ""
    for (i = 1; i <= depth; i++) path = path "/" out[i]
    if (index(path, root) == 1) path = substr(path, length(root) + 1)
    return path
  }
  /^SF:/ {
    rel = relative(substr($0, 4))
    split(rel, parts, "/")
    dir = parts[1]
    next
  }
  /^FN:/ {
    split(substr($0, 4), f, ",")
    fnline[rel SUBSEP f[2]] = f[1]
    next
  }
  /^FNDA:/ {
    split(substr($0, 6), f, ",")
    key = rel ":" fnline[rel SUBSEP f[2]]
    if (!(key in fnrun)) { fnrun[key] = 0; fndir[key] = dir; fnname[key] = f[2] }
    if (f[1] + 0 > 0) fnrun[key] = 1
    next
  }
  /^DA:/ {
    split(substr($0, 4), f, ",")
    lines[dir]++
    if (f[2] + 0 > 0) linesrun[dir]++
    next
  }
  END {
    for (key in fnrun) {
      funcs[fndir[key]]++
      if (fnrun[key]) funcsrun[fndir[key]]++
      else print key " " fnname[key] > unrun
    }
    printf "%-10s %8s %8s %8s   %7s %7s %8s\n", "folder", "lines", "run", "lines%", "funcs", "run", "funcs%"
    fflush()
    for (d in lines) {
      printf "%-10s %8d %8d %7.1f%%   %7d %7d %7.1f%%\n", d, lines[d], linesrun[d], 100 * linesrun[d] / lines[d], \
        funcs[d], funcsrun[d], funcs[d] ? 100 * funcsrun[d] / funcs[d] : 100 | "sort"
      if (d in inproduct) { pl += lines[d]; plr += linesrun[d]; pf += funcs[d]; pfr += funcsrun[d] }
    }
    close("sort")
    printf "%-10s %8d %8d %7.1f%%   %7d %7d %7.1f%%\n", "product", pl, plr, 100 * plr / pl, pf, pfr, 100 * pfr / pf
  }
' "$build/coverage.lcov" >"$build/report.txt" || exit 1

# The names demangled, in file order; tools/ apart since it is not the product.
sort -t: -k1,1 -k2,2n "$build/unrun.txt" | llvm-cxxfilt >"$build/unrun-sorted.txt"
mv "$build/unrun-sorted.txt" "$build/unrun.txt"
cat "$build/report.txt"
echo
echo "Product functions that nothing runs:"
grep -v '^tools/' "$build/unrun.txt"
echo
echo "($(grep -c '^tools/' "$build/unrun.txt") unrun functions of tools/ are listed in $build/unrun.txt.)"
