#!/usr/bin/env bash
# Starts a private ngircd on a free loopback port, velkobot in #velko to talk
# to, and velkocli joined to #velko. The bot, the server and the temporary
# folder go when the client ends.
set -euo pipefail

build=${1:-build/run}
nick=${VELKO_NICK:-velko$$}
work=$(mktemp -d)
pid=""
botpid=""
cleanup() {
  # The bot first, so its goodbye still reaches the server.
  [ -n "$botpid" ] && kill "$botpid" 2>/dev/null && wait "$botpid" 2>/dev/null || true
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

"$build/tools/velkobot" --addr "127.0.0.1:$port" > "$work/velkobot.log" 2>&1 &
botpid=$!
for _ in $(seq 100); do
  grep -q '^velkobot: joined' "$work/velkobot.log" 2>/dev/null && break
  sleep 0.05
done

echo "velko: ngircd on 127.0.0.1:$port; you are $nick in #velko with velkobot.
Type raw IRC lines (PRIVMSG #velko :hello velkobot); .quit ends." >&2
"$build/tools/velkocli" --addr "127.0.0.1:$port" --nick "$nick" --join '#velko'
