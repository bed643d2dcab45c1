#pragma once

#include "driver/run_settings.h"
#include "template/display_template.h"

// Reads JLOG_TEMPLATE and the options into `settings` and `tpl` (-T, -M);
// a -t file is parsed when met, and a failed parse ends the program with 1.
// False when the usage text is due (-h, a bad option, no job log name).
bool parse_command_line(int argc, char** argv, RunSettings& settings, DisplayTemplate& tpl);

// Writes the usage text to standard output.
void write_usage(const RunSettings& settings, const DisplayTemplate& tpl);
