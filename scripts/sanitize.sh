#!/usr/bin/env bash
# The sanitizer stage: builds everything (editor, tests, tools) with
# AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer, runs the
# whole CTest suite under them, then builds the fuzzers with clang and runs
# each from its seed corpus, for a minute (images and edits) or 20 seconds
# (file formats, level packs), on every core. Exits non-zero on any failure
# or any sanitizer report.
#
# Environment: ZELQUOR_ASAN_DIR (default build-asan), ZELQUOR_FUZZ_DIR
# (default build-fuzz), ZELQUOR_FUZZ_SECONDS (default 60, 0 skips the run),
# ZELQUOR_FORMATS_FUZZ_SECONDS (the formats fuzzer, default 20, 0 skips its
# timed run; its seeds always run), ZELQUOR_FORMATS_FUZZ_TIMEOUT (seconds one
# input of the formats fuzzer may take before it counts as a hang, default
# 10), ZELQUOR_PACKS_FUZZ_SECONDS (the level pack fuzzer, default 20, 0 skips
# it), ZELQUOR_JOBS (build jobs and fuzzer processes, default 2).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
asan_dir=${ZELQUOR_ASAN_DIR:-build-asan}
fuzz_dir=${ZELQUOR_FUZZ_DIR:-build-fuzz}
fuzz_seconds=${ZELQUOR_FUZZ_SECONDS:-60}
formats_seconds=${ZELQUOR_FORMATS_FUZZ_SECONDS:-20}
packs_seconds=${ZELQUOR_PACKS_FUZZ_SECONDS:-20}
formats_timeout=${ZELQUOR_FORMATS_FUZZ_TIMEOUT:-10}
jobs=${ZELQUOR_JOBS:-2}
start=$SECONDS

