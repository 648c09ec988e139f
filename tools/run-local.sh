#!/usr/bin/env bash
# Starts a private ngircd on a free loopback port, a web server for the skin
# in tools/skin, velkobot in #velko to talk to, and the host program velko
# showing the sample page tools/page/velko.html, its control joined to #velko
# with that skin. With no display it runs
# offscreen, plays tools/demo.velko and prints what it saw, with grabs in
# $build/grabs. The bot, the servers and the temporary folder go when the host
# ends.
set -euo pipefail

build=${1:-build/run}
nick=${VELKO_NICK:-velko$$}
work=$(mktemp -d)
pid=""
botpid=""
webpid=""
cleanup() {
  # The bot first, so its goodbye still reaches the server.
  [ -n "$botpid" ] && kill "$botpid" 2>/dev/null && wait "$botpid" 2>/dev/null || true
  [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null || true
  [ -n "$webpid" ] && kill "$webpid" 2>/dev/null && wait "$webpid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT INT TERM

free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }
wait_for_port() {
  for _ in $(seq 100); do
    (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null && return
    sleep 0.05
  done
}

webport=$(free_port)
python3 -m http.server --bind 127.0.0.1 --directory "$(dirname "$0")/skin" "$webport" > "$work/web.log" 2>&1 &
webpid=$!
port=$(free_port)
cat > "$work/ngircd.conf" <<CONF
[Global]
Name = irc.velko.local
Info = Velko local server
Listen = 127.0.0.1
Ports = $port
AdminInfo1 = Velko
AdminInfo2 = Local run
AdminEMail = velko@localhost
MotdPhrase = Welcome to Velko's local server
[Limits]
MaxConnectionsIP = 0
MaxNickLength = 30
[Options]
DNS = no
Ident = no
PAM = no
CONF

ngircd -n -f "$work/ngircd.conf" > "$work/ngircd.log" 2>&1 &
pid=$!
wait_for_port "$port"
wait_for_port "$webport"

"$build/tools/velkobot" --addr "127.0.0.1:$port" > "$work/velkobot.log" 2>&1 &
botpid=$!
for _ in $(seq 100); do
  grep -q '^velkobot: joined' "$work/velkobot.log" 2>/dev/null && break
  sleep 0.05
done

host=("$build/host/velko" "$(dirname "$0")/page/velko.html" --input-line --addr "127.0.0.1:$port" --nick "$nick" --chan '#velko'
      --skin "http://127.0.0.1:$webport/velko.skin")
if [ -n "${QT_QPA_PLATFORM:-}" ] || [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  echo "velko: ngircd on 127.0.0.1:$port; you are $nick in #velko with velkobot." >&2
  "${host[@]}"
  exit
fi

grabs=$(cd "$build" && pwd)/grabs
demo="$(dirname "$0")/demo.velko"
rm -rf "$grabs"
echo "velko: no display; playing $demo offscreen (ngircd on 127.0.0.1:$port, you are $nick)" >&2
# The transcript: each answer under the command that asked for it (answers
# come in command order; a lone "." ends one, a doubled leading "." is undone).
QT_QPA_PLATFORM=offscreen "${host[@]}" --script "$demo" --grab-dir "$grabs" |
  awk -v script="$demo" '
    BEGIN { while ((getline line < script) > 0) if (line !~ /^(#|[[:space:]]*$)/) commands[n++] = line }
    $0 == "." { asked++; shown = 0; next }
    { if (!shown) print "> " commands[asked]; shown = 1; sub(/^\.\./, "."); print "    " $0 }'
echo "velko: grabs of the host window written to $grabs:" >&2
ls "$grabs" >&2
