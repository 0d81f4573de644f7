// scanf's "%d" for one count, saturating at the 32-bit range instead of overflowing.
#pragma once

#include <cstdint>

// Skips white space, reads an optionally signed decimal integer starting at text and stores it
// in value. Returns the first character after the number, or nullptr (value untouched) when
// there is no number.
const char* scanCount(const char* text, int32_t& value);
