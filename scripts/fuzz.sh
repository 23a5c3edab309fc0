#!/usr/bin/env bash
# Builds the fuzz targets with clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer in build/fuzz and runs each one for SECONDS
# (default 60), one after the other, at low priority. Each run starts from
# the seed corpus kept in fuzz/corpus/<target> and grows a working corpus in
# build/fuzz/corpus/<target>; inputs that break a target land in
# build/fuzz/artifacts/<target>/. Prints executions, coverage and findings
# per target; exits with 1 when anything was found.
#
#   bash scripts/fuzz.sh                     # every target, 60 s each
#   bash scripts/fuzz.sh 600 record_file     # one target for 10 minutes
#   bash scripts/fuzz.sh --build-only
#
# A finding, once fixed, is kept as a regression case: copy the artifact to
# fuzz/regressions/<target>/ (the unit test fuzz replays it every run).
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=60
build_only=0
targets=()
for arg in "$@"; do
  case "$arg" in
    --build-only) build_only=1 ;;
    -h|--help) sed -n '2,16p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    [0-9]*) seconds="$arg" ;;
    *) targets+=("$arg") ;;
  esac
done

all_targets=(jbus_exchange jbus_transaction record_file ini_file field_text_form modem_answer date_time)
if [ "${#targets[@]}" -eq 0 ]; then targets=("${all_targets[@]}"); fi
for t in "${targets[@]}"; do
  if [[ ! " ${all_targets[*]} " =~ " $t " ]]; then
    echo "fuzz: unknown target $t (targets: ${all_targets[*]})" >&2
    exit 2
  fi
done

# clang and its sanitizer and libFuzzer runtimes, when missing.
need=()
for p in clang libclang-rt-14-dev cmake ninja-build; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || need+=("$p")
done
if [ "${#need[@]}" -gt 0 ]; then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  echo "fuzz: installing ${need[*]}"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends \
    -o DPkg::Lock::Timeout=300 "${need[@]}"
fi

build=build/fuzz
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined"
flags+=" -fno-omit-frame-pointer"
cmake -S . -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DORVADW_BUILD_GUI=OFF -DORVADW_BUILD_TESTS=OFF -DORVADW_BUILD_FUZZERS=ON \
  -DCMAKE_CXX_FLAGS="$flags" >/dev/null
nice -n 10 cmake --build "$build" -j 2 --target $(printf 'fuzz_%s ' "${targets[@]}")
if [ "$build_only" -eq 1 ]; then exit 0; fi

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:symbolize=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
found=0
summary=()
for t in "${targets[@]}"; do
  work="$build/corpus/$t"
  artifacts="$build/artifacts/$t"
  log="$build/logs/$t.log"
  mkdir -p "$work" "$artifacts" "$(dirname "$log")"
  before=$(find "$artifacts" -type f | wc -l)
  echo "== $t: ${seconds} s (log: $log)"
  set +e
  nice -n 15 "$build/bin/fuzz_$t" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$artifacts/" "$work" "fuzz/corpus/$t" >"$log" 2>&1
  status=$?
  set -e
  after=$(find "$artifacts" -type f | wc -l)
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)
  new=$((after - before))
  if [ "$status" -ne 0 ] || [ "$new" -gt 0 ]; then found=1; fi
  line="$t: ${runs:-?} executions (${speed:-?}/s), coverage ${cov:-?}, findings ${new}, exit ${status}"
  summary+=("$line")
  echo "$line"
  if [ "$new" -gt 0 ]; then
    grep -m 3 -E 'ERROR: |fuzz check failed|runtime error' "$log" | sed 's/^/   /' || true
  fi
done

echo
echo "== summary (${seconds} s a target)"
printf '%s\n' "${summary[@]}"
exit "$found"
