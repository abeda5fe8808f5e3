#!/bin/sh
# Peak memory and wall time of extracting one 200 MB entry with lzdpack, beside
# tar -xzf of the same file, measured with /usr/bin/time -v.
#   extract_200mb.sh LZDPACK WORKDIR
set -eu
LZDPACK=$1
WORK=$2
rm -rf "$WORK"
mkdir -p "$WORK/src" "$WORK/out-lzd" "$WORK/out-tar" "$WORK/machine"
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

measure() {  # label, command...
    label=$1
    shift
    /usr/bin/time -v "$@" 2> "$WORK/$label.time" > /dev/null
    rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$WORK/$label.time")
    wall=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$WORK/$label.time")
    echo "$label $rss $wall"
}

seconds() {  # m:ss.xx or h:mm:ss -> seconds
    echo "$1" | awk -F: '{ s = 0; for (i = 1; i <= NF; i++) s = s * 60 + $i; print s }'
}

l=$(measure lzdpack "$LZDPACK" extract "$WORK/big.lzd" -C "$WORK/out-lzd")
t=$(measure tar tar -xzf "$WORK/big.tar.gz" -C "$WORK/out-tar")
cmp "$WORK/src/big.bin" "$WORK/out-lzd/big.bin"
cmp "$WORK/src/big.bin" "$WORK/out-tar/big.bin"

set -- $l
lrss=$2; lwall=$(seconds "$3")
set -- $t
trss=$2; twall=$(seconds "$3")
printf 'archive sizes: lzd %s bytes, tar.gz %s bytes\n' "$(stat -c %s "$WORK/big.lzd")" "$(stat -c %s "$WORK/big.tar.gz")"
printf '%-8s peak RSS %8s KB   time %7.2f s\n' lzdpack "$lrss" "$lwall" tar "$trss" "$twall"
awk -v a="$lrss" -v b="$trss" -v c="$lwall" -v d="$twall" 'BEGIN { printf "ratio lzdpack/tar: memory %.2f, time %.2f\n", a / b, c / d }'
