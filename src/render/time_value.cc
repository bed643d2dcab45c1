#include "render/time_value.h"

#include <ctime>

#include "platform/generalized_time.h"

void format_time_value(const char* value, const char* format, std::string& out) {
  out.clear();
  const std::time_t seconds = oa_epoch_from_generalized(value);
  std::tm local;
  if (localtime_r(&seconds, &local) == nullptr) return;
  char text[255];
  const size_t length = std::strftime(text, sizeof text, format, &local);
  out.assign(text, length);
}
