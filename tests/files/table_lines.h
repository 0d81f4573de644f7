// The lines the table writer writes, formed here from the two printf patterns of the table
// formats, for tests that build files or compare them.
#pragma once

#include <cstdint>
#include <string>

#include "app/text_format.h"
#include "files/c_numeric_locale.h"

inline std::string tableLine(double first, double second) {
  const CNumericLocale point;
  return format(" %30.20lg %30.20lg\n", first, second);
}

inline std::string coefficientTableLine(double coefficient, int32_t index) {
  const CNumericLocale point;
  return format(" %30.10lg %d \n", coefficient, index);
}
