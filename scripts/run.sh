#!/usr/bin/env bash
# Builds Corvex.exe and starts it under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
echo "Corvex.exe is not built yet: the Windows program comes next."
echo "For now, scripts/test.sh builds and tests the cipher engine."
exit 1
