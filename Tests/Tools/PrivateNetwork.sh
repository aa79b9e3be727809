#!/bin/sh
# Runs a test program in a network namespace of its own, with only a loopback
# interface, where the machine allows it: a RemoteConsole (or anything else)
# listening on this machine's port 7500 then neither breaks the test nor sees
# its messages. Elsewhere the program runs as it is, in the machine's network.
#   PrivateNetwork.sh PROGRAM [ARGUMENTS...]
if [ "$(id -u)" = 0 ]; then
  namespace="unshare --net"
else
  namespace="unshare --user --map-root-user --net"
fi
if command -v unshare >/dev/null 2>&1 && command -v ip >/dev/null 2>&1 &&
   $namespace ip link set lo up >/dev/null 2>&1; then
  exec $namespace sh -c 'ip link set lo up && VEXIR_TEST_PRIVATE_NETWORK=1 exec "$@"' sh "$@"
fi
exec "$@"
