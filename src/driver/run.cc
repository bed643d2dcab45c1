#include "driver/run.h"

// Placeholder until the run driver lands.
int run(int, char**) { return 0; }
int finish_output(int status) { return status; }
