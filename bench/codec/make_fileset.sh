#!/bin/sh
# Assembles the codec's benchmark file set from real files of this Debian system:
# an executable near 1.5 MB, one near 300 KB, a shared library near 50 KB, a text of
# about 200 KB and a short text. For each kind the candidate closest to the target
# size is taken (sorted by path for ties), so the set is stable on one machine.
#   make_fileset.sh DIR      copies the files into DIR and prints where they came from
set -eu
dir=${1:?usage: make_fileset.sh DIR}
mkdir -p "$dir"

# closest TARGET_BYTES FILTER PATH...   (FILTER: elf-exec, elf-lib or text)
closest() {
    target=$1; filter=$2; shift 2
    lo=$((target * 7 / 10 / 1024)); hi=$((target * 13 / 10 / 1024 + 1))
    find "$@" -maxdepth 3 -type f -size +"$lo"k -size -"$hi"k 2>/dev/null | sort | while read -r f; do
        case $filter in
            elf-exec) head -c 4 "$f" 2>/dev/null | grep -q "ELF" || continue
                      case $f in *.so*) continue;; esac ;;
            elf-lib)  case $f in *.so*) ;; *) continue;; esac
                      head -c 4 "$f" 2>/dev/null | grep -q "ELF" || continue ;;
            text)     grep -Iq . "$f" 2>/dev/null || continue ;;
        esac
        size=$(stat -c %s "$f")
        d=$((size - target)); [ $d -lt 0 ] && d=$((-d))
        echo "$d $f"
    done | sort -n | head -1 | cut -d' ' -f2-
}

pick() {
    name=$1; src=$2
    [ -n "$src" ] || { echo "make_fileset.sh: no candidate for $name" >&2; exit 1; }
    cp "$src" "$dir/$name"
    printf '%-12s %9d  %s\n' "$name" "$(stat -c %s "$src")" "$src"
}

pick exe-large  "$(closest 1500000 elf-exec /usr/bin /usr/sbin /usr/lib/systemd)"
pick exe-medium "$(closest 300000 elf-exec /usr/bin /usr/sbin)"
pick lib-small  "$(closest 50000 elf-lib /usr/lib/x86_64-linux-gnu)"
pick text-large "$(closest 200000 text /usr/share/doc /usr/share/common-licenses /usr/share/perl5)"
pick text-short "$(closest 8000 text /usr/share/common-licenses)"
