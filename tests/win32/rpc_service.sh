#!/usr/bin/env bash
# Brings up the RPC service of the test prefix, which keeps the running object table that Word and
# the add-in's commands find each other through. The first start after the prefix was made can
# leave two service managers running, neither of which ever starts the RPC service: the wine server
# is started afresh (and kept for the rest of the run), then the service is started and awaited.
set -uo pipefail
. "$(dirname "$0")/../../cmake/wine-tools.sh"
server=/usr/lib/wine/wineserver
"$server" -k 2>/dev/null
"$server" -w 2>/dev/null
"$server" -p </dev/null >/dev/null 2>&1
"$wine64" sc start rpcss >/dev/null 2>&1
for _ in $(seq 60); do
  if "$wine64" sc query rpcss 2>/dev/null | tr -d '\r' | grep -q 'STATE *: 4 *RUNNING'; then
    echo "ok: RPC service running"
    exit 0
  fi
  sleep 1
done
echo "FAIL: the RPC service did not start"
exit 1
