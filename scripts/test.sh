#!/usr/bin/env bash
# Installs what is missing, builds everything, runs the bounded fuzz targets, then the
# whole test suite under a virtual X display.
#   CASTORA_SANITIZE=1  build the tests with ASan+UBSan (separate build folder)
#   CASTORA_TSAN=1      build with ThreadSanitizer (separate build folder) and run the
#                       thread-heavy tests: the message layer, sockets and the FTP client
#   FUZZ_SECONDS=N      seconds per fuzz target (default 15; 0 skips fuzzing)
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

jobs=2
fuzz_seconds=${FUZZ_SECONDS:-15}

if [ "$fuzz_seconds" != "0" ]; then
  CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCASTORA_FUZZ=ON -DCASTORA_TESTS=OFF >/dev/null
  cmake --build build-fuzz -j"$jobs" --target fuzz_all
  for fuzzer in build-fuzz/fuzzers/fuzz_*; do
    [ -x "$fuzzer" ] || continue
    name=$(basename "$fuzzer")
    corpus=build-fuzz/corpus/$name
    mkdir -p "$corpus"
    seeds=fuzz/seeds/${name#fuzz_}
    [ -d "$seeds" ] || seeds=""
    echo "fuzz: $name for ${fuzz_seconds}s"
    "$fuzzer" -max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=0 \
      -artifact_prefix=build-fuzz/ \
      "$corpus" $seeds > "build-fuzz/$name.log" 2>&1 || { tail -50 "build-fuzz/$name.log"; exit 1; }
  done
fi

build=build
extra=()
if [ "${CASTORA_SANITIZE:-0}" = "1" ]; then
  build=build-asan
  extra+=(-DCASTORA_SANITIZE=ON)
  export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
fi
selection=()
if [ "${CASTORA_TSAN:-0}" = "1" ]; then
  build=build-tsan
  extra+=(-DCASTORA_TSAN=ON)
  export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/tests/tsan.supp"
  selection=(-R '^(platform_messages|ftp_)')
fi
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${extra[@]}" >/dev/null
if [ ${#selection[@]} -gt 0 ]; then
  # Only what the selected tests need.
  cmake --build "$build" -j"$jobs" --target platform_messages_test platform_messages_teardown_test \
    ftp_socket_tests ftp_protocol_tests ftp_data_connection_tests ftp_upload_tests ftp_cli_tests castora-ftp
else
  cmake --build "$build" -j"$jobs"
fi
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --test-dir "$build" --output-on-failure -j"$jobs" "${selection[@]}"
