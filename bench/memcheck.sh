#!/usr/bin/env bash
# Runs the real demo (build/default/particles, from build/default where its DATA/ is) once under
# valgrind's memcheck on a private X screen (scripts/xsession.sh): SECONDS seconds of frames once
# its window is up, then Escape, so that the whole tear-down runs under the checker too.
#
#   bench/memcheck.sh [SECONDS]      (default 10)
#
# The full valgrind log goes to build/memcheck.log. Frames of our own code are shown with paths
# relative to the source tree (src/...), everything else by library.
#
# Passes when the program ends on Escape with exit code 0 and valgrind reports
# - no invalid read or write at all, once bench/memcheck.supp is applied: that file suppresses
#   only reports of the OpenGL driver, SDL and X11 whose every frame lies outside our code, and
# - no error of any other kind (uninitialised values, bad frees, overlaps, ...) and no definite
#   leak with a frame in src/.
# Errors of other kinds entirely inside the libraries are counted and shown, but do not fail.
# Mesa runs in software (llvmpipe) and everything is about fifty times slower under valgrind:
# start-up alone takes a while, and a few seconds give only a few frames.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD

seconds=${1:-10}
case "$seconds" in
    '' | *[!0-9]*) echo "memcheck: SECONDS must be a whole number" >&2; exit 2 ;;
esac
log=$root/build/memcheck.log
supp=$root/bench/memcheck.supp

say() { echo "memcheck: $*"; }

. scripts/xsession.sh
xsession_build test || exit 1
xsession_start || exit 1
work=$xsession_dir

say "starting under valgrind (log: $log)"
PARTICLES_DIALOGS=stderr xsession_launch build/default valgrind --tool=memcheck \
    --log-file="$log" --num-callers=30 --fullpath-after="$root/" --suppressions="$supp" \
    --gen-suppressions=all --leak-check=full --show-leak-kinds=definite \
    --errors-for-leak-kinds=definite ./particles >/dev/null 2>"$work/stderr"

failed=0
fail() { say "FAILED: $*"; failed=1; }

if ! xsession_window 300; then
    fail "no window"
else
    say "window $window is up; $seconds s of frames"
    sleep "$seconds"
    if xsession_alive; then
        xsession_key Escape
    else
        fail "the program ended on its own"
    fi
fi
# Frames and the tear-down are slow under valgrind; the leak search at the end takes a while too.
xsession_end 300 || fail "the program did not end within 300 s of Escape"
[ "$status" -eq 0 ] || fail "exit code $status, expected 0"
if xsession_reported "$work/stderr" >/dev/null; then
    fail "the program reported:"
    sed 's/^/    | /' "$work/stderr"
fi

# Each report in the log is a block of "==PID== " lines from its title to an empty line. A report
# is ours when, in its stack or in the stack that allocated the block it names, the innermost
# frame that is not an allocator, a string routine of valgrind's or a standard-library template
# is in src/: a library that reads past a buffer we handed it counts as our fault, a library
# called from our code that trips over its own memory does not.
awk '
    { sub(/^==[0-9]+== ?/, "") }
    /^(Invalid|Conditional|Use of uninit|Syscall param|Mismatched|Source and dest|Argument|.*are definitely lost)/ {
        kind = $0; ours = 0; inblock = 1; deciding = 1; next
    }
    !inblock { next }
    /^$/ {
        inblock = 0
        type = kind ~ /^Invalid (read|write)/ ? "invalid-rw" : "other"
        print type, ours, kind
        next
    }
    # A new stack begins: where the block was allocated or freed, or the origin of a value.
    /^ (Address|Block was|Uninitialised value was created)/ { deciding = 1; next }
    deciding && /^ +(at|by) 0x/ {
        if ($0 ~ /\(in \/usr\/libexec\/valgrind\/|vg_replace_|: (malloc|calloc|realloc|free|memalign|posix_memalign|operator new|operator delete|std::|__gnu_cxx::)/)
            next
        if ($0 ~ /\(src\//) ours = 1
        deciding = 0
    }
' "$log" >"$work/reports"

invalid=$(awk '$1 == "invalid-rw"' "$work/reports" | wc -l)
ours=$(awk '$2 == 1' "$work/reports" | wc -l)
other=$(awk '$1 == "other" && $2 == 0' "$work/reports" | wc -l)
say "$(grep -E 'ERROR SUMMARY' "$log" | tail -n1 | sed 's/^==[0-9]*== //')"
say "leaks: $(grep -E 'definitely lost:' "$log" | tail -n1 | sed 's/^==[0-9]*== *//')"
say "unsuppressed invalid reads/writes: $invalid; reports with a frame in src/: $ours;" \
    "other reports inside the libraries only: $other"
if [ "$other" -gt 0 ]; then
    say "library-only reports (not ours, not failing):"
    awk '$1 == "other" && $2 == 0 { $1 = ""; $2 = ""; print "   " $0 }' "$work/reports" |
        sort | uniq -c
fi
[ "$invalid" -eq 0 ] || fail "$invalid invalid reads or writes (see $log)"
[ "$ours" -eq 0 ] || fail "$ours reports with a frame in our code (see $log)"

[ "$failed" -eq 0 ] && say "passed"
exit "$failed"
