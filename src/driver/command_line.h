#pragma once

#include <string>

#include "driver/run_settings.h"
#include "template/display_template.h"

// What the command line asks of the run.
enum class CommandLine {
  kRun,         // show the job logs named
  kHelp,        // -h or --help: the usage text on standard output, status 0
  kVersion,     // --version: "jobview VERSION" on standard output, status 0
  kUsageError,  // a bad option or no job log name: the usage text on standard error, status 1
  kFailed,      // a -t file that could not be read or parsed: status 1
};

// Reads JLOG_TEMPLATE and the options into `settings` and `tpl` (-T, -M);
// a -t file is parsed when met.
CommandLine parse_command_line(int argc, char** argv, RunSettings& settings, DisplayTemplate& tpl);

// The usage text, which shows the settings in force when it is asked for.
std::string usage_text(const RunSettings& settings, const DisplayTemplate& tpl);

// What -h and --help write: the usage text, then a line for each long option.
std::string help_text(const RunSettings& settings, const DisplayTemplate& tpl);

// What --version writes.
std::string version_text();
