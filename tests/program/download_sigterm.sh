#!/usr/bin/env bash
# The program in a real X server, asked to end (SIGTERM) while it downloads an update. Its requests
# go through $http_proxy to a server on 127.0.0.1 of the test's own, which offers a newer version
# and then sends a large installer slowly. Once part of the installer has arrived, SIGTERM ends the
# program: nothing is left in its current folder (no Update.exe, no .Update.exe.XXXXXX), its
# temporary folder or its runtime folder.
set -u
. "$(cd "$(dirname "$0")" && pwd)/../support/x11_windows.sh"
program=$1
export QT_QPA_PLATFORM=xcb
needs_tools python3 xdotool
work=$(mktemp -d)
mkdir -p "$work/prog" "$work/here" "$work/tmp" "$work/run" "$work/config/vistametra"
chmod 700 "$work/run"
cp "$program" "$work/prog/vistametra"
printf 'verificar-ao-iniciar=sim\n' >"$work/config/vistametra/atualizacao.conf"

# The proxy: any address; the version page names a newer version, the installer comes in pieces
# of 64 KiB every 50 ms (its length announced as 64 MiB), and the bytes sent so far are counted
# in $work/sent.
cat >"$work/server.py" <<'PY'
import http.server, os, sys, time
work = sys.argv[1]
class Site(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    def log_message(self, *args):
        pass
    def do_GET(self):
        if self.path.endswith("/vistametra/index.html"):
            page = b"<html><body>Download Vistametra 9.99</body></html>"
            self.send_response(200)
            self.send_header("Content-Length", str(len(page)))
            self.send_header("Connection", "close")
            self.end_headers()
            self.wfile.write(page)
            return
        self.send_response(200)
        self.send_header("Content-Length", str(64 << 20))
        self.send_header("Connection", "close")
        self.end_headers()
        piece = b"MZ" + bytes(65534)
        sent = 0
        try:
            while sent < (64 << 20):
                self.wfile.write(piece)
                self.wfile.flush()
                sent += len(piece)
                with open(work + "/sent.new", "w") as f:
                    f.write(str(sent))
                os.replace(work + "/sent.new", work + "/sent")
                time.sleep(0.05)
        except OSError:
            pass
server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Site)
with open(work + "/port", "w") as f:
    f.write(str(server.server_address[1]))
server.serve_forever()
PY
python3 "$work/server.py" "$work" >"$work/server.log" 2>&1 &
server=$!
for _ in $(seq 50); do
    [ -s "$work/port" ] && break
    sleep 0.1
done
port=$(cat "$work/port" 2>/dev/null) || { echo "FAIL: the server did not start"; exit 1; }

fail_details() {
    cat "$work/server.log" 2>/dev/null
}
trap 'kill $(cat "$work/program.pid" 2>/dev/null) $server 2>/dev/null; wait; rm -rf "$work"' EXIT

(
    cd "$work/here" &&
        exec env TMPDIR="$work/tmp" XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/config" \
            http_proxy="http://127.0.0.1:$port" no_proxy= "$work/prog/vistametra" \
            >"$work/program.log" 2>&1
) &
program_pid=$!
echo $program_pid >"$work/program.pid"

# "Existe uma versão mais atual ... deseja executar o download agora ?": Sim.
dismiss '^Atualiza' Return || fail "no question about the newer version, or it did not close"
# The count is replaced whole by the server, never read half-written.
sent=0
for _ in $(seq 100); do
    sent=$(cat "$work/sent" 2>/dev/null)
    sent=${sent:-0}
    [ "$sent" -ge $((1 << 20)) ] && break
    sleep 0.1
done
[ "$sent" -ge $((1 << 20)) ] || fail "the download did not start (sent: $sent bytes)"
kill -0 $program_pid 2>/dev/null || fail "the program ended during the download"
# The installer is being written into a file of the current folder.
ls -l /proc/$program_pid/fd 2>/dev/null | grep -q -- "-> $work/here/" ||
    fail "no file open in the current folder during the download"
kill -TERM $program_pid
wait $program_pid
code=$?
[ $code -eq 143 ] || fail "ended with $code, not by SIGTERM"
left=$(find "$work/here" "$work/tmp" "$work/run" -mindepth 1)
[ -z "$left" ] || fail "outlived the program: $left"
echo "SIGTERM after $sent bytes of the installer left nothing behind"
