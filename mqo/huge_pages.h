#pragma once
// Asks the kernel to back a large buffer with huge pages where it offers them
// on request only. Filling a million-face list through 4 KiB pages costs a
// quarter of a whole load in page faults; with 2 MiB pages it costs almost
// nothing. Only advice: nothing changes when the kernel declines.

#include <cstddef>

void AdviseHugePages(void* data, std::size_t bytes);
