// The running process's resident memory, as the kernel counts it (/proc/self/statm), for the soak's
// check that long sessions do not grow.
#pragma once

#include <cstddef>

// Resident bytes now; 0 when the kernel does not say.
size_t ResidentBytes();
