# Sourced by the scripts that start tessel-server with --port 0 beside a
# test: server_port LOG PID prints the port the server names in the first
# line of LOG ("listening on 127.0.0.1:PORT"), waiting up to 10 s; nothing
# when the server ended or never said.
server_port() {
  local log=$1 pid=$2 port= _
  for _ in $(seq 100); do
    # Only a whole first line counts: a part of it could name a wrong port.
    if [ "$(wc -l <"$log")" -ge 1 ]; then
      port=$(head -n 1 "$log" | sed -n 's/^listening on 127\.0\.0\.1:\([0-9]*\)$/\1/p')
    fi
    [ -n "$port" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  echo "$port"
}
