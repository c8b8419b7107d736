#!/usr/bin/env bash
# Starts (or stops) the real peers of the network tests on 127.0.0.1: nginx
# serving test files, dante as SOCKS4/SOCKS5 proxy, tinyproxy as HTTP proxy
# (one instance without and one with Basic credentials). Usage:
#   peers.sh start DIR   writes DIR/peers.env (KEY=VALUE lines) when all run
#   peers.sh stop DIR    stops what start started
# Every peer runs in the foreground of a background job with a generated
# configuration in DIR; nothing listens beyond the loopback address.
set -euo pipefail

action=${1:?start or stop}
dir=${2:?directory}

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../../scripts/loopback_jobs.sh"

if [ "$action" = stop ]; then
    stop_jobs
    rm -f "$dir/peers.env"
    exit 0
fi

stop_jobs
rm -rf "$dir"
mkdir -p "$dir/docroot/files" "$dir/docroot/a/b" "$dir/docroot/private" "$dir/nginx-temp"
chmod 755 "$dir" "$dir/docroot"

# Free loopback ports, one per peer, and the test files (byte i is
# (i * 7 + i // 251) % 256, so the tests know every byte without reading the
# server's disk). One interpreter start: they are slow on busy machines.
read -r nginx_port socks_port proxy_port proxy_auth_port < <(python3 - "$dir/docroot" <<'PY'
import os, socket, sys
root = sys.argv[1]
def pattern(n):
    return bytes((i * 7 + i // 251) % 256 for i in range(n))
for name, size in [("files/small.bin", 1000), ("files/medium.bin", 300000),
                   ("private/secret.bin", 4321)]:
    with open(os.path.join(root, name), "wb") as f:
        f.write(pattern(size))
socks = []
for _ in range(4):
    s = socket.socket(); s.bind(("127.0.0.1", 0)); socks.append(s)
print(*(s.getsockname()[1] for s in socks))
PY
)
# Last-Modified: Tue, 15 Jun 2010 10:00:00 GMT for every file.
find "$dir/docroot" -type f -exec touch -d '2010-06-15 10:00:00 UTC' {} +
printf 'tessel:{PLAIN}open sesame\n' >"$dir/htpasswd"

cat >"$dir/nginx.conf" <<CONF
daemon off;
master_process off;
worker_processes 1;
pid $dir/nginx.pid;
error_log $dir/nginx-error.log;
events { worker_connections 256; }
http {
    access_log off;
    client_body_temp_path $dir/nginx-temp/body;
    proxy_temp_path $dir/nginx-temp/proxy;
    fastcgi_temp_path $dir/nginx-temp/fastcgi;
    uwsgi_temp_path $dir/nginx-temp/uwsgi;
    scgi_temp_path $dir/nginx-temp/scgi;
    default_type application/octet-stream;
    server {
        listen 127.0.0.1:$nginx_port;
        root $dir/docroot;
        absolute_redirect off;
        location = /redirect/absolute { return 301 http://127.0.0.1:$nginx_port/files/small.bin; }
        location = /redirect/root { return 302 /files/small.bin; }
        location = /a/b/up { return 302 ../../files/small.bin; }
        location = /files/sibling { return 302 small.bin; }
        location = /redirect/loop { return 302 /redirect/loop; }
        location /private/ {
            auth_basic "tessel";
            auth_basic_user_file $dir/htpasswd;
        }
    }
}
CONF

cat >"$dir/danted.conf" <<CONF
logoutput: $dir/danted.log
internal: 127.0.0.1 port = $socks_port
external: 127.0.0.1
clientmethod: none
socksmethod: none
user.privileged: root
user.unprivileged: nobody
client pass { from: 127.0.0.0/8 to: 0.0.0.0/0 }
socks pass { from: 127.0.0.0/8 to: 127.0.0.0/8 command: connect }
CONF

write_tinyproxy() {
    cat >"$dir/$1.conf" <<CONF
User nobody
Group nogroup
Port $2
Listen 127.0.0.1
Timeout 30
MaxClients 32
Allow 127.0.0.1
DisableViaHeader Yes
LogLevel Error
LogFile "$dir/$1.log"
$3
CONF
}
write_tinyproxy tinyproxy "$proxy_port" ""
write_tinyproxy tinyproxy-auth "$proxy_auth_port" "BasicAuth proxyuser proxypass"
touch "$dir/tinyproxy.log" "$dir/tinyproxy-auth.log"
chmod 666 "$dir/tinyproxy.log" "$dir/tinyproxy-auth.log"

start_job nginx nginx -c "$dir/nginx.conf" -p "$dir"
start_job danted danted -f "$dir/danted.conf" -p "$dir/danted.pid" -N 1
start_job tinyproxy tinyproxy -d -c "$dir/tinyproxy.conf"
start_job tinyproxy-auth tinyproxy -d -c "$dir/tinyproxy-auth.conf"

# Wait until every port accepts connections.
for port in $nginx_port $socks_port $proxy_port $proxy_auth_port; do
    if ! wait_for_port "$port"; then
        echo "peers: nothing listens on port $port" >&2
        tail -n 5 "$dir"/*.out "$dir"/*.log >&2 || true
        stop_jobs
        exit 1
    fi
done

cat >"$dir/peers.env.tmp" <<ENV
NGINX_PORT=$nginx_port
SOCKS_PORT=$socks_port
HTTP_PROXY_PORT=$proxy_port
HTTP_PROXY_AUTH_PORT=$proxy_auth_port
ENV
mv "$dir/peers.env.tmp" "$dir/peers.env"
echo "peers: nginx $nginx_port, dante $socks_port, tinyproxy $proxy_port and $proxy_auth_port"
