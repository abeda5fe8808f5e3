#!/bin/sh
# Runs lzdpack and gzip on the same files in one run and prints, per file and in total:
# compressed size against gzip -9, compress time against gzip -6, expand time against
# gzip -d. Times are the best of REPEAT runs (default 5) of the whole command, process
# start and file I/O included, as a user would see them.
#   compare.sh LZDPACK DIR [REPEAT]     (DIR from make_fileset.sh)
set -eu
lzd=${1:?usage: compare.sh LZDPACK DIR [REPEAT]}
dir=${2:?usage: compare.sh LZDPACK DIR [REPEAT]}
rep=${3:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# best TIME of a shell command over $rep runs, in milliseconds
best() {
    b=
    i=0
    while [ $i -lt "$rep" ]; do
        t0=$(date +%s%N); sh -c "$1"; t1=$(date +%s%N)
        t=$(( (t1 - t0) / 1000 ))
        if [ -z "$b" ] || [ $t -lt $b ]; then b=$t; fi
        i=$((i + 1))
    done
    echo "$b"
}

printf '%-12s %9s %9s %9s %6s | %8s %8s %5s | %8s %8s %5s\n' file bytes lzd gzip-9 ratio \
    "lzd-c" "gzip-6" "x" "lzd-x" "gzip-d" "x"
tot_in=0; tot_l=0; tot_g=0; tot_lc=0; tot_gc=0; tot_lx=0; tot_gx=0
for f in "$dir"/*; do
    n=$(basename "$f")
    "$lzd" compress "$f" "$work/$n.lzd"
    "$lzd" expand "$work/$n.lzd" "$work/$n.back"
    cmp -s "$f" "$work/$n.back" || { echo "compare.sh: $n does not round-trip" >&2; exit 1; }
    gzip -9 -c "$f" > "$work/$n.gz"
    in=$(stat -c %s "$f"); l=$(stat -c %s "$work/$n.lzd"); g=$(stat -c %s "$work/$n.gz")
    lc=$(best "'$lzd' compress '$f' '$work/c.out'")
    gc=$(best "gzip -6 -c '$f' > '$work/c.gz'")
    lx=$(best "'$lzd' expand '$work/$n.lzd' '$work/x.out'")
    gx=$(best "gzip -d -c '$work/$n.gz' > '$work/x.out'")
    printf '%-12s %9d %9d %9d %6s | %6.1fms %6.1fms %5s | %6.1fms %6.1fms %5s\n' "$n" "$in" "$l" "$g" \
        "$(echo "scale=3; $l / $g" | bc)" "$(echo "scale=1; $lc / 1000" | bc)" "$(echo "scale=1; $gc / 1000" | bc)" \
        "$(echo "scale=2; $lc / $gc" | bc)" "$(echo "scale=1; $lx / 1000" | bc)" "$(echo "scale=1; $gx / 1000" | bc)" \
        "$(echo "scale=2; $lx / $gx" | bc)"
    tot_in=$((tot_in + in)); tot_l=$((tot_l + l)); tot_g=$((tot_g + g))
    tot_lc=$((tot_lc + lc)); tot_gc=$((tot_gc + gc)); tot_lx=$((tot_lx + lx)); tot_gx=$((tot_gx + gx))
done
printf '%-12s %9d %9d %9d %6s | %6.1fms %6.1fms %5s | %6.1fms %6.1fms %5s\n' total "$tot_in" "$tot_l" "$tot_g" \
    "$(echo "scale=3; $tot_l / $tot_g" | bc)" "$(echo "scale=1; $tot_lc / 1000" | bc)" "$(echo "scale=1; $tot_gc / 1000" | bc)" \
    "$(echo "scale=2; $tot_lc / $tot_gc" | bc)" "$(echo "scale=1; $tot_lx / 1000" | bc)" "$(echo "scale=1; $tot_gx / 1000" | bc)" \
    "$(echo "scale=2; $tot_lx / $tot_gx" | bc)"
