#!/usr/bin/env python3
"""A desktop notification service on the session bus that takes every
notice and never answers, as a hung one would: each notice's body is
appended to NOTICES (its lines joined with " | "), and READY is created once
the service owns its name.
    silent_notifications.py NOTICES READY
"""
import sys

from gi.repository import Gio, GLib

INTERFACE = """<node><interface name="org.freedesktop.Notifications">
<method name="Notify">
<arg type="s" direction="in"/><arg type="u" direction="in"/><arg type="s" direction="in"/>
<arg type="s" direction="in"/><arg type="s" direction="in"/><arg type="as" direction="in"/>
<arg type="a{sv}" direction="in"/><arg type="i" direction="in"/><arg type="u" direction="out"/>
</method></interface></node>"""

held = []  # calls kept unanswered: the caller waits until its own timeout


def on_call(connection, sender, path, interface, method, parameters, invocation):
    body = parameters.unpack()[4]
    with open(sys.argv[1], "a", encoding="utf-8") as notices:
        notices.write(body.replace("\n", " | ") + "\n")
    held.append(invocation)


def on_bus(connection, name):
    info = Gio.DBusNodeInfo.new_for_xml(INTERFACE).interfaces[0]
    connection.register_object("/org/freedesktop/Notifications", info, on_call)


def on_name(connection, name):
    open(sys.argv[2], "w").close()


Gio.bus_own_name(Gio.BusType.SESSION, "org.freedesktop.Notifications", Gio.BusNameOwnerFlags.NONE,
                 on_bus, on_name, None)
GLib.MainLoop().run()
