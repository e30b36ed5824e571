#!/usr/bin/env bash
# What CI needs beyond the build's own packages: clang with its libFuzzer and
# sanitizer runtimes, and clang-format. Idempotent.
set -euo pipefail
cd "$(dirname "$0")/.."
exec scripts/install-deps.sh clang libclang-rt-dev clang-format
