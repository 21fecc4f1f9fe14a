#!/usr/bin/env bash
# Builds the program and runs its main job on the bundled sample installation: checks the sample
# EDS library, makes the demo project in build/workspace from that library and builds its
# controller files.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default --target busmason-cli
cli=build/src/cli/busmason-cli
for eds in data/install/eds/*.eds; do
    "$cli" eds check "$eds" && echo "$eds: no findings"
done
BUSMASON_CLI=$cli scripts/make-demo.sh build/workspace
"$cli" build build/workspace/plant1/plant1.bsm
"$cli" project show build/workspace/plant1/plant1.bsm
