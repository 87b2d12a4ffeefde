#pragma once
// The window's picture saved as a PNG file (F12 as modelled): into the
// user's pictures folder, named after the model and the moment, never over
// a file that is there.

#include <ctime>
#include <string>
#include <vector>

// The user's pictures folder as `xdg-user-dir PICTURES` names it, else the
// home folder; empty when neither is a folder.
std::string PicturesFolder();

// "NAME-YYYYMMDD-HHMMSS.png": the model's file name without its extension,
// then the local time; with a count above 1, "-COUNT" before ".png".
std::string ScreenshotName(const std::string& modelPath, std::time_t when, int count = 1);

// Writes width x height RGBA pixels (top row first) as a PNG in folder under
// the first free name of ScreenshotName's; true with its path, or false
// with the reason. An existing file is never opened for writing.
bool SaveScreenshot(const std::string& folder, const std::string& modelPath, std::time_t when,
                    const std::vector<unsigned char>& rgba, int width, int height, std::string& path,
                    std::string& reason);

// Reads the window's front buffer and saves it, saying where on standard
// error (and in a notice from the desktop). Needs the window's context.
void TakeScreenshot(const std::string& modelPath);
