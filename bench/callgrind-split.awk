# Sums the self cost (first event, instructions) of one callgrind output file by object file and,
# for the objects named in `own` (a regular expression), by the source directory under src/ of
# each function.
#   awk -v own='frame_bench$' -f callgrind-split.awk callgrind.out
# Prints "object <name> <cost>" and "source <dir> <cost>" lines; the caller formats them.
function name(kind, rest,    id, label) {
    # Compressed names: "(id) label" defines, "(id)" refers back.
    if (match(rest, /^\([0-9]+\)/)) {
        id = substr(rest, 2, RLENGTH - 2)
        label = substr(rest, RLENGTH + 1)
        sub(/^ /, "", label)
        if (label != "") {
            names[kind, id] = label
        }
        return names[kind, id]
    }
    return rest
}
/^ob=/ { object = name("ob", substr($0, 4)); next }
/^cob=/ { name("ob", substr($0, 5)); next }
# Costs count toward the file of their function (fl), also where inlined code (fi, fe) ran.
/^fl=/ { file = name("fl", substr($0, 4)); next }
/^f[ie]=/ { name("fl", substr($0, 4)); next }
/^cf[ile]=/ { name("fl", substr($0, 5)); next }
/^fn=/ { name("fn", substr($0, 4)); next }
/^cfn=/ { name("fn", substr($0, 5)); next }
/^calls=/ { skip = 1; next }
/^[0-9+*-]/ {
    if (skip) { skip = 0; next } # the inclusive cost of the call just named
    cost = $2 + 0
    objects[object] += cost
    if (object ~ own) {
        dir = "other" # bench/ and the libraries linked in statically
        if (match(file, /\/src\/[a-z]+\//)) {
            dir = substr(file, RSTART + 1, RLENGTH - 2)
        }
        sources[dir] += cost
    }
    next
}
END {
    for (o in objects) printf "object %s %d\n", o, objects[o]
    for (d in sources) printf "source %s %d\n", d, sources[d]
}
