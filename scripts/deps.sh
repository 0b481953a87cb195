# Installs Debian packages that are missing; sourced by the other scripts.

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# apt_update: apt-get update once a run, tried up to three times a pause
# apart (CORVANE_APT_PAUSE seconds, 20 unless set): a mirror in the middle
# of a sync serves lists that do not match their index for a while. Fails
# if lists could still not be fetched, naming them in APT_FAILED_LISTS.
APT_UPDATED=
APT_FAILED_LISTS=()
apt_update() {
    case $APT_UPDATED in
    yes) return 0 ;;
    failed) return 1 ;;
    esac
    local try log
    log=$(mktemp)
    for try in 1 2 3; do
        if as_root apt-get update -qq >"$log" 2>&1; then
            APT_UPDATED=yes
            APT_FAILED_LISTS=()
            rm -f "$log"
            return 0
        fi
        mapfile -t APT_FAILED_LISTS < <(sed -n 's/^E: Failed to fetch \([^ ]*\).*/\1/p' "$log")
        if [ "$try" -lt 3 ]; then
            echo "apt-get update failed (try $try of 3); trying again in ${CORVANE_APT_PAUSE:-20} s."
            sleep "${CORVANE_APT_PAUSE:-20}"
        fi
    done
    cat "$log"
    rm -f "$log"
    APT_UPDATED=failed
    echo "apt-get update failed 3 times; going on with the package lists this machine has."
    return 1
}

apt_install() {
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$@"
}

# need_packages PKG...: installs those not yet installed (root or sudo).
# Where lists could not be fetched, an install that fails is tried once
# more with the release's own packages alone (the lists that fail are most
# often those of its updates, and a library's i386 and amd64 versions must
# come from the same list); if that fails too, it says what to do.
need_packages() {
    local missing=() pkg
    for pkg in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$pkg")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0

    echo "Installing: ${missing[*]}"
    # wine32 and its libraries come from the i386 architecture.
    if printf '%s\n' "${missing[@]}" | grep -q ':i386$\|^wine32$'; then
        if ! dpkg --print-foreign-architectures | grep -qx i386; then
            as_root dpkg --add-architecture i386
            APT_UPDATED=
        fi
    fi
    apt_update && { apt_install "${missing[@]}"; return; }
    apt_install "${missing[@]}" && return 0
    local release
    release=$(. /etc/os-release 2>/dev/null && echo "${VERSION_CODENAME:-}")
    if [ -n "$release" ]; then
        echo "Trying again with the packages of $release alone, without the updates whose lists could not be fetched."
        apt_install -t "$release" "${missing[@]}" && return 0
    fi
    echo "Could not install: ${missing[*]}."
    echo "apt-get update could not fetch these package lists:"
    printf '  %s\n' "${APT_FAILED_LISTS[@]:-(apt named none)}"
    echo "The usual cause is a mirror that is being updated (apt asks \"Mirror sync in progress?\"), which can take an"
    echo "hour or more. Run the command again later, or use another Debian mirror (the URIs in"
    echo "/etc/apt/sources.list.d/*.sources or /etc/apt/sources.list)."
    return 1
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
    apt-cache show "$package" >/dev/null 2>&1 || apt_update || true
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
