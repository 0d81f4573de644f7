#include "files/c_numeric_locale.h"

namespace {
locale_t cLocale() {
  static const locale_t locale = ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  return locale;
}
}  // namespace

CNumericLocale::CNumericLocale() : previous_(::uselocale(cLocale())) {}

CNumericLocale::~CNumericLocale() {
  ::uselocale(previous_);
}
