#!/usr/bin/env bash
# Sets up, builds and runs every test, with the checks that hold the code to them; what CI
# runs on a clean clone. The tree is built once, with clang, under AddressSanitizer and
# UndefinedBehaviorSanitizer (any finding stops the program) and clazy's checks, into
# build-check/; then, side by side:
#   - every test through CTest, headless (those that start the console or open
#     pseudo-terminals one at a time),
#   - the static checks of src/ (scripts/static-checks.sh) on that build,
#   - the Windows syntax check (scripts/windows-syntax.sh);
# then each fuzz target for a short while from its seed corpus.
#   FUZZ_SECONDS=600 scripts/test.sh   fuzzes each target for ten minutes instead
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-check"
seconds="${FUZZ_SECONDS:-8}"

"$root/scripts/setup.sh"
# One unit per library (unity build) halves the build and the static checks; -O1 keeps the
# sanitizers' code fast enough for the tests that run the console at the minute.
flags="-O1 -gline-tables-only -fsanitize=address,undefined,fuzzer-no-link -fno-sanitize-recover=all \
-fno-omit-frame-pointer"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=None -DCMAKE_UNITY_BUILD=ON -DCMAKE_EXPORT_COMPILE_COMMANDS=ON \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DPAV_FUZZ=ON \
  -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build "$build" -j"$(nproc)"

supp="$root/scripts/sanitizer.supp"
# libfaketime comes before the sanitizer runtime in the tests that set the console's clock;
# a small quarantine keeps the tests that watch the console's memory meaningful. The allocator
# returns no memory to the system on a timer: reading that timer goes through libfaketime's
# clock_gettime, whose first call allocates, and an allocation from inside the allocator
# waits for itself (the console hung at its first malloc, in a library's constructor).
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:verify_asan_link_order=0:strict_string_checks=1:quarantine_size_mb=1:allocator_release_to_os_interval_ms=-1"
export LSAN_OPTIONS="suppressions=$supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"

# The tests mostly wait (for the minute, a slow line, a peer); the checks use the processor
# meanwhile.
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
"$root/scripts/static-checks.sh" "$build" >"$logs/static" 2>&1 &
static=$!
"$root/scripts/windows-syntax.sh" >"$logs/windows" 2>&1 &
windows=$!
status=0
echo "== every test under the sanitizers"
(cd "$build" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)" --timeout 600) || status=1
wait "$static" || status=1
cat "$logs/static"
wait "$windows" || status=1
cat "$logs/windows"
[ "$status" -eq 0 ] || exit 1

echo "== each fuzz target for ${seconds} s"
for target in "$build"/fuzz/fuzz_*; do
  [ -f "$target" ] && [ -x "$target" ] || continue
  name=$(basename "$target")
  mkdir -p "$logs/$name"
  # New inputs go to the scratch folder; the seeds in the repository stay as they are.
  if ! "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      "$logs/$name" "$root/fuzz/corpus/$name" >"$logs/$name.log" 2>&1; then
    tail -n 40 "$logs/$name.log"
    echo "$name found a fault"
    exit 1
  fi
  echo "$name: $(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "$logs/$name.log" | grep -o '[0-9]*$') runs, no fault"
done
