#!/bin/bash
# Counts, per request, the system calls and the CPU time of the range server
# and of nginx's workers, each during its own wrk run of bench_http: these
# move far less with the machine's load than throughput does.
#
# bench/http/count_syscalls.sh [connections] [seconds] [build folder]
# Run it through benchslot like the benchmark; needs strace.
set -u
connections=${1:-16}
seconds=${2:-4}
build=${3:-build}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

# Two rounds: the first (ours, then nginx) under strace, the second (nginx, then ours) timed.
"$build/bench/http/bench_http" --size-mb 64 --seconds $((seconds + 4)) --rounds 2 --cases "range$connections" \
    >"$out/bench.log" 2>&1 &
bench=$!
ourURL="/videos/"
nginxURL="content.mov"

# The pid of the wrk run whose command line matches, once it has started.
awaitWrk() {
    for _ in $(seq 1200); do
        pgrep -nf "wrk .*$1" && return 0
        sleep 0.05
    done
    echo "no wrk run for $1" >&2
    return 1
}
awaitEnd() {
    while kill -0 "$1" 2>/dev/null; do sleep 0.05; done
}
# CPU seconds (user and system) used so far by the processes named.
cpuSeconds() {
    local ticks=0
    for pid in "$@"; do
        ticks=$((ticks + $(awk '{ print $14 + $15 }' "/proc/$pid/stat")))
    done
    echo "scale=3; $ticks / $(getconf CLK_TCK)" | bc
}
# Timed from the start to the end of the server's wrk run.
timeRun() {
    local url=$1 name=$2
    shift 2
    local wrk before
    wrk=$(awaitWrk "$url") || return
    before=$(cpuSeconds "$@")
    awaitEnd "$wrk"
    echo "$(cpuSeconds "$@") - $before" | bc >"$out/$name.cpu"
}

# Round one; a second in, to miss the connects of the start.
wrk=$(awaitWrk "$ourURL") && sleep 1 && timeout -s INT "$seconds" strace -c -f -p "$bench" -o "$out/ours.txt" 2>/dev/null
awaitEnd "$wrk"
wrk=$(awaitWrk "$nginxURL") && sleep 1
master=$(pgrep -P "$bench" nginx | head -1)
workerPids=$(pgrep -P "$master" | tr '\n' ' ')
workers=()
for worker in $workerPids; do workers+=(-p "$worker"); done
timeout -s INT "$seconds" strace -c -f "${workers[@]}" -o "$out/nginx.txt" 2>/dev/null
awaitEnd "$wrk"
# Round two.
# shellcheck disable=SC2086
timeRun "$nginxURL" nginx $workerPids
timeRun "$ourURL" ours "$bench"
wait "$bench"
grep -E '^ +(ours|nginx) ' "$out/bench.log"

# Calls per accepted connection (one request each): accept4's calls less its failures.
for server in ours nginx; do
    requests=$(grep -E "^ +$server " "$out/bench.log" | sed -n 2p | sed -E 's/.*requests ([0-9]+).*/\1/')
    cpu=$(cat "$out/$server.cpu")
    echo "$server: CPU $(echo "scale=1; $cpu * 1000000 / $requests" | bc) us per request (round two: $cpu s, $requests requests); calls per request (round one):"
    awk '$NF == "accept4" { accepted = $4 - ($5 ~ /^[0-9]+$/ ? $5 : 0) }
         $1 ~ /^[0-9.]+$/ && NF >= 5 { rows[++n] = $0 }
         END {
             for (i = 1; i <= n; ++i) {
                 k = split(rows[i], f, " ")
                 printf "  %-12s %6.2f%s\n", f[k], f[4] / accepted, (k == 6 ? "  (" f[5] " failed)" : "")
             }
         }' "$out/$server.txt"
done
