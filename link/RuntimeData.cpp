#include "link/RuntimeData.h"

#include <cstring>

unsigned char g_runtimeData[kRuntimeDataCapacity] = {};

void loadRuntimeData(const unsigned char* bytes, size_t n)
{
    if (n > kRuntimeDataCapacity)
        n = kRuntimeDataCapacity;
    std::memset(g_runtimeData, 0, sizeof g_runtimeData);
    if (bytes && n > 0)
        std::memcpy(g_runtimeData, bytes, n);
}
