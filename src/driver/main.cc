#include <cstdlib>

#include "driver/run.h"

int main(int argc, char** argv) { return finish_output(run(argc, argv)); }
