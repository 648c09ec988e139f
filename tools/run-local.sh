#!/usr/bin/env bash
# Starts a private ngircd on a free loopback port and runs velkocli against it,
# joined to #velko. The server and its temporary folder go when the run ends.
set -euo pipefail

build=${1:-build/run}
nick=${VELKO_NICK:-velko$$}
work=$(mktemp -d)
pid=""
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT INT TERM

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
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
for _ in $(seq 100); do
  (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break
  sleep 0.05
done

echo "velko: ngircd on 127.0.0.1:$port; you are $nick in #velko. Type raw IRC lines; .quit ends." >&2
"$build/tools/velkocli" --addr "127.0.0.1:$port" --nick "$nick" --join '#velko'
