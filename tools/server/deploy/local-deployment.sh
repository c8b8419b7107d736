#!/usr/bin/env bash
# Runs (or stops) a whole deployment on this machine's loopback address:
# nginx in front of N tessel-server processes that share a Redis count store,
# over one catalogue directory. For the deployment tests, the benchmark and
# an operator's trial before the real thing.
#
#   local-deployment.sh start DIR [--servers N] [--counts redis|local]
#                       [--root CATALOGUE_DIR] [--server PATH] [RENDER OPTIONS...]
#   local-deployment.sh stop DIR
#
# start writes DIR/deployment.env (KEY=VALUE lines: NGINX_PORT, SERVER_PORTS,
# REDIS_PORT, ROOT) once everything answers; without --root the demo
# catalogue is written to DIR/catalogue. Options it does not know go to
# render-nginx.sh. Every process runs in the foreground of a background job
# with its configuration, log and pid in DIR; nothing listens beyond
# 127.0.0.1.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
action=${1:?start or stop}
dir=${2:?directory}
shift 2

source "$here/../../../scripts/loopback_jobs.sh"

if [ "$action" = stop ]; then
    [ -d "$dir" ] && stop_jobs
    rm -f "$dir/deployment.env"
    exit 0
fi
[ "$action" = start ] || { echo "usage: $0 start|stop DIR [options]" >&2; exit 2; }

servers=2 counts=redis root= server=
render=()
while (($#)); do
    case $1 in
        --servers) servers=$2; shift ;;
        --counts) counts=$2; shift ;;
        --root) root=$2; shift ;;
        --server) server=$2; shift ;;
        *) render+=("$1") ;;
    esac
    shift
done
if [ -z "$server" ]; then
    server=$(cd "$here/../../.." && pwd)/build/native/bin/tessel-server
fi
[ -x "$server" ] || { echo "deployment: no tessel-server at $server" >&2; exit 1; }

[ -d "$dir" ] && stop_jobs
rm -rf "$dir"
mkdir -p "$dir"
if [ -z "$root" ]; then
    root=$dir/catalogue
    "$server" --make-demo "$root" >/dev/null
fi

fail() {
    echo "deployment: $*" >&2
    tail -n 5 "$dir"/*.out "$dir"/*.log 2>/dev/null >&2 || true
    stop_jobs
    exit 1
}

# Free loopback ports for nginx and Redis (the servers pick their own).
read -r nginx_port redis_port < <(python3 - <<'PY'
import socket
socks = []
for _ in range(2):
    s = socket.socket(); s.bind(("127.0.0.1", 0)); socks.append(s)
print(*(s.getsockname()[1] for s in socks))
PY
)

store=local
if [ "$counts" = redis ]; then
    mkdir -p "$dir/redis"
    start_job redis redis-server --bind 127.0.0.1 --port "$redis_port" --save '' --appendonly no \
        --dir "$dir/redis" --protected-mode yes --daemonize no
    wait_for_port "$redis_port" || fail "redis does not answer on port $redis_port"
    store=redis://127.0.0.1:$redis_port/tessel
else
    redis_port=
fi

ports=()
upstreams=()
for i in $(seq "$servers"); do
    start_job "server$i" "$server" --root "$root" --port 0 \
        --public-url "http://127.0.0.1:$nginx_port" --counts "$store"
    port=
    for _ in $(seq 150); do
        port=$(sed -n '1s/^listening on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$dir/server$i.out")
        [ -n "$port" ] && break
        sleep 0.1
    done
    [ -n "$port" ] || fail "tessel-server $i did not start"
    ports+=("$port")
    upstreams+=(--upstream "127.0.0.1:$port")
done

"$here/render-nginx.sh" --root "$root" --listen "127.0.0.1:$nginx_port" "${upstreams[@]}" \
    --standalone "$dir/nginx" "${render[@]}" >"$dir/nginx.conf"
start_job nginx nginx -c "$dir/nginx.conf" -p "$dir/nginx"
wait_for_port "$nginx_port" || fail "nginx does not answer on port $nginx_port"

cat >"$dir/deployment.env.tmp" <<ENV
NGINX_PORT=$nginx_port
SERVER_PORTS=${ports[*]}
REDIS_PORT=$redis_port
ROOT=$root
ENV
mv "$dir/deployment.env.tmp" "$dir/deployment.env"
echo "deployment: nginx on $nginx_port, tessel-server on ${ports[*]}, counts in $store"
