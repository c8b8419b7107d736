# Servers run as background jobs on the loopback address, for the scripts
# that start them (the network tests' peers, the local deployment). Sourced
# with dir set: each job keeps its output in $dir/NAME.out and its process id
# in $dir/NAME.job.

start_job() {  # name, command...
    local name=$1
    shift
    : >"$dir/$name.out"  # there before the job writes, for whoever reads it
    "$@" >>"$dir/$name.out" 2>&1 &
    echo $! >"$dir/$name.job"
}

# Stops every job of $dir: asks, waits up to 5 s, then kills.
stop_jobs() {
    local pids=()
    for job in "$dir"/*.job; do
        [ -e "$job" ] || continue
        pids+=("$(cat "$job")")
        rm -f "$job"
    done
    ((${#pids[@]})) || return 0
    kill "${pids[@]}" 2>/dev/null || true
    for _ in $(seq 50); do
        local alive=0
        for pid in "${pids[@]}"; do kill -0 "$pid" 2>/dev/null && alive=1; done
        ((alive)) || return 0
        sleep 0.1
    done
    kill -9 "${pids[@]}" 2>/dev/null || true
}

# True once something accepts connections on the port (waits up to 15 s).
wait_for_port() {  # port
    for _ in $(seq 150); do
        (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null && return 0
        sleep 0.1
    done
    return 1
}

# The port a server announces on the first line of its log ("listening on
# 127.0.0.1:PORT"), printed once that line is whole; nothing when the server
# ends or 10 s pass first.
listening_port() {  # log file, server process id
    local port=
    for _ in $(seq 100); do
        # Only a whole first line counts: a part of it could name a wrong port.
        if [ "$(wc -l <"$1")" -ge 1 ]; then
            port=$(head -n 1 "$1" | sed -n 's/^listening on 127\.0\.0\.1:\([0-9]*\)$/\1/p')
        fi
        [ -n "$port" ] && break
        kill -0 "$2" 2>/dev/null || break
        sleep 0.1
    done
    echo "$port"
}
