#!/usr/bin/env bash
# The demo: sets everything up, builds both trees, packages the installer with the demo payload
# (dist/tarvik_installer.exe and dist/tarvik_unzip.dll), makes a demo Wine prefix with both
# simulators and Tarvik folders of every version (build/demo/prefix), and runs the installer in
# it. With a working $DISPLAY the window opens there and you press the button yourself;
# otherwise it runs under a virtual X display and the demo presses Enter. Screenshots of the
# window before and during the run and of the final message go to screenshots/demo/; the demo
# then tells which folders were updated and how long the update took.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

bash scripts/setup.sh
bash scripts/build.sh all
bash scripts/package.sh

prefix=$PWD/build/demo/prefix
if [[ -d $prefix ]]; then
  echo "demo: replacing the demo prefix $prefix"
  WINEPREFIX=$prefix "$TARVIK_SCRIPTS/wine-run" --server -k 2>/dev/null || true
  rm -rf "$prefix"
fi
bash scripts/make-demo-prefix.sh "$prefix" --obsolete-files --read-only
bash tests/end_to_end/enrich-prefix.sh "$prefix"
WINEPREFIX=$prefix "$TARVIK_SCRIPTS/wine-run" --server -k 2>/dev/null || true

python3 tests/end_to_end/end_to_end.py demo --prefix "$prefix" --dist dist
