# Installs Debian packages that are missing; sourced by the other scripts.

# need_packages PKG...: installs those not yet installed (root or sudo).
need_packages() {
    local missing=() pkg
    for pkg in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$pkg")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0

    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    echo "Installing: ${missing[*]}"
    # wine32 and its libraries come from the i386 architecture.
    if printf '%s\n' "${missing[@]}" | grep -q ':i386$\|^wine32$'; then
        if ! dpkg --print-foreign-architectures | grep -qx i386; then
            "${sudo[@]}" dpkg --add-architecture i386
        fi
    fi
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

HOST_PACKAGES=(cmake ninja-build g++ pkg-config libgtest-dev googletest libssl-dev python3-pefile git
               clang cppcheck libbenchmark-dev)
# The fuzz build: clang, with the runtime that need_clang_runtime adds.
FUZZ_PACKAGES=(clang libssl-dev)
WINDOWS_PACKAGES=(g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev)
# The 32-bit benchmark build: multilib g++ and Debian's i386 libraries.
BENCH32_PACKAGES=(g++-multilib libbenchmark-dev:i386 libssl-dev:i386)
# The release zip: made with zip, normalised by strip-nondeterminism.
RELEASE_PACKAGES=(zip unzip strip-nondeterminism)
# The tools that scripts/release.sh runs, by the absolute paths it runs
# them by (it runs with PATH=/usr/bin:/bin and nothing else of the
# builder's environment). BUILDINFO.txt names the file and package each
# one resolves to.
RELEASE_TOOLS=(/usr/bin/cmake /usr/bin/ninja /usr/bin/i686-w64-mingw32-g++-posix
               /usr/bin/i686-w64-mingw32-gcc-posix /usr/bin/i686-w64-mingw32-windres
               /usr/bin/python3 /usr/bin/sed /usr/bin/zip /usr/bin/strip-nondeterminism)
# Those whose versions shape the release's bytes, which BUILDINFO.txt
# records: besides the tools' own packages, the compiler's libgcc,
# binutils (linker, strip, windres), the headers and import libraries and
# the headers they link to, the library that does strip-nondeterminism's
# work and the one with which it rewrites the zip.
SHAPING_PACKAGES=(g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev
                  mingw-w64-common zip strip-nondeterminism libfile-stripnondeterminism-perl
                  libarchive-zip-perl cmake ninja-build)

# tool_file PATH: the file PATH resolves to; tool_package PATH: the
# package that installed it (Debian installs some under /bin, which
# /usr/bin is a link to).
tool_file() {
    readlink -f "$1"
}
tool_package() {
    local file
    file=$(tool_file "$1")
    { dpkg -S "$file" 2>/dev/null || dpkg -S "/bin/${file##*/}" 2>/dev/null; } | head -1 | cut -d: -f1
}

# shaping_tools: "  path file package" for each of RELEASE_TOOLS, as here.
shaping_tools() {
    local tool
    for tool in "${RELEASE_TOOLS[@]}"; do
        printf '  %s %s %s\n' "$tool" "$(tool_file "$tool")" "$(tool_package "$tool")"
    done
}

# shaping_versions: "  package version" for SHAPING_PACKAGES and the
# tools' packages, each once, sorted, as installed here.
shaping_versions() {
    local package tool
    {
        printf '%s\n' "${SHAPING_PACKAGES[@]}"
        for tool in "${RELEASE_TOOLS[@]}"; do tool_package "$tool"; done
    } | LC_ALL=C sort -u | while read -r package; do
        [ -n "$package" ] || continue
        printf '  %s %s\n' "$package" "$(dpkg-query -W -f='${Version}' "$package" 2>/dev/null || echo missing)"
    done
}

# system_release: the operating system, with Debian's point release on
# Debian alone (elsewhere /etc/debian_version names what it derives from).
system_release() {
    (
        . /etc/os-release
        if [ "${ID:-}" = debian ]; then
            printf '%s, %s\n' "$PRETTY_NAME" "$(cat /etc/debian_version)"
        else
            printf '%s\n' "$PRETTY_NAME"
        fi
    )
}

# need_clang_runtime: installs the sanitizer and libFuzzer runtime of the
# clang that is installed, whatever its version: Debian ships it apart as
# libclang-rt-N-dev since LLVM 14. Where the release has no such package,
# clang-N's own libclang-common-N-dev holds the runtime. Either way, fails
# unless clang then finds libFuzzer, naming what is missing.
need_clang_runtime() {
    local major package
    major=$(clang -dumpversion 2>/dev/null | cut -d. -f1)
    if [ -z "$major" ]; then
        echo "need_clang_runtime: clang is not installed" >&2
        return 1
    fi
    package=libclang-rt-$major-dev
    # Known to apt, after one update if the lists are stale.
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    if ! apt-cache show "$package" >/dev/null 2>&1 && ! "${sudo[@]}" apt-get update -qq; then
        echo "need_clang_runtime: apt-get update failed" >&2
        return 1
    fi
    if apt-cache show "$package" >/dev/null 2>&1; then
        need_packages "$package" || return 1
    fi
    local fuzzer
    fuzzer=$(clang -print-file-name="libclang_rt.fuzzer-$(uname -m).a" 2>/dev/null)
    if [ ! -f "$fuzzer" ]; then
        fuzzer=$(clang -print-runtime-dir 2>/dev/null)/libclang_rt.fuzzer-$(uname -m).a
    fi
    if [ ! -f "$fuzzer" ]; then
        echo "need_clang_runtime: clang $major has no libFuzzer runtime (libclang_rt.fuzzer-$(uname -m).a);" \
             "install $package, or libclang-common-$major-dev where the release has no $package" >&2
        return 1
    fi
}

# need_cmake: the project needs CMake 3.25 or later (its presets are of
# version 6); an older one stops here rather than in a confusing error.
need_cmake() {
    local have
    have=$(cmake --version 2>/dev/null | sed -n 's/^cmake version \([0-9.]*\).*/\1/p')
    if [ -z "$have" ] || [ "$(printf '%s\n' 3.25 "$have" | sort -V | head -1)" != 3.25 ]; then
        echo "This project needs CMake 3.25 or later; this machine has ${have:-none}." \
             "Debian 12 and later have it; on an older release, install a newer CMake first." >&2
        return 1
    fi
}
