// Resident memory from /proc/self/statm: its second field is the resident page count.
#include "process_memory.h"

#include <cstdio>
#include <unistd.h>

size_t ResidentBytes() {
  std::FILE* statm = std::fopen("/proc/self/statm", "r");
  if (statm == nullptr) return 0;
  unsigned long size = 0, resident = 0;
  int read = std::fscanf(statm, "%lu %lu", &size, &resident);
  std::fclose(statm);
  if (read != 2) return 0;
  long page = sysconf(_SC_PAGESIZE);
  return page > 0 ? size_t(resident) * size_t(page) : 0;
}
