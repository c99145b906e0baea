#!/bin/bash
# Builds both distributions, with their tests: build/x86/dist (the PE32
# SETUP.EXE we ship) and build/x64/dist (the PE32+ build).
set -euo pipefail
cd "$(dirname "$0")/.."
for preset in x86 x64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$(nproc)"
done