# The build's own packages, then clang and its runtime libraries (libFuzzer,
# the sanitizer runtimes) for the fuzzer.
./scripts/setup.sh --packages-only
missing=()
for p in clang libclang-rt-14-dev; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    echo "Installing: ${missing[*]}"
    if ! { $sudo apt-get update -qq &&
           DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"; }; then
        echo "warning: could not install ${missing[*]}; the fuzzer will be skipped" >&2
    fi
fi

# Every report goes to a log file as well as failing its process, so that a
# report from a process whose exit status a test ignores is not lost either.
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
export ASAN_OPTIONS="detect_leaks=1:check_initialization_order=1:log_path=$logs/asan"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:log_path=$logs/ubsan"
export LSAN_OPTIONS="suppressions=$root/fuzz/lsan.supp:print_suppressions=0"

check_logs() {
    local found=0 f
    for f in "$logs"/*; do
        [ -e "$f" ] || continue
        found=1
        echo "=== sanitizer report: $(basename "$f")"
        cat "$f"
    done
    return $found
}

# A timed fuzzer run on every core the stage may use ($jobs processes with
# their own random seeds, side by side for the same time, on one corpus
# folder: each takes in the others' finds as it goes). Prints each process's
# last lines and the sum of the inputs run; fails when any process failed.
#   fuzz_on_every_core NAME SECONDS FUZZER ARGS... CORPUS
fuzz_on_every_core() {
    local name=$1 seconds=$2 pids=() failed=0 total=0 i runs
    shift 2
    for ((i = 0; i < jobs; ++i)); do
        "$@" -max_total_time="$seconds" -seed=$((i + 1)) -print_final_stats=1 >"$work/$name-$i.log" 2>&1 &
        pids+=($!)
    done
    for ((i = 0; i < jobs; ++i)); do
        wait "${pids[$i]}" || failed=1
        echo "--- $name fuzzer, process $((i + 1)) of $jobs"
        tail -n 60 "$work/$name-$i.log"
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$name-$i.log")
        total=$((total + ${runs:-0}))
    done
    echo "== $name fuzzer: $total inputs in $seconds s on $jobs processes"
    return $failed
}

echo "== Sanitizer build (g++, address + undefined) in $asan_dir"
sanitizers="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined"
cmake -S . -B "$asan_dir" -G Ninja \
    -DCMAKE_CXX_COMPILER=g++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS="$sanitizers" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
    -DZELQUOR_BUILD_APP=ON -DZELQUOR_BUILD_TESTS=ON
cmake --build "$asan_dir" -j "$jobs"

echo "== Test suite under the sanitizers"
status=0
(cd "$asan_dir" && ctest --output-on-failure -j "$jobs") || status=1
check_logs || status=1
if ((status)); then
    echo "sanitizer stage: the test suite failed under the sanitizers" >&2
    exit 1
fi

if ((fuzz_seconds > 0)) && command -v clang++ >/dev/null &&
   compgen -G "/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a" >/dev/null; then
    echo "== Fuzzer (clang, libFuzzer + address + undefined) in $fuzz_dir"
    CC=clang CXX=clang++ cmake -S . -B "$fuzz_dir" -G Ninja \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DZELQUOR_FUZZ=ON -DZELQUOR_BUILD_APP=OFF -DZELQUOR_BUILD_TESTS=OFF
    cmake --build "$fuzz_dir" -j "$jobs" --target zelquor-fuzz zelquor-fuzz-formats zelquor-fuzz-packs
    fuzzer=$fuzz_dir/fuzz/zelquor-fuzz
    work=$(mktemp -d)
    trap 'rm -rf "$logs" "$work"' EXIT
    mkdir -p "$work/corpus" "$fuzz_dir/artifacts"
    cp fuzz/corpus/* "$work/corpus/"
    seeds=("$work/corpus")
    # The seed corpus (the kept reproducers among it, whole images too) once
    # with the whole drawing pass on every level, then the timed run with the
    # quick pass for most inputs and the whole pass for a share, on inputs in
    # the compact form (patches on the sample image).
    "$fuzzer" -runs=0 -max_len=65536 "${seeds[@]}" || status=1
    if ((status == 0)); then
        ZELQUOR_FUZZ_SURVEY=mixed fuzz_on_every_core image "$fuzz_seconds" "$fuzzer" -max_len=4096 -timeout=30 \
            -artifact_prefix="$fuzz_dir/artifacts/" "${seeds[@]}" || status=1
    fi
    # The .z80/.szx/.tap/.tzx readers and the tape load, from their own corpus:
    # the seeds once, then the timed run. An input that takes longer than the
    # time limit is reported as a hang (a reader that never returns).
    formats=("$fuzz_dir/fuzz/zelquor-fuzz-formats" -max_len=16384 -timeout="$formats_timeout"
             -artifact_prefix="$fuzz_dir/artifacts/")
    if ((status == 0)); then
        mkdir -p "$work/corpus-formats"
        cp fuzz/corpus-formats/* "$work/corpus-formats/"
        "${formats[@]}" -runs=0 "$work/corpus-formats" || status=1
    fi
    if ((status == 0 && formats_seconds > 0)); then
        fuzz_on_every_core formats "$formats_seconds" "${formats[@]}" "$work/corpus-formats" || status=1
    fi
    # The level pack reader and Apply, from their own corpus and dictionary.
    if ((status == 0 && packs_seconds > 0)); then
        mkdir -p "$work/corpus-packs"
        cp fuzz/corpus-packs/* "$work/corpus-packs/"
        fuzz_on_every_core packs "$packs_seconds" "$fuzz_dir/fuzz/zelquor-fuzz-packs" -dict=fuzz/pack.dict \
            -max_len=131072 -timeout=30 -artifact_prefix="$fuzz_dir/artifacts/" "$work/corpus-packs" || status=1
    fi
    check_logs || status=1
    if ((status)); then
        echo "sanitizer stage: the fuzzer found a fault; reproducers in $fuzz_dir/artifacts" >&2
        exit 1
    fi
else
    echo "== Fuzzer skipped (no clang with libFuzzer, or ZELQUOR_FUZZ_SECONDS=0)"
fi

echo "sanitizer stage passed in $((SECONDS - start)) s"
