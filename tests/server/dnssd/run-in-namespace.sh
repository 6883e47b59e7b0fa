#!/usr/bin/env bash
# Runs a test program with a DNS-SD daemon of its own: in private network, mount and process
# namespaces, with only the loopback interface, a private system bus and /run on a tmpfs. Nothing
# leaves the namespace and everything in it ends with it. Exits 77 (skipped) where namespaces or
# the daemons are not available.
set -uo pipefail
CONF="$1"; shift
command -v unshare >/dev/null && command -v avahi-daemon >/dev/null && command -v dbus-daemon >/dev/null || exit 77
unshare --net --mount --pid --fork --mount-proc true 2>/dev/null || exit 77
exec unshare --net --mount --pid --fork --mount-proc bash -c '
  set -e
  ip link set lo up
  ip link set lo multicast on
  mount -t tmpfs tmpfs /run
  mkdir -p /run/dbus /run/avahi-daemon
  dbus-daemon --system --fork
  avahi-daemon -D --no-chroot -f "$0" || exit 77
  for i in $(seq 50); do avahi-browse -at >/dev/null 2>&1 && break; sleep 0.1; done
  "$@"
' "$CONF" "$@"
