#!/usr/bin/env bash
# Produces the demo workspace with the program itself: a bus coupler with terminals, a compact
# I/O module with start-up writes and mapped variables, and a drive.
# Usage: scripts/make-demo.sh [WORKSPACE]   (default data/demo)
set -euo pipefail
cd "$(dirname "$0")/.."
cli=${BUSMASON_CLI:-build/src/cli/busmason-cli}
workspace=${1:-data/demo}
project="$workspace/plant1/plant1.bsm"
rm -f "$project" "${project%.bsm}.pco"
"$cli" edit "$project" \
    add-node KM110.eds add-node KM1100.eds add-node KD240.eds \
    set baud Baud500k set cycle 20 \
    terminal 1 add "KM120 16DI" terminal 1 add "KM120 8DO" \
    terminal 1 add "KM130 4AI" terminal 1 add "KM130 4AO" \
    terminal 1 config 2 0 V terminal 1 config 2 1 TC_K terminal 1 config 3 3 -- \
    coupler-close 1 \
    param 2 1017 1F4 param 2 100C 64 param 2 100D 3 \
    map 2 6000.1 door_open map 2 6000.2 level_high map 2 6200.1 pump_on map 2 6200.2 lamp_red \
    param 3 6060 1 var 3 6041 drive_status var 3 6064 drive_position
