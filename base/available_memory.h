#pragma once
// How much memory this process can take without pushing the rest of the
// machine into swap or the kernel's out-of-memory killer.

// The kernel's estimate of the memory available to a new program
// (MemAvailable: free memory and the caches it can drop), at most the
// address-space bound (RLIMIT_AS) when one is set. When /proc/meminfo cannot
// be read, the machine's physical memory. In bytes.
long long AvailableMemoryBytes();
