#!/bin/sh
# Runs a command on the current X display (xvfb-run's) under a window manager, as on a
# desktop: openbox frames, places and focuses the windows. The manager is stopped afterwards
# and the command's status returned.
openbox --sm-disable >/dev/null 2>&1 &
manager=$!
# The manager announces itself on the root window once it manages the display.
tries=0
while ! xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; do
  tries=$((tries + 1))
  if [ "$tries" -gt 100 ]; then
    echo "with-window-manager: openbox did not start" >&2
    kill "$manager" 2>/dev/null
    exit 1
  fi
  sleep 0.1
done
"$@"
status=$?
kill "$manager" 2>/dev/null
wait "$manager" 2>/dev/null
exit $status
