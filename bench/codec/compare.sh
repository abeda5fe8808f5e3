#!/usr/bin/env bash
# lzdpack against gzip and xz on the same files, in one run.
#
#   compare.sh LZDPACK DIR [ROUNDS]     (DIR from make_fileset.sh)
#
# Per file: the packed sizes (lzdpack, gzip -9, xz -6) and their ratios; the CPU time
# (user + system, whole process: start, file I/O and all) of compressing (lzdpack
# against gzip -6 and xz -6) and of expanding (lzdpack expand against gzip -d and
# xz -d), each the median of ROUNDS rounds (default 5) of enough back-to-back runs to
# take some 100 ms, divided by the runs. (File names with spaces are not supported.) Then the totals for the executables (exe-*,
# lib-*) and the texts (text-*), whose expand ratios are the codec's goals (at most
# 2.0 x gzip -d). Every stream is checked to expand to its file first.
#
# CPU time, not the wall clock, so that a busy machine disturbs the figures less; the
# load average is printed with them. lzdpack compress runs its match search on a second
# thread, so its CPU time counts both.
set -euo pipefail
lzd=${1:?usage: compare.sh LZDPACK DIR [ROUNDS]}
dir=${2:?usage: compare.sh LZDPACK DIR [ROUNDS]}
rounds=${3:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# cpu_ms RUNS CMD...: CPU milliseconds of running CMD RUNS times (stdout discarded).
cpu_ms() {
    local runs=$1 TIMEFORMAT='%3U %3S' t
    shift
    t=$( { time { for ((k = 0; k < runs; k++)); do "$@" > /dev/null; done; }; } 2>&1 )
    awk -v t="$t" 'BEGIN { split(t, a, " "); printf "%.3f", (a[1] + a[2]) * 1000 }'
}

# runs_for CMD...: how many back-to-back runs take some 100 ms.
runs_for() {
    awk -v o="$(cpu_ms 1 "$@")" 'BEGIN { n = int(100 / (o > 1 ? o : 1)); print n < 1 ? 1 : n }'
}

# median VALUES...: the middle value.
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { printf "%.3f", v[int((NR + 1) / 2)] }'; }

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }

echo "lzdpack against gzip and xz; CPU ms per run, median of $rounds rounds; load: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-11s %9s | %8s %5s %5s | %7s %6s %6s %5s %5s | %7s %6s %6s %5s %5s\n' file bytes lzd /gz-9 /xz \
    lzd-c gz-6 xz-6 /gz /xz lzd-x gz-d xz-d /gz /xz
declare -A sum
for f in "$dir"/*; do
    n=$(basename "$f")
    case $n in exe-* | lib-*) kind=exe ;; *) kind=text ;; esac
    "$lzd" compress "$f" "$work/$n.lzd"
    "$lzd" expand "$work/$n.lzd" "$work/$n.back"
    cmp -s "$f" "$work/$n.back" || { echo "compare.sh: $n does not round-trip" >&2; exit 1; }
    gzip -9 -c "$f" > "$work/$n.gz"
    xz -6 -c "$f" > "$work/$n.xz"
    in=$(stat -c %s "$f"); l=$(stat -c %s "$work/$n.lzd"); g=$(stat -c %s "$work/$n.gz"); x=$(stat -c %s "$work/$n.xz")
    # The six commands take turns within each round, so that a machine whose speed
    # drifts (other load, a virtual CPU's clock) affects them alike.
    cmds=("$lzd compress $f $work/c.out" "gzip -6 -c $f" "xz -6 -c $f"
          "$lzd expand $work/$n.lzd $work/x.out" "gzip -d -c $work/$n.gz" "xz -d -c $work/$n.xz")
    runs=(); for c in "${cmds[@]}"; do runs+=("$(runs_for $c)"); done
    vals=("" "" "" "" "" "")
    for ((r = 0; r < rounds; r++)); do
        for i in 0 1 2 3 4 5; do
            vals[$i]+=" $(awk -v t="$(cpu_ms "${runs[$i]}" ${cmds[$i]})" -v n="${runs[$i]}" 'BEGIN { printf "%.3f", t / n }')"
        done
    done
    lc=$(median ${vals[0]}); gc=$(median ${vals[1]}); xc=$(median ${vals[2]})
    lx=$(median ${vals[3]}); gx=$(median ${vals[4]}); xx=$(median ${vals[5]})
    printf '%-11s %9d | %8d %5s %5s | %7.2f %6.2f %6.2f %5s %5s | %7.2f %6.2f %6.2f %5s %5s\n' "$n" "$in" "$l" \
        "$(ratio "$l" "$g")" "$(ratio "$l" "$x")" "$lc" "$gc" "$xc" "$(ratio "$lc" "$gc")" "$(ratio "$lc" "$xc")" \
        "$lx" "$gx" "$xx" "$(ratio "$lx" "$gx")" "$(ratio "$lx" "$xx")"
    for k in "$kind" all; do
        for v in in l g x lc gc xc lx gx xx; do
            sum[$k.$v]=$(awk -v a="${sum[$k.$v]:-0}" -v b="${!v}" 'BEGIN { printf "%.3f", a + b }')
        done
    done
done
for k in exe text all; do
    [ -n "${sum[$k.in]:-}" ] || continue
    printf '%-11s %9d | %8d %5s %5s | %7.2f %6.2f %6.2f %5s %5s | %7.2f %6.2f %6.2f %5s %5s\n' "total $k" \
        "${sum[$k.in]%.*}" "${sum[$k.l]%.*}" "$(ratio "${sum[$k.l]}" "${sum[$k.g]}")" "$(ratio "${sum[$k.l]}" "${sum[$k.x]}")" \
        "${sum[$k.lc]}" "${sum[$k.gc]}" "${sum[$k.xc]}" "$(ratio "${sum[$k.lc]}" "${sum[$k.gc]}")" "$(ratio "${sum[$k.lc]}" "${sum[$k.xc]}")" \
        "${sum[$k.lx]}" "${sum[$k.gx]}" "${sum[$k.xx]}" "$(ratio "${sum[$k.lx]}" "${sum[$k.gx]}")" "$(ratio "${sum[$k.lx]}" "${sum[$k.xx]}")"
done
echo "goal: expand at most 2.0 x gzip -d for the executables and for the texts (columns lzd-x /gz)"
