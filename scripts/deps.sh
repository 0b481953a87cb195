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
               clang libclang-rt-14-dev cppcheck libbenchmark-dev)
WINDOWS_PACKAGES=(g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev)
# The 32-bit benchmark build: multilib g++ and Debian's i386 libraries.
BENCH32_PACKAGES=(g++-multilib libbenchmark-dev:i386 libssl-dev:i386)
# The release zip: made with zip, normalised by strip-nondeterminism.
RELEASE_PACKAGES=(zip unzip strip-nondeterminism)
