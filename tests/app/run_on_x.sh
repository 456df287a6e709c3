#!/bin/sh
# Runs a test on a virtual X server, on a session bus of its own with the
# accessibility bus running, so that the program talks to AT-SPI as it does
# on a desktop with a screen reader.
exec dbus-run-session -- sh -c '
    /usr/libexec/at-spi-bus-launcher &
    launcher=$!
    xvfb-run -a "$@"
    status=$?
    kill "$launcher" 2>/dev/null
    exit $status
' run_on_x "$@"
