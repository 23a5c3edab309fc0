#!/usr/bin/env bash
# The whole test suite on a fresh machine: installs what is missing, builds,
# then runs every label (unit, pty, gui, e2e). The e2e tests start their own
# X server through xvfb-run.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
cd build/default
# Tests run in a neutral locale; the locale tests switch on their own.
export LANG=C.UTF-8 LC_ALL=
xvfb-run -a -s "-screen 0 1280x1024x24" \
  ctest --output-on-failure --timeout 600 -j 2 "$@"
