#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""What a person and a desktop panel do on an X display, for the desktop tests
(standard library only: Xlib and its XTEST extension through ctypes).

  xclient.py click X Y     a left click at the screen position X, Y
  xclient.py tray          a notification area: takes the system tray
                           selection of screen 0 as a panel does, announces
                           it (MANAGER), prints "ready" and holds it until its
                           standard input closes; then it goes away
"""

import ctypes
import ctypes.util
import sys

xlib = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
xtst = ctypes.CDLL(ctypes.util.find_library("Xtst") or "libXtst.so.6")

Window = ctypes.c_ulong
Atom = ctypes.c_ulong

xlib.XOpenDisplay.restype = ctypes.c_void_p
xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
xlib.XDefaultRootWindow.restype = Window
xlib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
xlib.XCreateSimpleWindow.restype = Window
xlib.XCreateSimpleWindow.argtypes = [ctypes.c_void_p, Window, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                                     ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_ulong]
xlib.XInternAtom.restype = Atom
xlib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
xlib.XSetSelectionOwner.argtypes = [ctypes.c_void_p, Atom, Window, ctypes.c_ulong]
xlib.XGetSelectionOwner.restype = Window
xlib.XGetSelectionOwner.argtypes = [ctypes.c_void_p, Atom]
xlib.XSendEvent.argtypes = [ctypes.c_void_p, Window, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
xlib.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
xlib.XDestroyWindow.argtypes = [ctypes.c_void_p, Window]
xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
xtst.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int, ctypes.c_int, ctypes.c_ulong]
xtst.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]

CLIENT_MESSAGE = 33
STRUCTURE_NOTIFY_MASK = 1 << 17


class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", Window), ("message_type", Atom),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class Event(ctypes.Union):
    _fields_ = [("type", ctypes.c_int), ("xclient", ClientMessage), ("pad", ctypes.c_long * 24)]


def open_display():
    display = xlib.XOpenDisplay(None)
    if not display:
        sys.exit("xclient: cannot open the display")
    return display


def click(x, y):
    display = open_display()
    xtst.XTestFakeMotionEvent(display, 0, x, y, 0)
    xlib.XSync(display, 0)
    xtst.XTestFakeButtonEvent(display, 1, 1, 0)
    xtst.XTestFakeButtonEvent(display, 1, 0, 50)
    xlib.XSync(display, 0)
    xlib.XCloseDisplay(display)


def tray():
    display = open_display()
    root = xlib.XDefaultRootWindow(display)
    owner = xlib.XCreateSimpleWindow(display, root, -1, -1, 1, 1, 0, 0, 0)
    selection = xlib.XInternAtom(display, b"_NET_SYSTEM_TRAY_S0", 0)
    xlib.XSetSelectionOwner(display, selection, owner, 0)
    if xlib.XGetSelectionOwner(display, selection) != owner:
        sys.exit("xclient: the tray selection is taken")
    event = Event()
    event.xclient.type = CLIENT_MESSAGE
    event.xclient.window = root
    event.xclient.message_type = xlib.XInternAtom(display, b"MANAGER", 0)
    event.xclient.format = 32
    event.xclient.data[0] = 0
    event.xclient.data[1] = selection
    event.xclient.data[2] = owner
    xlib.XSendEvent(display, root, 0, STRUCTURE_NOTIFY_MASK, ctypes.byref(event))
    xlib.XSync(display, 0)
    print("ready", flush=True)
    sys.stdin.read()
    # The panel goes away: its window with it.
    xlib.XDestroyWindow(display, owner)
    xlib.XSync(display, 0)
    xlib.XCloseDisplay(display)


if __name__ == "__main__":
    if len(sys.argv) == 4 and sys.argv[1] == "click":
        click(int(sys.argv[2]), int(sys.argv[3]))
    elif len(sys.argv) == 2 and sys.argv[1] == "tray":
        tray()
    else:
        sys.exit(__doc__)
