#!/usr/bin/env bash
# The reliability gates, after the plain tests: the whole tree built with clang under
# AddressSanitizer and UndefinedBehaviorSanitizer (any finding stops the program), every
# test run in that build, then each fuzz target for a short while from its seed corpus.
#   FUZZ_SECONDS=600 scripts/sanitize.sh   fuzzes each target for ten minutes instead
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-sanitize"
seconds="${FUZZ_SECONDS:-15}"

"$root/scripts/setup.sh"
flags="-fsanitize=address,undefined,fuzzer-no-link -fno-sanitize-recover=all -fno-omit-frame-pointer"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
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

echo "== every test under the sanitizers"
(cd "$build" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)" --timeout 600)

echo "== each fuzz target for ${seconds} s"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for target in "$build"/fuzz/fuzz_*; do
  [ -f "$target" ] && [ -x "$target" ] || continue
  name=$(basename "$target")
  mkdir -p "$work/$name"
  # New inputs go to the scratch folder; the seeds in the repository stay as they are.
  if ! "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      "$work/$name" "$root/fuzz/corpus/$name" >"$work/$name.log" 2>&1; then
    tail -n 40 "$work/$name.log"
    echo "$name found a fault"
    exit 1
  fi
  echo "$name: $(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "$work/$name.log" | grep -o '[0-9]*$') runs, no fault"
done
