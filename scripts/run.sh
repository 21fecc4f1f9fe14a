#!/usr/bin/env bash
# Builds the program (installing what the build needs) and starts it on the bundled sample
# installation, with a copy of the demo workspace (build/workspace) as its workspace and a
# settings file of its own (build/busmason-settings.ini), so the user's settings stay untouched
# and the demo project opens with one click on "Open project". Without a display it says so and
# runs the command-line tool on the demo instead.
# Usage: scripts/run.sh            (remove build/workspace to get a fresh demo project)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
scripts/setup.sh
cmake --preset default >/dev/null

display=1
[[ -n ${DISPLAY:-} || -n ${WAYLAND_DISPLAY:-} ]] || display=0
targets=(busmason-cli)
((display)) && targets+=(busmason)
cmake --build --preset default --target "${targets[@]}"

cli=build/src/cli/busmason-cli
project=build/workspace/plant1/plant1.bsm
if [[ ! -f $project ]]; then
    BUSMASON_CLI=$cli scripts/make-demo.sh build/workspace
    "$cli" build "$project" >/dev/null
fi

if ! ((display)); then
    echo "No display (DISPLAY and WAYLAND_DISPLAY are unset), so busmason cannot start; the command-line tool $cli works without one: here it is on the demo project."
    for eds in data/install/eds/*.eds; do
        "$cli" eds check "$eds" && echo "$eds: no findings"
    done
    "$cli" build "$project"
    "$cli" project show "$project"
    exit 0
fi

# The settings of this demo: the bundled installation, a library copy of its own and the demo
# workspace; the language and the window places the user chose in earlier runs stay.
settings=$root/build/busmason-settings.ini
library=build/eds-library
[[ -d $library ]] || cp -r data/install/eds "$library"
preset() { # NAME VALUE [only-when-absent]
    local name=$1 value=$2
    [[ -f $settings ]] || printf '[General]\n' >"$settings"
    if [[ -n ${3:-} ]] && grep -q "^$name=" "$settings"; then
        return
    fi
    value=${value//\\/\\\\}
    value=${value//\"/\\\"}
    LINE="$name=\"$value\"" NAME="$name" awk '
        BEGIN { line = ENVIRON["LINE"]; name = ENVIRON["NAME"] "=" }
        /^\[/ {
            if (general && !done) { print line; done = 1 }
            general = ($0 == "[General]"); if (general) seen = 1
            print; next
        }
        general && index($0, name) == 1 { if (!done) { print line; done = 1 } next }
        { print }
        END { if (!done) { if (!seen) print "[General]"; print line } }
    ' "$settings" >"$settings.new"
    mv "$settings.new" "$settings"
}
preset TEMPLATE "$root/data/install"
preset EDS "$root/$library/"
preset CAN "$root/build/src/app"
preset CANPRJDIR "$root/build/workspace/"
preset LANG 0 only-when-absent

BUSMASON_SETTINGS=$settings exec build/src/app/busmason "$root/$project"
