#include "driver/command_line.h"

// Placeholder until the command line lands.
bool parse_command_line(int, char**, RunSettings&, DisplayTemplate&) { return false; }
void write_usage(const RunSettings&, const DisplayTemplate&) {}
