#include "platform/generalized_time.h"

// Placeholder until the time conversion lands.
std::time_t oa_epoch_from_generalized(const char*) { return 0; }
