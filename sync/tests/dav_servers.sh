#!/usr/bin/env bash
# Runs a command with Radicale and Xandikos (Debian's packages) serving on free loopback ports,
# each with a scratch folder, and a server that answers every request with a cut-off
# multistatus document. The command finds them in POMIX_TEST_DAV (one server per ";":
# "name base-url calendar-home addressbook-home"), POMIX_TEST_DAV_USER and _PASSWORD (also a
# password file of Radicale's own), POMIX_TEST_XANDIKOS_DIR and POMIX_TEST_RADICALE_DIR (the
# servers' folders, where the benchmark puts its records straight in), POMIX_TEST_BROKEN_DAV
# and POMIX_TEST_CLOSED_DAV (a port nobody listens on), and POMIX_TEST_ODD_DAV, the server of
# misbehaving_dav.py beside this script. Without Radicale or Xandikos the command runs without
# their variables, and under CI (CI=true) the run fails; with "--skip-code N" first, a pass
# without them exits N (ctest's SKIP_RETURN_CODE), so that it shows as skipped.
set -euo pipefail
skip_code=0
if [ "${1:-}" = --skip-code ]; then
    skip_code=$2
    shift 2
fi
here=$(cd "$(dirname "$0")" && pwd)
servers=1
if ! command -v radicale >/dev/null || ! command -v xandikos >/dev/null; then
    if [ "${CI:-}" = true ]; then
        echo "dav_servers.sh: radicale or xandikos is not installed, and CI needs them" >&2
        exit 1
    fi
    echo "dav_servers.sh: radicale or xandikos is not installed; the server tests skip" >&2
    servers=0
fi
scratch=$(mktemp -d)
pids=()
stop() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$scratch"
}
trap stop EXIT
trap "exit 1" INT TERM
# Five free ports at once: each socket stays bound until all are chosen, so that no two of
# them can be the same (a port let go is often handed out again at once, and a server then
# finds its port taken and the tests talk to another server).
free_ports() {
    python3 -c 'import socket
socks = [socket.socket() for _ in range(5)]
for s in socks: s.bind(("127.0.0.1", 0))
print(*[s.getsockname()[1] for s in socks])'
}
user=pomix
password=$(head -c 12 /dev/urandom | od -An -tx1 | tr -d ' \n')
printf '%s:%s\n' "$user" "$password" > "$scratch/users"
read -r rport xport bport cport oport < <(free_ports)
python3 "$here/misbehaving_dav.py" "$oport" >"$scratch/odd.log" 2>&1 &
pids+=($!)
if [ "$servers" = 1 ]; then
cat > "$scratch/radicale.conf" <<CONF
[server]
hosts = 127.0.0.1:$rport
[auth]
type = htpasswd
htpasswd_filename = $scratch/users
htpasswd_encryption = plain
[storage]
filesystem_folder = $scratch/radicale
[rights]
type = owner_only
[logging]
level = error
CONF
radicale -C "$scratch/radicale.conf" >"$scratch/radicale.log" 2>&1 &
pids+=($!)
xandikos -d "$scratch/xandikos" -l 127.0.0.1 -p "$xport" --autocreate >"$scratch/xandikos.log" 2>&1 &
pids+=($!)
fi
python3 - "$bport" >"$scratch/broken.log" 2>&1 <<'PY' &
import http.server, sys
class Cut(http.server.BaseHTTPRequestHandler):
    def answer(self):
        n = int(self.headers.get("Content-Length") or 0)
        self.rfile.read(n)
        body = b'<?xml version="1.0"?><D:multistatus xmlns:D="DAV:"><D:response><D:href>/a/</D:hr'
        self.send_response(207)
        self.send_header("Content-Type", "application/xml")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)
    do_PROPFIND = do_REPORT = do_GET = do_PUT = do_DELETE = do_MKCOL = do_MKCALENDAR = answer
    def log_message(self, *a): pass
http.server.HTTPServer(("127.0.0.1", int(sys.argv[1])), Cut).serve_forever()
PY
pids+=($!)
ports=("$bport" "$oport")
[ "$servers" = 0 ] || ports+=("$rport" "$xport")
for port in "${ports[@]}"; do
    for _ in $(seq 100); do
        if python3 -c "import socket,sys; socket.create_connection(('127.0.0.1',$port),0.2)" 2>/dev/null; then
            break
        fi
        sleep 0.1
    done
done
export POMIX_TEST_BROKEN_DAV=http://127.0.0.1:$bport/ POMIX_TEST_CLOSED_DAV=http://127.0.0.1:$cport/
export POMIX_TEST_ODD_DAV=http://127.0.0.1:$oport/
if [ "$servers" = 0 ]; then
    status=0
    "$@" || status=$?
    [ "$status" -ne 0 ] || status=$skip_code
    exit "$status"
fi
export POMIX_TEST_DAV="radicale http://127.0.0.1:$rport/ /$user/ /$user/;xandikos http://127.0.0.1:$xport/ /user/calendars/ /user/contacts/"
export POMIX_TEST_DAV_USER=$user POMIX_TEST_DAV_PASSWORD=$password
export POMIX_TEST_XANDIKOS_DIR=$scratch/xandikos POMIX_TEST_RADICALE_DIR=$scratch/radicale/collection-root
"$@"
