#!/usr/bin/env bash
# The program against the simulated instrument: installs what is missing and
# builds; then, with a display, starts orvadw on its built-in simulated
# instrument, where every window of the menu can be tried. Without a display
# (or with --cli) it walks through the main job on the command line instead:
# starts orvadw-sim on a pseudo-terminal, identifies the instrument and polls
# its live block a few times with orvadw-cli, then stops the simulator.
# Everything it starts is stopped and removed on any exit.
#
#   bash scripts/demo.sh              # install, build, run
#   bash scripts/demo.sh --no-build   # run the programs already built
#                                     # (build/default/bin, or $ORVADW_BIN_DIR)
#   bash scripts/demo.sh --cli        # the command-line walkthrough anyway
set -euo pipefail
cd "$(dirname "$0")/.."

build=1
cli=0
for arg in "$@"; do
  case "$arg" in
    --no-build) build=0 ;;
    --cli) cli=1 ;;
    -h|--help) sed -n '2,13p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
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

if [ -n "${DISPLAY:-}" ] && [ "$cli" -eq 0 ]; then
  if [ ! -x "$bin/orvadw" ]; then
    echo "demo: $bin/orvadw is missing; run without --no-build" >&2
    exit 1
  fi
  heading "Starting orvadw on its built-in simulated instrument"
  # A program folder of its own, in English, removed at the end: the demo
  # leaves the configuration of the program folder as it was.
  mkdir -p "$work/home"
  printf '[Language]\nLanguage=1.000000\n' >"$work/home/default.OrvadW10"
  cat <<'TEXT'
The title ends with "(simulated instrument)". Try:
  Dialogue > Settings         read the parameters, change one, transfer it
  Dialogue > Measurement      live values and the chart; the disk button records
  Dialogue > Logger           the event logger, downloaded entry by entry
  Option > Frame Monitor      every frame on the line, live
  Option > Option             the language and the port
Close the window (or press Escape) to end the demo.
TEXT
  ORVADW_HOME="$work/home" "$bin/orvadw" --simulator
  exit 0
fi

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
cat <<'TEXT'
This was the command line. To see the windows, run the demo where a display
is available (a desktop session, or ssh -X), or start the program yourself:
  build/default/bin/orvadw --simulator
TEXT
