// memory.cpp -- the process's resident memory, from the kernel's own account
#include <cstdio>
#include <cstring>

#include "platform/platform.h"

MemoryUse memoryUse()
{
    MemoryUse use;
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (!status) return use;
    char line[256];
    while (std::fgets(line, sizeof line, status)) {
        if (std::strncmp(line, "VmRSS:", 6) == 0) std::sscanf(line + 6, "%ld", &use.residentKb);
        if (std::strncmp(line, "VmHWM:", 6) == 0) std::sscanf(line + 6, "%ld", &use.peakKb);
    }
    std::fclose(status);
    return use;
}
