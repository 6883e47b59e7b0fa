#!/usr/bin/env bash
# Runs the discovery test inside a private network, mount and process namespace that has only the
# loopback interface, with its own system bus and an avahi-daemon limited to lo, so no multicast
# ever leaves it. Exits 77 (skipped) where namespaces are refused.
#   dnssd-namespace.sh TEST_BINARY AVAHI_CONF [gtest arguments...]
set -u
if ! unshare --net --mount --pid --fork --mount-proc true 2>/dev/null; then
  echo "network namespaces are refused on this machine: skipping the DNS-SD test"
  exit 77
fi
for tool in dbus-daemon avahi-daemon avahi-publish ip; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed: skipping the DNS-SD test"; exit 77; }
done
exec unshare --net --mount --pid --fork --mount-proc bash -euc '
  binary=$1; conf=$2; shift 2
  ip link set lo up
  ip link set lo multicast on
  mount -t tmpfs tmpfs /run
  mkdir -p /run/dbus
  dbus-daemon --system --fork
  avahi-daemon -D --no-chroot -f "$conf"
  export KESTOR_DNSSD_NAMESPACE=1 KESTOR_AVAHI_CONF="$conf"
  "$binary" "$@"
' dnssd "$@"
