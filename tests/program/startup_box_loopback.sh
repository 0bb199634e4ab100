#!/usr/bin/env bash
# The program in a real X server against a version server on 127.0.0.1 that answers without the
# download marker, as a broken vendor site would. The quiet update check at start-up then shows
# its boxes over the window while a field has the focus; once they are answered, the window shows
# the default project, and Arquivo > Salvar writes it whole (not an empty "_Calculo_Tela.qtv").
# Then Arquivo > Imprimir opens the report's preview, and SIGTERM ends the program: its page files,
# their folder, the lock and the socket go with it, and nothing is left in the temporary folder or
# the runtime folder.
#
# The program runs in network and mount namespaces of its own: its loopback interface carries the
# test's server on port 80, and /etc/hosts there names www.vistametra.com.br 127.0.0.1, so the
# program itself is unchanged and nothing leaves the machine.
set -u
. "$(cd "$(dirname "$0")" && pwd)/../support/x11_windows.sh"
program=$1
shots=${2:-}
export QT_QPA_PLATFORM=xcb
needs_namespaces -n -m
needs_tools python3 ip xdotool
work=$(mktemp -d)
mkdir -p "$work/prog" "$work/site/vistametra" "$work/tmp" "$work/run"
chmod 700 "$work/run"
cp "$program" "$work/prog/vistametra"
echo '<html><body>Nada aqui.</body></html>' >"$work/site/vistametra/index.html"
printf '127.0.0.1 localhost\n127.0.0.1 www.vistametra.com.br\n' >"$work/hosts"

# The namespace's side: loopback up, the hosts file, the server, then the program in the
# foreground of that shell; its pid is written for the test's side.
cat >"$work/inside.sh" <<'EOF'
set -u
work=$1
ip link set lo up
mount --bind "$work/hosts" /etc/hosts
python3 -m http.server 80 --bind 127.0.0.1 --directory "$work/site" >"$work/server.log" 2>&1 &
for _ in $(seq 50); do
    (exec 3<>/dev/tcp/127.0.0.1/80) 2>/dev/null && break
    sleep 0.1
done
cd "$work"
TMPDIR="$work/tmp" XDG_RUNTIME_DIR="$work/run" "$work/prog/vistametra" >"$work/program.log" 2>&1 &
echo $! >"$work/program.pid"
wait $!
echo $? >"$work/program.exit"
kill %1 2>/dev/null
EOF
unshare -n -m bash "$work/inside.sh" "$work" &
outer=$!

fail_details() {
    cat "$work/server.log" 2>/dev/null
}
trap 'kill $(cat "$work/program.pid" 2>/dev/null) 2>/dev/null; kill $outer 2>/dev/null; wait; rm -rf "$work"' EXIT

wait_window '^Update$' >/dev/null || fail "no box from the update check"
[ -n "$shots" ] && import -window root "$shots/startup-update-box.png" 2>/dev/null
dismiss '^Update$' Return || fail "the update check's box did not close"
# The check shows the page it got too, titled "teste".
dismiss '^teste$' Return || fail "no second box from the update check, or it did not close"

main=$(wait_window '^Vistametra$') || fail "no main window"
wait_idle "$(cat "$work/program.pid")"
[ -n "$shots" ] && import -window root "$shots/startup-after-update-box.png" 2>/dev/null
# Arquivo > Salvar ("s" first reaches Salvar, then Sair).
open_menu "$main" alt+a || fail "Arquivo did not open"
xdotool key --clearmodifiers s Return
dismiss '^Salvar arquivo$' Return || fail "Salvar showed no box, or it did not close"
saved="$work/prog/AUDITORIO_TERREO_Calculo_Tela.qtv"
[ -f "$work/prog/_Calculo_Tela.qtv" ] && fail "the empty window was saved as _Calculo_Tela.qtv"
[ -f "$saved" ] || fail "the default project was not saved"
grep -q '<Projeto>AUDITORIO_TERREO</Projeto>' "$saved" || fail "project name lost: $(cat "$saved")"
grep -q '<Cmprimento>10.00</Comprimento>' "$saved" || fail "room length lost: $(cat "$saved")"
grep -q '<Data>  /  /  </Data>' "$saved" && fail "date lost"

# Arquivo > Imprimir, the printer choice answered with its default, the preview opens.
open_menu "$main" alt+a || fail "Arquivo did not open"
xdotool key --clearmodifiers i
dismiss '^Selecione a Impressora$' Return || fail "no printer choice, or it did not close"
wait_window '^P.+gina \[1/' >/dev/null || fail "no preview"
pages=$(find "$work/tmp" -name '*_kpv_print_preview_*.Emf' | wc -l)
[ "$pages" -ge 2 ] || fail "the preview has no page files ($pages)"
[ -n "$shots" ] && import -window root "$shots/startup-preview-before-sigterm.png" 2>/dev/null
kill -TERM "$(cat "$work/program.pid")"
wait_file "$work/program.exit" 50 || fail "SIGTERM did not end the program"
[ "$(cat "$work/program.exit")" -eq 143 ] || fail "ended with $(cat "$work/program.exit"), not by SIGTERM"
left=$(find "$work/tmp" "$work/run" -mindepth 1)
[ -z "$left" ] || fail "outlived the program: $left"
echo "the start-up boxes left the project whole; SIGTERM took $pages page files with the program"
