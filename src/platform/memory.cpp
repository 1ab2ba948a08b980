// memory.cpp -- the process's resident memory and processor time, from the kernel's own account
#include <cstdio>
#include <cstring>
#include <ctime>

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

double processCpuMilliseconds()
{
    timespec t{};
    if (clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t) != 0) return 0;
    return static_cast<double>(t.tv_sec) * 1000.0 + static_cast<double>(t.tv_nsec) / 1e6;
}
