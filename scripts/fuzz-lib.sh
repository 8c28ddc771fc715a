# Shared by scripts/fuzz-string.sh, fuzz-state.sh and fuzz-level.sh (sourced):
# builds the fuzz targets of tests/fuzz/ with clang-14, libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer, and runs one of them.
#
# Environment: FUZZ_BUILD  the clang build folder (default /tmp/glimmer-fuzz-build)
#              FUZZ_JOBS   parallel compile jobs (default: the number of cores)

fuzz_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# fuzz_build TARGET: configures the clang build once, then builds TARGET in it.
fuzz_build() {
    local build=${FUZZ_BUILD:-/tmp/glimmer-fuzz-build}
    local sanitize="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
    if [ ! -f "$build/CMakeCache.txt" ]; then
        cmake -S "$fuzz_root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
            -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
            -DCMAKE_C_FLAGS="$sanitize" -DCMAKE_CXX_FLAGS="$sanitize" \
            -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" -DGLIMMER_FUZZ=ON >/dev/null
    fi
    cmake --build "$build" -j"${FUZZ_JOBS:-$(nproc)}" --target "$1" >"$build/$1.build.log" 2>&1 ||
        { tail -30 "$build/$1.build.log"; return 1; }
    fuzz_binary="$build/tests/fuzz/$1"
}

# fuzz_run NAME SECONDS WORK SEED-DIR... : runs the built target on its corpus
# (new inputs go to WORK/corpus) and the seed folders; crashing inputs are
# written to WORK as crash-*. Returns non-zero when an input failed.
fuzz_run() {
    local name=$1 seconds=$2 work=$3
    shift 3
    mkdir -p "$work/corpus"
    # Seed folders that do not exist (yet) are left out; libFuzzer would stop.
    local args=() a
    for a in "$@"; do
        [[ "$a" == -* ]] || [ -d "$a" ] && args+=("$a")
    done
    set -- "${args[@]}"
    echo "running ${name} fuzzer for ${seconds}s"
    if (cd "$work" && "$fuzz_binary" "$work/corpus" "$@" -max_total_time="$seconds" -timeout=20 \
            -rss_limit_mb=2048 -malloc_limit_mb=1024 -artifact_prefix="$work/" -print_final_stats=1 \
            >"$work/$name.log" 2>&1); then
        echo "${name}: no failure"
    else
        echo "${name}: FAILED, see $work/$name.log"
        tail -40 "$work/$name.log"
        return 1
    fi
    grep -E "^stat::number_of_executed_units|^#[0-9]+ *DONE" "$work/$name.log" || true
}
