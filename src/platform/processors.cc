#include "platform/processors.h"

#include <unistd.h>

bool has_second_processor() {
  static const bool second = sysconf(_SC_NPROCESSORS_ONLN) > 1;
  return second;
}
