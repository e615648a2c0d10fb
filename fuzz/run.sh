#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, ASan, UBSan) and runs each in turn, one process at a time.
#   fuzz/run.sh [seconds per target] [target...]     (default: 60 seconds, every target)
# New inputs collect in <build>/corpus/<target>, crashes and slow inputs in <build>/findings/<target>; the
# committed seeds (fuzz/corpus) and kept findings (fuzz/regressions) stay as they are. Copy a finding into
# fuzz/regressions/<folder>/ once it is fixed, so that every test run replays it.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
build=${TOLVANER_FUZZ_BUILD:-build-fuzz}
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(jpeg_thumbnail_fuzzer size_text_fuzzer thumbnail_path_fuzzer)

declare -A folder=([jpeg_thumbnail_fuzzer]=jpeg [size_text_fuzzer]=size-text [thumbnail_path_fuzzer]=thumbnail-path)

# Coverage guides the fuzzer only through code compiled for it, and the system's libjpeg is not: by default the
# fuzzer sees our own branches alone. TOLVANER_FUZZ_LIBJPEG names a libjpeg built for it (fuzz/build-libjpeg.sh).
jpeg=()
if [ -n "${TOLVANER_FUZZ_LIBJPEG:-}" ]; then
    TOLVANER_FUZZ_LIBJPEG=$(realpath "$TOLVANER_FUZZ_LIBJPEG")
    jpeg=(-DJPEG_INCLUDE_DIR="$TOLVANER_FUZZ_LIBJPEG/include" -DJPEG_LIBRARY="$TOLVANER_FUZZ_LIBJPEG/lib/libjpeg.a"
        -DJPEG_LIBRARY_RELEASE="$TOLVANER_FUZZ_LIBJPEG/lib/libjpeg.a")
fi
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link \
    -DTOLVANER_FUZZ=ON -DTOLVANER_SANITIZE=ON -DTOLVANER_BUILD_TESTS=OFF "${jpeg[@]}" >/dev/null
cmake --build "$build" --target "${targets[@]}"

for target in "${targets[@]}"; do
    name=${folder[$target]}
    mkdir -p "$build/corpus/$target" "$build/findings/$target"
    kept=()
    [ ! -d "fuzz/regressions/$name" ] || kept=("fuzz/regressions/$name")
    echo "== $target: $seconds s"
    # A decoding that takes more than 10 s or 2 GB is a finding too.
    ASAN_OPTIONS=allocator_may_return_null=1:detect_leaks=1 \
    "$build/fuzz/$target" "$build/corpus/$target" "fuzz/corpus/$name" "${kept[@]}" \
        -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
        -artifact_prefix="$build/findings/$target/" -print_final_stats=1 2>&1 |
        grep --line-buffered -E '^(#[0-9]+[[:space:]]+(INITED|DONE|pulse)|==|SUMMARY|stat::|artifact|Done|.*property broken)' || true
done
