#!/usr/bin/env bash
# Static analysis of the project's own code with cppcheck, and a check that
# the scripts the README names can run; fails on findings.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
need_packages cppcheck git

# Every script the README names runs as written there: executable in git.
for script in $(grep -o '`scripts/[A-Za-z0-9_.-]\+' README.md | tr -d '`' | sort -u); do
    mode=$(git ls-files -s "$script" | cut -d' ' -f1)
    if [ "$mode" != 100755 ]; then
        echo "$script is named in the README but is not executable in git (mode ${mode:-untracked})" >&2
        exit 1
    fi
done

# cppcheck 2.11 and later limit the branches they follow by default, and
# say so as information, which --error-exitcode counts; 2.10 knows no
# --check-level to lift the limit. Both calls run, whatever the first finds.
common=(--enable=warning,performance,portability,style --error-exitcode=1 --std=c++17 --inline-suppr --quiet
        --suppress=normalCheckLevelMaxBranches)
status=0
cppcheck "${common[@]}" -I cipher -I ui -I res --library=windows \
    -D_WIN32 -DWIN32_LEAN_AND_MEAN -DNOCRYPT cipher ui || status=1
# The host side once more, as the host compiler sees it.
cppcheck "${common[@]}" --suppress=constParameterCallback -I cipher cipher/blowfish.cpp cipher/blowfish_tables.cpp \
    cipher/crypt_text.cpp cipher/message_host.cpp cipher/mend.cpp tests/cipher/letters_host.cpp bench fuzz || status=1
if [ "$status" -ne 0 ]; then
    echo "cppcheck: findings above" >&2
    exit 1
fi
echo "cppcheck: no findings"
