#!/usr/bin/env bash
# with-xvfb.sh COMMAND [ARG...]
#
# Runs COMMAND on a private X server: starts Xvfb on a display it picks itself
# (so parallel runs never collide), runs COMMAND there with Qt's xcb platform
# and stops the server on every path out. Focus, activation and modal loops
# behave on a real X server as they do for users, which the offscreen platform
# only imitates.
#
# XVFB_TEST_TIMEOUT (seconds, default 540) bounds COMMAND; it stays below the
# test's own CTest time-out so that this script, not CTest, ends a hung test and
# can still stop its server.
set -uo pipefail

if [ $# -eq 0 ]; then
  echo "usage: $0 COMMAND [ARG...]" >&2
  exit 2
fi
if ! command -v Xvfb >/dev/null || ! command -v xauth >/dev/null; then
  echo "$0: Xvfb and xauth are needed (Debian packages xvfb, xauth; scripts/install-deps.sh installs them)" >&2
  exit 1
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/xvfb.XXXXXX") || exit 1
xvfb_pid=""
watchdog_pid=""
child_pid=""

cleanup() {
  if [ -n "$child_pid" ]; then
    kill "$child_pid" 2>/dev/null
    wait "$child_pid" 2>/dev/null
  fi
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  fi
  if [ -n "$watchdog_pid" ]; then
    kill "$watchdog_pid" 2>/dev/null
    wait "$watchdog_pid" 2>/dev/null
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# Only clients holding this cookie may use the server.
cookie=$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')
xauth -q -f "$work/server.auth" add ":0" . "$cookie" 2>/dev/null || exit 1

# -noreset: a command that runs programs one after another (bench/run-all)
# must not meet the server resetting itself as the last of them leaves.
Xvfb -displayfd 3 -auth "$work/server.auth" -nolisten tcp -noreset -screen 0 1280x1024x24 \
  3>"$work/display" >/dev/null 2>"$work/xvfb.log" </dev/null &
xvfb_pid=$!

# Should this script be killed outright, the server must not outlive it.
(
  while kill -0 $$ 2>/dev/null; do sleep 1; done
  kill "$xvfb_pid" 2>/dev/null
  sleep 1
  rm -rf "$work"
) >/dev/null 2>&1 </dev/null &
watchdog_pid=$!

display=""
for _ in $(seq 1 100); do
  display=$(tr -dc '0-9' <"$work/display" 2>/dev/null)
  [ -n "$display" ] && break
  if ! kill -0 "$xvfb_pid" 2>/dev/null; then break; fi
  sleep 0.1
done
if [ -z "$display" ]; then
  echo "$0: Xvfb did not start:" >&2
  cat "$work/xvfb.log" >&2
  exit 1
fi

export XAUTHORITY="$work/client.auth"
xauth -q -f "$XAUTHORITY" add ":$display" . "$cookie" 2>/dev/null || exit 1
export DISPLAY=":$display"
export QT_QPA_PLATFORM=xcb
# The private display has no session bus of its own: Qt must not reach the
# user's (nor try to start one).
export DBUS_SESSION_BUS_ADDRESS=disabled:

# In the background, so that a signal to this script is handled at once.
timeout --kill-after=10 "${XVFB_TEST_TIMEOUT:-540}" "$@" &
child_pid=$!
wait "$child_pid"
status=$?
child_pid=""
if [ "$status" -eq 124 ]; then
  echo "$0: $1 did not end within ${XVFB_TEST_TIMEOUT:-540} seconds" >&2
fi
exit "$status"
