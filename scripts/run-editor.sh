#!/usr/bin/env bash
# Sets up, builds and starts the editor (it needs a display; see README).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
exec ./build/zelquor-editor
