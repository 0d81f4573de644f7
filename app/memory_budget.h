// Guards against counts whose buffers the machine cannot hold: allocation on this platform
// succeeds lazily, and running out later gets the program killed, so the counts are checked
// against the free physical memory before any buffer is sized for them.
#pragma once

#include <cstdint>
#include <string>

// True when `doubles` more doubles fit comfortably into the memory still free.
bool fitsInMemory(int64_t doubles);

// Doubles a recompute holds per mesh point at most: the three mesh buffers and a basis's
// node and weight tables.
constexpr int64_t doublesPerMeshPoint = 8;

// The message shown when counts are refused.
std::string memoryRefusal(int32_t termCount, int32_t meshCount);
