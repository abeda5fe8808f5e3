#!/bin/sh
# Extracting one 200 MB entry with lzdpack, beside tar -xzf of the same file (and, with
# XZ=1, tar -xJf), in one run: wall time, CPU time (user + system, tar's gzip or xz
# included) and peak memory, each the median of RUNS runs (default 3), measured with
# /usr/bin/time. The goal is at most 2 x tar -xzf, with memory flat in the entry size.
#   extract_200mb.sh LZDPACK WORKDIR
set -eu
LZDPACK=$1
WORK=$2
RUNS=${RUNS:-3}
rm -rf "$WORK"
mkdir -p "$WORK/src" "$WORK/out" "$WORK/machine"
export PALLIMER_ROOT="$WORK/machine"

# 200 MB of mixed content: text-like runs and random blocks.
python3 - "$WORK/src/big.bin" <<'PY'
import os, random, sys
random.seed(7)
words = [b"archive ", b"entry ", b"stream ", b"offset ", b"header ", b"Tessaly ", b"\r\n"]
target = 200 * 1024 * 1024
with open(sys.argv[1], "wb") as f:
    done = 0
    while done < target:
        chunk = bytearray()
        while len(chunk) < 1 << 20:
            if random.random() < 0.2:
                chunk += os.urandom(16)
            else:
                chunk += random.choice(words)
        chunk = bytes(chunk[: min(len(chunk), target - done)])
        f.write(chunk)
        done += len(chunk)
PY

"$LZDPACK" create "$WORK/big.lzd" "$WORK/src/big.bin"
tar -czf "$WORK/big.tar.gz" -C "$WORK/src" big.bin
if [ "${XZ:-0}" = 1 ]; then tar -cJf "$WORK/big.tar.xz" -C "$WORK/src" big.bin; fi

# measure LABEL COMMAND...: "wall cpu rss" (seconds, seconds, KB), medians of RUNS runs;
# the output folder is emptied before each run and checked after.
measure() {
    label=$1
    shift
    i=0
    : > "$WORK/$label.runs"
    while [ $i -lt "$RUNS" ]; do
        rm -rf "$WORK/out" && mkdir "$WORK/out"
        sync
        /usr/bin/time -f "%e %U %S %M" -o "$WORK/$label.time" "$@" > /dev/null
        cmp "$WORK/src/big.bin" "$WORK/out/big.bin"
        awk '{ printf "%.2f %.2f %d\n", $1, $2 + $3, $4 }' "$WORK/$label.time" >> "$WORK/$label.runs"
        i=$((i + 1))
    done
    for col in 1 2 3; do
        cut -d' ' -f$col "$WORK/$label.runs" | sort -g | awk '{ v[NR] = $1 } END { printf "%s ", v[int((NR + 1) / 2)] }'
    done
}

set -- $(measure lzdpack "$LZDPACK" extract "$WORK/big.lzd" -C "$WORK/out")
lwall=$1 lcpu=$2 lrss=$3
set -- $(measure tar-gz tar -xzf "$WORK/big.tar.gz" -C "$WORK/out")
gwall=$1 gcpu=$2 grss=$3
printf 'load: %s\n' "$(cut -d' ' -f1-3 /proc/loadavg)"
printf 'archive sizes: lzd %s bytes, tar.gz %s bytes\n' "$(stat -c %s "$WORK/big.lzd")" "$(stat -c %s "$WORK/big.tar.gz")"
printf '%-8s wall %6.2f s   cpu %6.2f s   peak RSS %7s KB\n' lzdpack "$lwall" "$lcpu" "$lrss" tar-xzf "$gwall" "$gcpu" "$grss"
awk -v a="$lwall" -v b="$gwall" -v c="$lcpu" -v d="$gcpu" -v e="$lrss" -v f="$grss" \
    'BEGIN { printf "lzdpack / tar -xzf: wall %.2f, cpu %.2f, memory %.2f\n", a / b, c / d, e / f }'
if [ "${XZ:-0}" = 1 ]; then
    set -- $(measure tar-xz tar -xJf "$WORK/big.tar.xz" -C "$WORK/out")
    printf '%-8s wall %6.2f s   cpu %6.2f s   peak RSS %7s KB\n' tar-xJf "$1" "$2" "$3"
    awk -v a="$lwall" -v b="$1" -v c="$lcpu" -v d="$2" 'BEGIN { printf "lzdpack / tar -xJf: wall %.2f, cpu %.2f\n", a / b, c / d }'
fi
