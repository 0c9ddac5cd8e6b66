#!/bin/bash
# Counts the system calls per request of the range server and of nginx's
# workers, each during its own wrk run of bench_http: counts, unlike
# throughput, hardly move with the machine's load.
#
# bench/http/count_syscalls.sh [connections] [seconds] [build folder]
# Run it through benchslot like the benchmark; needs strace.
set -u
connections=${1:-16}
seconds=${2:-4}
build=${3:-build}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

"$build/bench/http/bench_http" --size-mb 64 --seconds $((seconds + 4)) --rounds 1 --cases "range$connections" \
    >"$out/bench.log" 2>&1 &
bench=$!

# Waits for the wrk run whose command line matches.
awaitWrk() {
    for _ in $(seq 600); do
        pgrep -f "wrk .*$1" >/dev/null && return 0
        sleep 0.05
    done
    echo "no wrk run for $1" >&2
    return 1
}

# Ours first (round one), then nginx; a second in, to miss the connects of the start.
awaitWrk "/videos/" && sleep 1 && timeout -s INT "$seconds" strace -c -f -p "$bench" -o "$out/ours.txt" 2>/dev/null
awaitWrk "content.mov" && sleep 1
master=$(pgrep -P "$bench" nginx | head -1)
workers=()
for worker in $(pgrep -P "$master"); do workers+=(-p "$worker"); done
timeout -s INT "$seconds" strace -c -f "${workers[@]}" -o "$out/nginx.txt" 2>/dev/null
wait "$bench"
grep -E '^ +(ours|nginx) ' "$out/bench.log"

# Calls per accepted connection (one request each): accept4's calls less its failures.
for server in ours nginx; do
    echo "$server, calls per request:"
    awk '$NF == "accept4" { accepted = $4 - ($5 ~ /^[0-9]+$/ ? $5 : 0) }
         $1 ~ /^[0-9.]+$/ && NF >= 5 { rows[++n] = $0 }
         END {
             for (i = 1; i <= n; ++i) {
                 k = split(rows[i], f, " ")
                 printf "  %-12s %6.2f%s\n", f[k], f[4] / accepted, (k == 6 ? "  (" f[5] " failed)" : "")
             }
         }' "$out/$server.txt"
done
