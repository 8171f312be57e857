# SPDX-License-Identifier: GPL-3.0-or-later
"""Listens on the accessibility bus (AT-SPI) as a screen reader does and
writes the name changes and text changes it hears, one per line:
APPLICATION|EVENT|NAME. Prints "ready" once listening and ends when it has
heard a name equal to the expected one, or after the time given."""

import sys
import threading

import pyatspi

out_path, expected, seconds = sys.argv[1], sys.argv[2], float(sys.argv[3])
out = open(out_path, 'w', buffering=1)


def heard(event):
    try:
        app = event.host_application.name if event.host_application else ''
        name = event.source.name
    except Exception:  # the object may be gone by now
        return
    out.write('%s|%s|%s\n' % (app, event.type, name))
    if name == expected:
        pyatspi.Registry.stop()


pyatspi.Registry.registerEventListener(heard, 'object:property-change:accessible-name')
timer = threading.Timer(seconds, pyatspi.Registry.stop)
timer.daemon = True  # heard in time: nothing waits for the timer
timer.start()
print('ready', flush=True)
pyatspi.Registry.start()
