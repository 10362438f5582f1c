#!/usr/bin/env bash
# Makes the demo saver and runs it. The demo project and the saver window are not wired
# into the program yet, so this only says so instead of pretending to run a show.
set -u
build=${1:-build/release}
echo "demo: the player and tools are built in $build; the demo project and the full-screen"
echo "demo: show are not connected yet (see the README's Status section)."
exit 1
