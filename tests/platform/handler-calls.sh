#!/usr/bin/env bash
# The layer's signal handlers make only async-signal-safe calls: walks the machine code of the
# program from each handler, through every function of the program it calls or jumps to, and
# fails on a call into a library function outside the list below (Xlib, SDL, stdio, malloc...)
# or on an indirect call, whose target cannot be checked.
#
#   handler-calls.sh PROGRAM
set -uo pipefail
program=${1:?usage: handler-calls.sh PROGRAM}
command -v objdump >/dev/null || { echo "handler-calls: objdump is missing; skipped"; exit 77; }
handlers=("(anonymous namespace)::OnFatalSignal(int)" "(anonymous namespace)::OnQuitSignal(int)")
# Async-signal-safe by POSIX (errno's address and the stack protector's end besides).
safe=(sigaction sigemptyset raise close write read waitpid nanosleep clock_gettime _exit
    __errno_location __stack_chk_fail)

listing=$(mktemp)
trap 'rm -f "$listing"' EXIT
objdump -d -C --no-show-raw-insn "$program" >"$listing" || exit 1

# The targets of the calls and jumps out of function $1, one a line; "*" for an indirect call.
targets() {
    awk -v head="<$1>:" '
        index($0, head) && $0 ~ /^[0-9a-f]+ </ { inside = 1; next }
        inside && /^$/ { exit }
        inside && /\t(call|jmp) +\*/ { print "*" }
        inside && match($0, /\t(call|jmp) +[0-9a-f]+ <.*>$/) {
            t = substr($0, RSTART, RLENGTH); sub(/^[^<]*</, "", t); sub(/>$/, "", t)
            if (t !~ /\+0x[0-9a-f]+$/) print t
        }' "$listing" | sort -u
}

failed=0
seen=" "
queue=("${handlers[@]}")
for handler in "${handlers[@]}"; do
    grep -qF "<$handler>:" "$listing" ||
        { echo "handler-calls: FAILED: no $handler in $program"; failed=1; }
done
while [ ${#queue[@]} -gt 0 ]; do
    fn=${queue[0]}
    queue=("${queue[@]:1}")
    while IFS= read -r target; do
        [ -n "$target" ] || continue
        case "$target" in
            "*") echo "handler-calls: FAILED: $fn makes an indirect call"; failed=1 ;;
            *@plt)
                name=${target%@plt}
                if printf '%s\n' "${safe[@]}" | grep -qxF "$name"; then
                    echo "handler-calls: $fn -> $name"
                else
                    echo "handler-calls: FAILED: $fn calls $name, not async-signal-safe"
                    failed=1
                fi ;;
            "$fn") ;;
            *)
                case "$seen" in *"|$target|"*) continue ;; esac
                seen="$seen|$target|"
                echo "handler-calls: $fn -> $target"
                queue+=("$target") ;;
        esac
    done < <(targets "$fn")
done
[ "$failed" -eq 0 ] && echo "handler-calls: passed"
exit "$failed"
