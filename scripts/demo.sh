#!/usr/bin/env bash
# The main job against the simulated instrument: installs what is missing,
# builds, starts orvadw-sim on a pseudo-terminal, identifies the instrument
# and polls its live block a few times with orvadw-cli, then stops the
# simulator. Everything it starts is stopped and removed on any exit.
#
#   bash scripts/demo.sh              # install, build, run
#   bash scripts/demo.sh --no-build   # run the programs already built
#                                     # (build/default/bin, or $ORVADW_BIN_DIR)
set -euo pipefail
cd "$(dirname "$0")/.."

build=1
for arg in "$@"; do
  case "$arg" in
    --no-build) build=0 ;;
    -h|--help) sed -n '2,9p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "demo: unknown option $arg" >&2; exit 2 ;;
  esac
done

heading() { printf '\n== %s\n' "$*"; }

if [ "$build" -eq 1 ]; then
  heading "Installing what is missing"
  bash scripts/setup.sh
  heading "Building (build/default)"
  bash scripts/build.sh
fi
bin="${ORVADW_BIN_DIR:-$PWD/build/default/bin}"
for program in orvadw-sim orvadw-cli; do
  if [ ! -x "$bin/$program" ]; then
    echo "demo: $bin/$program is missing; run without --no-build" >&2
    exit 1
  fi
done

work="$(mktemp -d "${TMPDIR:-/tmp}/orvadw-demo-XXXXXX")"
sim_pid=""
cleanup() {
  local status=$?
  if [ -n "$sim_pid" ] && kill -0 "$sim_pid" 2>/dev/null; then
    kill -TERM "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
  fi
  exec 3<&- 2>/dev/null || true
  rm -rf "$work"
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

port="$work/ttyORVADW"
heading "Starting the simulated instrument"
# The simulator prints its terminal's path once it serves; a fifo lets us
# wait for that line without polling.
mkfifo "$work/sim.out"
"$bin/orvadw-sim" --link "$port" >"$work/sim.out" 2>"$work/sim.err" &
sim_pid=$!
exec 3<"$work/sim.out"
if ! read -r -t 10 -u 3 pty; then
  echo "demo: the simulator did not start:" >&2
  cat "$work/sim.err" >&2
  exit 1
fi
echo "orvadw-sim serves $pty, linked as $port"

heading "Identifying the instrument"
echo "\$ orvadw-cli --port $port identify"
"$bin/orvadw-cli" --port "$port" identify

heading "Polling the live block (0x100, 24 registers) every 500 ms, 5 times"
echo "\$ orvadw-cli --port $port poll 0x100 24 --period 500 --times 5"
"$bin/orvadw-cli" --port "$port" poll 0x100 24 --period 500 --times 5 | tee "$work/poll.txt"

heading "The last answer, decoded as the measurement window shows it"
last="$(grep -v '^$' "$work/poll.txt" | tail -n 1)"
echo "\$ orvadw-cli show --window measurement --block 0x100 <last answer>"
# shellcheck disable=SC2086  # the hex bytes are separate words on purpose
"$bin/orvadw-cli" show --window measurement --block 0x100 $last

heading "Stopping the simulator"
kill -TERM "$sim_pid"
wait "$sim_pid" || true
sim_pid=""
echo "what the simulator saw:"
sed 's/^/  /' "$work/sim.err"

heading "Done"
