#!/usr/bin/env bash
# Builds the libFuzzer targets with clang under AddressSanitizer and UndefinedBehaviorSanitizer,
# in a build folder of their own, and runs each for SECONDS seconds (30 unless told) from the seed
# corpus in fuzz/corpus/<target>/, as many at once as there are processors. Exits with 1 when any
# target finds a crash, a leak, undefined behaviour, a timeout or an out-of-memory; the input that
# did it is kept in BUILD_DIR/fuzz-artifacts/<target>/. New inputs the fuzzer finds go to
# BUILD_DIR/fuzz-corpus/, never into the repository.
#
# Usage: scripts/fuzz.sh [SECONDS] [BUILD_DIR]        (BUILD_DIR defaults to build-fuzz)
set -euo pipefail

seconds="${1:-30}"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${2:-$root/build-fuzz}"
targets=(fuzz_base64_decode fuzz_classic_photo_finder fuzz_card_reader fuzz_property_header
    fuzz_base64_kernels fuzz_icon_file fuzz_charset fuzz_image_type fuzz_name_template fuzz_wildcard fuzz_skin_style_sheet)

# The longest input each target is given: the classic finder reads whole card files, some of
# whose seeds are megabytes long.
max_len() {
    case "$1" in
    fuzz_classic_photo_finder) echo 4194304 ;;
    fuzz_wildcard) echo 1024 ;;
    *) echo 65536 ;;
    esac
}

if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -eq 0 ]; then
    echo "usage: scripts/fuzz.sh [SECONDS] [BUILD_DIR]" >&2
    exit 2
fi

cmake -S "$root" -B "$build" -G Ninja \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DORVANDEL_FUZZ=ON -DORVANDEL_SANITIZE=ON -DORVANDEL_WERROR=ON \
    -DORVANDEL_BUILD_TESTS=OFF -DORVANDEL_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build" -j2 --target "${targets[@]}"

# The targets run side by side, one on each processor; each one's output is shown when it ends.
jobs=$(nproc)
logs="$build/fuzz-logs"
mkdir -p "$logs"
run_target() {
    local target=$1
    local corpus="$build/fuzz-corpus/$target" artifacts="$build/fuzz-artifacts/$target"
    mkdir -p "$corpus" "$artifacts"
    # The first corpus folder takes what the fuzzer finds; the seeds are only read.
    if "$build/fuzz/$target" \
        -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len="$(max_len "$target")" \
        -artifact_prefix="$artifacts/" -print_final_stats=1 \
        "$corpus" "$root/fuzz/corpus/$target" >"$logs/$target.log" 2>&1; then
        echo "== $target: $seconds s"
        cat "$logs/$target.log"
    else
        echo "== $target: $seconds s"
        cat "$logs/$target.log"
        echo "== $target: FINDING, see $artifacts" >&2
        return 1
    fi
}

status=0
running=0
for target in "${targets[@]}"; do
    if [ "$running" -ge "$jobs" ]; then
        wait -n || status=1
        running=$((running - 1))
    fi
    run_target "$target" &
    running=$((running + 1))
done
while [ "$running" -gt 0 ]; do
    wait -n || status=1
    running=$((running - 1))
done
exit "$status"
