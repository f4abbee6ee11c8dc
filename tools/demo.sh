#!/usr/bin/env bash
# The demonstration: starts whatever the build already offers, newest first.
set -euo pipefail
cd "$(dirname "$0")/../build"
if [ -x bin/vantrel-core-demo ]; then exec bin/vantrel-core-demo; fi
echo "No demonstration program is built yet; running the core tests instead."
exec bin/vantrel_core_tests --gtest_brief=1
