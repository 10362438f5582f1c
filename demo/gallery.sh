#!/usr/bin/env bash
# Writes the effect gallery. The demo project and the saver window are not wired
# into the program yet, so this only says so instead of pretending to run a show.
set -u
build=${1:-build/release}
echo "demo: the player and tools are built in $build; the effect gallery command"
echo "demo: is not written yet (see the README's Status section)."
exit 1
