#pragma once
// For the programs that run without a person at a terminal (the thumbnailer,
// the converter): the reader and the image readers print fixed messages on
// standard output, and nothing may wait for input, so both go to /dev/null.
// The reasons, on standard error, stay.

void QuietStandardStreams();
