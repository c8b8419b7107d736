# What the front end's shell tests share, sourced with tessel_bin and here
# set: a work directory removed at the end (a server or client still running
# is killed first), a program directory, a game with its addon directory and
# a documents folder, fail, and the stalling catalogue server of
# stall_server.py on a loopback port that servers.ini names.
source "$here/../../scripts/loopback_jobs.sh"
work=$(mktemp -d)
server_pid=
client_pid=
cleanup() {
  [ -n "$client_pid" ] && kill -9 "$client_pid" 2>/dev/null || true
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
python=python3
[ -x /usr/bin/python3 ] && python=/usr/bin/python3  # no version-manager shim on the way

srv=$work/srv prog=$work/prog game=$work/game
addons=$game/Interface/Addons
mkdir -p "$srv/Config" "$srv/files" "$prog" "$addons" "$work/docs"
: >"$game/vaelpatchchinese.exe"
export TESSEL_PROGRAM_DIR=$prog VAEL_DOCUMENTS=$work/docs

# Serves $srv at the given bytes per second (0: full speed) on port (default:
# a free one), and points servers.ini and the catalogue's download prefix,
# which must be absolute, at it.
start_server() {  # bytes per second, [port]
  : >"$work/server.out"
  "$python" "$here/stall_server.py" "$srv" "$1" "$work/requests.log" "${2:-0}" >"$work/server.out" &
  server_pid=$!
  port=$(listening_port "$work/server.out" "$server_pid")
  [ -n "$port" ] || fail "the test server did not start"
  printf '[Servers]\nCatalogue=http://127.0.0.1:%s\n' "$port" >"$prog/servers.ini"
  sed -i "s#DownLoadUrl=\"[^\"]*\"#DownLoadUrl=\"http://127.0.0.1:$port/files/\"#" \
    "$srv/Config/pluglist.xml"
}
stop_server() { kill "$server_pid"; wait "$server_pid" 2>/dev/null || true; server_pid=; }
