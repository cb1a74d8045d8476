#!/usr/bin/env bash
# Sets everything up and runs every test: the unit and end-to-end tests in a normal build
# and under AddressSanitizer and UBSan, then each fuzz target for a short while. The
# sanitizer build (clang) holds the fuzz targets too, so the code is compiled twice, not
# three times. Both builds are unity builds (a few sources compiled as one), which halves
# the compile time: most of it is spent parsing the same headers again.
#   ZELKO_SANITIZE=0      skip the tests under the sanitizers
#   ZELKO_FUZZ_SECONDS=N  how long each fuzz target runs (default 10; 0 skips fuzzing)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

summary=()
passed=0
failed=0
build() {  # BUILD_DIR CMAKE_ARGS...
  local dir=$1; shift
  echo "== building in $dir"
  local start=$SECONDS
  cmake -S . -B "$dir" -DCMAKE_UNITY_BUILD=ON "$@" >/dev/null
  cmake --build "$dir" -j2 >"$dir.log" 2>&1 || { tail -50 "$dir.log"; exit 1; }
  summary+=("build $dir: $((SECONDS - start)) s")
}
run_suite() {  # NAME BUILD_DIR
  local name=$1 dir=$2
  echo "== $name: testing"
  local out rc=0 start=$SECONDS
  out=$(ctest --test-dir "$dir" -j2 --output-on-failure --timeout 300 2>&1) || rc=$?
  echo "$out" | grep -vE '^ *[0-9]+/[0-9]+ Test +#[0-9]+: .* Passed' || true
  local line total bad
  line=$(echo "$out" | grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' | tail -1)
  total=$(echo "$line" | grep -Eo 'out of [0-9]+' | grep -Eo '[0-9]+' || echo 0)
  bad=$(echo "$line" | grep -Eo '[0-9]+ tests failed' | grep -Eo '[0-9]+' || echo 0)
  [ -n "$line" ] || { total=0; bad=1; }
  passed=$((passed + total - bad))
  failed=$((failed + bad))
  summary+=("$name: ${line:-no test ran} ($((SECONDS - start)) s)")
  return $rc
}

status=0
# Line tables only (-g1): enough for the sanitizers' and debuggers' stack traces, and much
# cheaper to compile than full debug information.
build build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" \
  -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG"
run_suite "tests" build || status=1

seconds=${ZELKO_FUZZ_SECONDS:-10}
if [ "${ZELKO_SANITIZE:-1}" != 0 ] || [ "$seconds" != 0 ]; then
  # -O1, as the sanitizers' guides advise: the tests run much faster than at -O0.
  CC=clang CXX=clang++ build build-asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" \
    -DCMAKE_C_FLAGS_DEBUG="-O1 -g1" -DZELKO_SANITIZE=ON -DZELKO_FUZZ=ON
fi
if [ "${ZELKO_SANITIZE:-1}" != 0 ]; then
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    run_suite "tests under ASan+UBSan" build-asan || status=1
fi

fuzz() {  # TARGET: runs it for $seconds, leaves its summary line in its corpus folder
  local target=$1 name corpus seeds
  name=$(basename "$target")
  corpus="build-asan/corpus/$name"
  mkdir -p "$corpus"
  seeds="fuzz/seeds/$name"
  [ -d "$seeds" ] || seeds=""
  rm -f "$corpus.result"
  "$target" -max_total_time="$seconds" -print_final_stats=0 "$corpus" $seeds >"$corpus.log" 2>&1 &
  local pid=$!
  # Stopped with the script (see the trap below), this stops its fuzzer too.
  trap 'kill "$pid" 2>/dev/null' TERM
  if wait "$pid"; then
    echo "fuzz $name: $(grep -Eo 'Done [0-9]+ runs' "$corpus.log" | tail -1), no crash" >"$corpus.result"
  else
    echo "fuzz $name: FAILED" >"$corpus.result"
  fi
}
if [ "$seconds" != 0 ]; then
  echo "== fuzzing, ${seconds}s a target, two at a time"
  fuzz_start=$SECONDS
  # An interrupted run leaves no fuzzer behind: each job stops its fuzzer when told to.
  trap 'kill $(jobs -p) 2>/dev/null || true' EXIT
  targets=(build-asan/bin/*_fuzz)
  for target in "${targets[@]}"; do
    while [ "$(jobs -rp | wc -l)" -ge 2 ]; do wait -n || true; done
    fuzz "$target" &
  done
  wait
  for target in "${targets[@]}"; do
    corpus="build-asan/corpus/$(basename "$target")"
    result=$(cat "$corpus.result" 2>/dev/null || echo "fuzz $(basename "$target"): FAILED")
    summary+=("$result")
    if [[ $result == *FAILED ]]; then
      tail -40 "$corpus.log"
      failed=$((failed + 1))
      status=1
    fi
  done
fi

[ "$seconds" = 0 ] || summary+=("fuzzing: $((SECONDS - fuzz_start)) s")
summary+=("in all: $SECONDS s")
echo
echo "== summary"
printf '%s\n' "${summary[@]}"
echo "summary: $passed passed, $failed failed"
exit $status
