#!/usr/bin/env bash
# A private HylaFAX server for the tests: `start SPOOL` builds a spool of its own in SPOOL (the
# configuration faxsetup wrote when the package was installed, the loopback address in
# etc/hosts.hfaxd), starts the scheduler faxq and the client-protocol server hfaxd on 127.0.0.1 at a
# free port, and writes that port to SPOOL/port; `stop SPOOL` ends both by the process IDs it
# kept. Without the package (or without root, which hfaxd needs to confine itself to its spool)
# the start is reported SKIPPED (exit code 77), and the tests that need the server skip themselves.
set -euo pipefail
action=$1
spool=$2

# Whether the process runs still (a zombie waiting for its new parent to collect it does not).
running() { [ -r "/proc/$1/stat" ] && [ "$(cut -d' ' -f3 "/proc/$1/stat" 2>/dev/null)" != Z ]; }

stop() {
  for daemon in hfaxd faxq; do
    [ -f "$spool/$daemon.pid" ] || continue
    pid=$(cat "$spool/$daemon.pid")
    rm -f "$spool/$daemon.pid"
    # Only a process still running the daemon under this ID is ours to end; hfaxd's children
    # serve one client each.
    [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = "$daemon" ] || continue
    pkill -P "$pid" 2>/dev/null || true
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 50); do running "$pid" || break; sleep 0.1; done
    running "$pid" && kill -9 "$pid" 2>/dev/null || true
  done
  rm -f "$spool/port"
}

case $action in
stop)
  stop
  exit 0
  ;;
start) ;;
*)
  echo "usage: $0 start|stop SPOOL" >&2
  exit 2
  ;;
esac

# A port left by an earlier run must not send the tests to a server that is gone.
rm -f "$spool/port"
if [ ! -x /usr/sbin/hfaxd ] || [ ! -x /usr/sbin/faxq ]; then
  echo "SKIPPED: HylaFAX (hylafax-server) is not installed; the tests against a real fax server do not run." \
       "tools/install-deps installs it."
  exit 77
fi
if [ "$(id -u)" != 0 ]; then
  echo "SKIPPED: hfaxd needs root to confine itself to its spool; the tests against a real fax server do not run."
  exit 77
fi
config=/etc/hylafax
[ -f "$config/setup.cache" ] || { echo "no $config/setup.cache: faxsetup has not configured HylaFAX" >&2; exit 1; }

stop
rm -rf "$spool"
mkdir -p "$spool"
for folder in archive bin client config dev docq doneq etc info log pollq recvq sendq status tmp; do
  mkdir "$spool/$folder"
done
cp -a /var/spool/hylafax/bin/. "$spool/bin/"
cp -a "$config/." "$spool/etc/"
echo 127.0.0.1 >"$spool/etc/hosts.hfaxd"
chmod 600 "$spool/etc/hosts.hfaxd"
mkfifo -m 600 "$spool/FIFO"
owner=$(stat -c %U:%G /var/spool/hylafax)
chown -R "$owner" "$spool"
chmod 1777 "$spool/tmp"

port=$(/usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
# Their output goes to files, never to CTest's pipes, which would keep the start from ending.
/usr/sbin/faxq -D -q "$spool" </dev/null >"$spool/log/faxq.out" 2>&1 &
echo $! >"$spool/faxq.pid"
/usr/sbin/hfaxd -d -q "$spool" -l 127.0.0.1 -i "$port" </dev/null >"$spool/log/hfaxd.out" 2>&1 &
echo $! >"$spool/hfaxd.pid"

# Ready once hfaxd greets a client.
for _ in $(seq 100); do
  if { exec 3<>"/dev/tcp/127.0.0.1/$port"; } 2>/dev/null; then
    if read -r -t 2 greeting <&3 && [[ $greeting == 220* ]]; then
      printf 'QUIT\r\n' >&3
      exec 3>&-
      echo "$port" >"$spool/port"
      echo "HylaFAX server on 127.0.0.1:$port, spool $spool: $greeting"
      exit 0
    fi
    exec 3>&-
  fi
  sleep 0.1
done
echo "hfaxd did not answer on 127.0.0.1:$port" >&2
cat "$spool/log/"*.out >&2 || true
stop
exit 1
