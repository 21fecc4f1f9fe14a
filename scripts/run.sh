#!/usr/bin/env bash
# Builds the program and runs it on the bundled sample installation.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default --target busmason-cli
cli=build/src/cli/busmason-cli
for eds in data/install/eds/*.eds; do
    echo "== $eds"
    "$cli" eds check "$eds" && echo "no findings"
done
