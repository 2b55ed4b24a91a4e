# Shared by the checker scripts in this folder. Each script is run by ctest as
#   bash SCRIPT WRITE_FILES WORKDIR
# where WRITE_FILES is the test program that writes sample.sna, sample128.sna
# and sample.tap from the default image. Exit status: 0 pass, 1 fail,
# 77 skipped (a checker is not installed).

set -u

SKIP=77
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

pass() {
    echo "ok: $*"
}

need() {
    local tool
    for tool in "$@"; do
        if ! command -v "$tool" >/dev/null 2>&1; then
            echo "SKIP: $tool is not installed"
            exit "$SKIP"
        fi
    done
}

finish() {
    if [ "$failures" -ne 0 ]; then
        echo "$failures check(s) failed"
        exit 1
    fi
    echo "all checks passed"
    exit 0
}

# Unsigned bytes of FILE from OFFSET, COUNT of them, separated by spaces.
bytes_at() {
    od -A n -v -t u1 -j "$2" -N "$3" "$1" | tr -s ' \n' '  ' | sed 's/^ //; s/ $//'
}

# Little-endian word at OFFSET of FILE.
word_at() {
    local b
    read -r -a b <<<"$(bytes_at "$1" "$2" 2)"
    echo $((b[0] + 256 * b[1]))
}

# Sets up WORKDIR and writes the sample files into it.
prepare() {
    if [ $# -lt 2 ]; then
        echo "usage: $0 WRITE_FILES WORKDIR"
        exit 2
    fi
    WRITE_FILES=$1
    WORK=$2
    rm -rf "$WORK"
    mkdir -p "$WORK"
    if ! "$WRITE_FILES" "$WORK"; then
        echo "FAIL: $WRITE_FILES could not write the sample files"
        exit 1
    fi
}
