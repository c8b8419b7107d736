#!/usr/bin/env bash
# Writes the nginx configuration for tessel-server processes behind nginx.
#
#   render-nginx.sh --root DIR --upstream HOST:PORT [--upstream HOST:PORT...]
#                   [--listen ADDR:PORT] [--cache-dir DIR]
#                   [--exchange-rate R] [--exchange-burst N] [--page-rate R]
#                   [--page-burst N] [--connections-per-client N]
#                   [--unlimited-client ADDRESS[/BITS]...]
#                   [--no-rate-limits] [--files-from-servers]
#                   [--standalone STATE_DIR] > FILE
#
# Without --standalone the output is an http-block include (for
# /etc/nginx/conf.d/); with it, a whole nginx.conf that runs in the
# foreground as one process and keeps its pid, logs and temporary files in
# STATE_DIR (for tests, benchmarks and trials). --no-rate-limits and
# --files-from-servers are for measuring the processes themselves.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root= listen=127.0.0.1:8080 cache= state=
exchange_rate=20r/s exchange_burst=100 page_rate=50r/s page_burst=200 connections=64
rate_limits=1 files_from_servers=0
upstreams=()
unlimited=()

usage() {
    sed -n '2,17p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//' >&2
    exit 2
}

while (($#)); do
    case $1 in
        --root) root=$2; shift ;;
        --upstream) upstreams+=("$2"); shift ;;
        --unlimited-client) unlimited+=("$2"); shift ;;
        --listen) listen=$2; shift ;;
        --cache-dir) cache=$2; shift ;;
        --exchange-rate) exchange_rate=$2; shift ;;
        --exchange-burst) exchange_burst=$2; shift ;;
        --page-rate) page_rate=$2; shift ;;
        --page-burst) page_burst=$2; shift ;;
        --connections-per-client) connections=$2; shift ;;
        --no-rate-limits) rate_limits=0 ;;
        --files-from-servers) files_from_servers=1 ;;
        --standalone) state=$2; shift ;;
        *) usage ;;
    esac
    shift
done
[ -n "$root" ] && ((${#upstreams[@]})) || usage
root=$(cd "$root" && pwd)
if [ -z "$cache" ]; then
    cache=${state:+$state/cache}
    cache=${cache:-/var/cache/nginx/tessel}
fi

servers=
for upstream in "${upstreams[@]}"; do
    servers+="    server $upstream max_fails=2 fail_timeout=5s;"$'\n'
done
exempt=
for client in "${unlimited[@]}"; do
    exempt+="    $client 1;"$'\n'
done
files_source='try_files $uri =404;'
((files_from_servers)) && files_source='proxy_pass http://tessel_servers;'

site=$(sed -e "s|@ROOT@|$root|g" -e "s|@LISTEN@|$listen|g" -e "s|@CACHE_DIR@|$cache|g" \
    -e "s|@EXCHANGE_RATE@|$exchange_rate|g" -e "s|@EXCHANGE_BURST@|$exchange_burst|g" \
    -e "s|@PAGE_RATE@|$page_rate|g" -e "s|@PAGE_BURST@|$page_burst|g" \
    -e "s|@CONNECTIONS_PER_CLIENT@|$connections|g" -e "s|@FILES_SOURCE@|$files_source|g" \
    "$here/tessel-nginx.conf.in")
site=${site//@UPSTREAM_SERVERS@/${servers%$'\n'}}
site=${site//@UNLIMITED_CLIENTS@/${exempt%$'\n'}}
((rate_limits)) || site=$(grep -v '#rate-limit$' <<<"$site")

if [ -z "$state" ]; then
    printf '%s\n' "$site"
    exit 0
fi
mkdir -p "$state/tmp" "$cache"
cat <<CONF
daemon off;
master_process off;
worker_processes 1;
worker_rlimit_nofile 16384;
pid $state/nginx.pid;
error_log $state/nginx-error.log warn;
events { worker_connections 8192; }
http {
    access_log off;
    default_type application/octet-stream;
    sendfile on;
    tcp_nopush on;
    client_body_temp_path $state/tmp/body;
    proxy_temp_path $state/tmp/proxy;
    fastcgi_temp_path $state/tmp/fastcgi;
    uwsgi_temp_path $state/tmp/uwsgi;
    scgi_temp_path $state/tmp/scgi;
$(sed 's/^./    &/' <<<"$site")
}
CONF
