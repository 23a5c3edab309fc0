#!/usr/bin/env bash
# The suite again under the sanitizers:
#   asan  AddressSanitizer + UndefinedBehaviorSanitizer, labels unit, pty, gui
#   tsan  ThreadSanitizer, the link's unit and pty tests
# `scripts/sanitize.sh` runs both; `scripts/sanitize.sh asan -R Poll` runs one
# with extra ctest arguments. Every sanitized process (the tests and the
# programs they start) writes its reports into build/<preset>/sanitizer-logs;
# any report there fails the run, so a finding in a child program counts too.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
# Builds of a clone elsewhere hit the compiler cache filled here: the
# cache keys hold the paths below the root and the locale variables.
export CCACHE_BASEDIR=$root CCACHE_NOHASHDIR=1 LANG=C.UTF-8
unset LC_ALL LC_CTYPE LC_MESSAGES
jobs=$(nproc)
((jobs > 2)) && jobs=2

presets=(asan tsan)
if (($# > 0)) && [[ $1 == asan || $1 == tsan ]]; then
  presets=("$1")
  shift
fi

run_preset() {
  local preset=$1
  shift
  local build=$root/build/$preset logs=$root/build/$preset/sanitizer-logs
  local start=$SECONDS
  cmake --preset "$preset" >/dev/null
  if [[ $preset == tsan ]]; then
    # Only what the link's tests run: their programs and the simulator.
    cmake --build --preset "$preset" -j "$jobs" --target test_link_unit test_link_pty orvadw-sim
  else
    cmake --build --preset "$preset" -j "$jobs"
  fi
  local built=$SECONDS
  rm -rf "$logs"
  mkdir -p "$logs"
  local supp=$root/scripts/sanitizers
  local common="halt_on_error=1:print_stacktrace=1:log_path=$logs/report"
  export ASAN_OPTIONS="$common:detect_leaks=1"
  export LSAN_OPTIONS="suppressions=$supp/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS="$common"
  export TSAN_OPTIONS="$common:second_deadlock_stack=1:suppressions=$supp/tsan.supp"
  local status=0
  local labels='^(unit|pty|gui)$'
  [[ $preset == tsan ]] && labels='^(unit|pty)$'
  # Tests run in a neutral locale; the locale tests switch on their own.
  (cd "$build" && LC_ALL= ctest --output-on-failure --timeout 600 -j "$jobs" -L "$labels" "$@") || status=$?
  if compgen -G "$logs/report*" >/dev/null; then
    echo "sanitize.sh: $preset: sanitizer reports:" >&2
    cat "$logs"/report* >&2
    status=1
  fi
  echo "sanitize.sh: $preset: build $((built - start)) s, tests $((SECONDS - built)) s"
  return $status
}

for preset in "${presets[@]}"; do
  run_preset "$preset" "$@"
done
