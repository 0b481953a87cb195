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
# Those whose versions shape the release's bytes, which BUILDINFO.txt
# records: the compiler and its libgcc, binutils (linker, strip, windres),
# the headers and import libraries, zip, strip-nondeterminism and the
# library that does its work, and Python, which writes README.txt.
SHAPING_PACKAGES=(g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev
                  zip strip-nondeterminism libfile-stripnondeterminism-perl python3)

# shaping_versions: "  package version" for each of SHAPING_PACKAGES, as
# installed here.
shaping_versions() {
    local package
    for package in "${SHAPING_PACKAGES[@]}"; do
        printf '  %s %s\n' "$package" "$(dpkg-query -W -f='${Version}' "$package" 2>/dev/null || echo missing)"
    done
}

# debian_release: the Debian release and point release of this machine.
debian_release() {
    (. /etc/os-release && printf '%s, %s\n' "$PRETTY_NAME" "$(cat /etc/debian_version)")
}

# need_clang_runtime: installs the sanitizer and libFuzzer runtime of the
# clang that is installed, whatever its version: Debian ships it apart as
# libclang-rt-N-dev since LLVM 14. Where the release has no such package,
# clang-N's own libclang-common-N-dev holds the runtime, and nothing is
# missing.
need_clang_runtime() {
    local major package
    major=$(clang -dumpversion 2>/dev/null | cut -d. -f1)
    if [ -z "$major" ]; then
        echo "need_clang_runtime: clang is not installed" >&2
        return 1
    fi
    package=libclang-rt-$major-dev
    # Known to apt, after one update if the lists are stale.
    if ! apt-cache show "$package" >/dev/null 2>&1; then
        if [ "$(id -u)" -ne 0 ]; then sudo apt-get update -qq; else apt-get update -qq; fi
        apt-cache show "$package" >/dev/null 2>&1 || return 0
    fi
    need_packages "$package"
}
