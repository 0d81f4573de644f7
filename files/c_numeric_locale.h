// File contents are written and read with a decimal point whatever the user's locale says:
// while a guard lives, this thread formats and scans numbers as the "C" locale does.
#pragma once

#include <locale.h>

class CNumericLocale {
 public:
  CNumericLocale();
  ~CNumericLocale();
  CNumericLocale(const CNumericLocale&) = delete;
  CNumericLocale& operator=(const CNumericLocale&) = delete;

 private:
  locale_t previous_;
};
