#include "platform/LocalDate.h"

#include <locale.h>
#include <time.h>

#include <limits>

namespace tp {

std::string LocalDateText(int64_t secondsSinceEpoch) {
  if (secondsSinceEpoch < std::numeric_limits<time_t>::min() || secondsSinceEpoch > std::numeric_limits<time_t>::max())
    return {};
  const time_t t = time_t(secondsSinceEpoch);
  tzset();
  struct tm local {};
  if (!localtime_r(&t, &local)) return {};
  // The user's date format; a locale that is not installed falls back to the C one.
  locale_t user = newlocale(LC_TIME_MASK, "", locale_t(0));
  if (!user) user = newlocale(LC_TIME_MASK, "C", locale_t(0));
  if (!user) return {};
  char text[128];
  const size_t n = strftime_l(text, sizeof text, "%x", &local, user);
  freelocale(user);
  return std::string(text, n);
}

}  // namespace tp
