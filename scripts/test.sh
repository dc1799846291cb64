#!/bin/bash
# Builds everything and runs the whole test suite under Wine.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

install_packages
build_all
cd "$build"
# Start from a new prefix, so that no earlier run's state counts.
rm -rf "$build/tests/wineprefix"
ctest --output-on-failure --timeout 300
