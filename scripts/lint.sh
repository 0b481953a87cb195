#!/usr/bin/env bash
# Static analysis of the project's own code with cppcheck; fails on findings.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
need_packages cppcheck
cppcheck --enable=warning,performance,portability,style --error-exitcode=1 --std=c++17 \
    --inline-suppr --quiet -I cipher -I ui -I res --library=windows \
    -D_WIN32 -DWIN32_LEAN_AND_MEAN -DNOCRYPT cipher ui
# The host side once more, as the host compiler sees it.
cppcheck --enable=warning,performance,portability,style --error-exitcode=1 --std=c++17 \
    --inline-suppr --quiet --suppress=constParameterCallback -I cipher cipher/blowfish.cpp cipher/blowfish_tables.cpp \
    cipher/crypt_text.cpp cipher/message_host.cpp bench fuzz
echo "cppcheck: no findings"
