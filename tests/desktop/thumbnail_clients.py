#!/usr/bin/python3
"""Asks a desktop's own thumbnail client for a picture of each model, as a
file manager does, and checks that each picture shows something.

  thumbnail_clients.py gnome MODEL...     GNOME's thumbnail factory
  thumbnail_clients.py tumbler MODEL...   tumbler, over the session bus

One line per model; status 1 when any model has no picture or a picture
without a single visible pixel."""
import hashlib
import os
import sys

import gi

gi.require_version("GdkPixbuf", "2.0")
from gi.repository import GdkPixbuf, Gio, GLib  # noqa: E402

MIME = "model/x-mqo"


def visible(pixbuf):
    if pixbuf is None:
        return False
    if not pixbuf.get_has_alpha():
        return True
    pixels = pixbuf.get_pixels()
    stride, channels = pixbuf.get_rowstride(), pixbuf.get_n_channels()
    return any(pixels[y * stride + x * channels + 3]
               for y in range(pixbuf.get_height()) for x in range(pixbuf.get_width()))


def uri_of(path):
    return Gio.File.new_for_path(os.path.abspath(path)).get_uri()


def by_gnome(models):
    gi.require_version("GnomeDesktop", "3.0")
    from gi.repository import GnomeDesktop
    factory = GnomeDesktop.DesktopThumbnailFactory.new(GnomeDesktop.DesktopThumbnailSize.NORMAL)
    results = {}
    for model in models:
        uri = uri_of(model)
        if not factory.can_thumbnail(uri, MIME, int(os.stat(model).st_mtime)):
            results[model] = "the factory knows no thumbnailer for " + MIME
            continue
        try:
            results[model] = factory.generate_thumbnail(uri, MIME, None)
        except GLib.Error as error:
            results[model] = error.message
    return results


def by_tumbler(models, seconds=120):
    bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    uris = {uri_of(model): model for model in models}
    pending = set(uris)
    errors = {}
    loop = GLib.MainLoop()

    def on_signal(_bus, _sender, _path, _interface, signal, parameters):
        if signal == "Ready":
            pending.difference_update(parameters[1])
        elif signal == "Error":
            for uri in parameters[1]:
                errors[uri] = parameters[3]
            pending.difference_update(parameters[1])
        if not pending:
            loop.quit()

    bus.signal_subscribe(None, "org.freedesktop.thumbnails.Thumbnailer1", None,
                         "/org/freedesktop/thumbnails/Thumbnailer1", None, Gio.DBusSignalFlags.NONE, on_signal)
    bus.call_sync("org.freedesktop.thumbnails.Thumbnailer1", "/org/freedesktop/thumbnails/Thumbnailer1",
                  "org.freedesktop.thumbnails.Thumbnailer1", "Queue",
                  GLib.Variant("(asasssu)", (list(uris), [MIME] * len(uris), "normal", "default", 0)),
                  GLib.VariantType("(u)"), Gio.DBusCallFlags.NONE, 30000, None)
    GLib.timeout_add_seconds(seconds, loop.quit)
    loop.run()
    cache = os.path.join(GLib.get_user_cache_dir(), "thumbnails", "normal")
    results = {}
    for uri, model in uris.items():
        picture = os.path.join(cache, hashlib.md5(uri.encode()).hexdigest() + ".png")
        if uri in errors:
            results[model] = errors[uri]
        elif uri in pending:
            results[model] = "neither Ready nor Error within %d s" % seconds
        elif not os.path.exists(picture):
            results[model] = "Ready, but no " + picture
        else:
            results[model] = GdkPixbuf.Pixbuf.new_from_file(picture)
    return results


def main():
    client, models = sys.argv[1], sys.argv[2:]
    results = (by_gnome if client == "gnome" else by_tumbler)(models)
    failed = 0
    for model in models:
        result = results[model]
        if isinstance(result, GdkPixbuf.Pixbuf) and visible(result):
            print("%s: %s: %dx%d" % (client, model, result.get_width(), result.get_height()))
        else:
            failed += 1
            reason = result if isinstance(result, str) else "a picture with nothing visible" if result else "no picture"
            print("%s: %s: FAILED: %s" % (client, model, reason))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
