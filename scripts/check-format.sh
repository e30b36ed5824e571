#!/usr/bin/env bash
# Fails when a tracked C++ source differs from the project's .clang-format.
set -euo pipefail
# clang-format comes with scripts/install-ci-deps.sh.
cd "$(dirname "$0")/.."
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror
