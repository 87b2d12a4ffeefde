#pragma once
// One run of the installed lumenspin-thumbnailer, for the Dolphin plugin.

#include <QImage>
#include <QString>

// The thumbnailer installed beside the plugin (the same prefix), found from
// the plugin's own file; empty when it is not there.
QString InstalledThumbnailer();

// The picture that THUMBNAILER draws of the local file MODEL at SIDE pixels,
// or a null image when it refuses the model, fails, or outlives WALL_MS (it
// is then killed). Nothing is left in the file system either way: the
// picture is written into an anonymous memory file.
QImage RunThumbnailer(const QString& thumbnailer, const QString& model, int side, int wallMs);
