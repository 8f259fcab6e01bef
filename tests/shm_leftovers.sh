#!/usr/bin/env bash
# shm_leftovers.sh [-n COUNT] COMMAND...: runs COMMAND with what a killed faketime
# wrapper leaves in /dev/shm (an empty semaphore and shared memory file) already
# there for the next COUNT (1000) process ids, where a wrapper given one of those
# ids cannot start. Fails if COMMAND fails, or if it left such files of processes
# that have ended. Removes only the files it made. For example:
#   bash tests/shm_leftovers.sh bash tests/wine/run.sh build-win
set -uo pipefail
count=1000
[ "${1:-}" != -n ] || { count=$2 && shift 2; }
pairs() { find /dev/shm -maxdepth 1 \( -name 'sem.faketime_sem_*' -o -name 'faketime_shm_*' \) | sort; }
max=$(cat /proc/sys/kernel/pid_max) last=$(cat /proc/sys/kernel/ns_last_pid) made=()
for ((i = 1; i <= count; i++)); do
    pid=$(((last + i) % max))
    for file in "/dev/shm/sem.faketime_sem_$pid" "/dev/shm/faketime_shm_$pid"; do
        [ -e "$file" ] || { : >"$file" && made+=("$file"); }
    done
done
before=$(pairs)
"$@"
status=$?
# Left behind: new files, or ones made here that a process took over (no longer empty), of processes that have ended.
for file in $(comm -13 <(echo "$before") <(pairs)) "${made[@]}"; do
    [[ " ${made[*]} " != *" $file "* || -s $file ]] || continue
    kill -0 "${file##*_}" 2>/dev/null || { echo "FAIL: left in /dev/shm: $file" >&2 && status=1; }
done
rm -f "${made[@]}"
exit $status
