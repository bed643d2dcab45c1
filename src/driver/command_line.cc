#include "driver/command_line.h"

#include <getopt.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "diag/diagnostics.h"
#include "select/job_selection.h"
#include "select/time_words.h"
#include "template/template_parser.h"

namespace {

// Long options without a letter, numbered beyond every option letter.
enum LongOnly {
  kVersionOption = 256,
  kMatchOption,
  kOwnerOption,
  kStateOption,
  kSinceOption,
  kUntilOption,
  kJsonOption,
  kCursorFileOption,
  kWaitOption,
};

const char* base_name(const char* path) {
  const char* slash = std::strrchr(path, '/');
  return slash != nullptr ? slash + 1 : path;
}

long read_number(const char* text) { return std::strtol(text, nullptr, 10); }

// A whole number of seconds, digits only: a sign, blanks or a unit would be
// read by strtol as something else than was meant.
bool read_wait(const char* text, long& seconds) {
  if (*text == '\0' || std::strspn(text, "0123456789") != std::strlen(text)) return false;
  errno = 0;
  seconds = std::strtol(text, nullptr, 10);
  return errno == 0;
}

// The setting is an int; an argument beyond its range keeps the nearest end
// instead of wrapping into a different number.
int clamp_to_int(long value) {
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

// The fill repeats the argument's first character as far as any value may reach.
void set_missing_fill(DisplayTemplate& tpl, const char* argument) {
  if (*argument == '\0') {
    tpl.missing_fill.reset();
  } else {
    tpl.missing_fill = std::string(254, *argument);
  }
}

// A message about an option concerns no template line, even after -t.
bool refuse(const char* format, const char* argument) {
  static ReaderContext no_location;
  set_context(&no_location);
  error(format, argument);
  return false;
}

bool check_match(const char* argument) {
  return is_match_text(argument) || refuse("Unrecognized match '%s'.\n", argument);
}

bool check_time(const char* argument) {
  int64_t seconds;
  return read_time_word(argument, std::time(nullptr), seconds) ||
         refuse("Unrecognized time '%s'.\n", argument);
}

}  // namespace

CommandLine parse_command_line(int argc, char** argv, RunSettings& settings, DisplayTemplate& tpl) {
  settings.program_name = base_name(argc > 0 && argv[0] != nullptr ? argv[0] : "jobview");
  settings.template_name = std::getenv("JLOG_TEMPLATE");

  // The long options are read with the short ones, so the C library reports
  // an unknown one and takes abbreviations such as --vers.
  static const option kLongOptions[] = {
      {"help", no_argument, nullptr, 'h'},
      {"version", no_argument, nullptr, kVersionOption},
      {"match", required_argument, nullptr, kMatchOption},
      {"owner", required_argument, nullptr, kOwnerOption},
      {"state", required_argument, nullptr, kStateOption},
      {"since", required_argument, nullptr, kSinceOption},
      {"until", required_argument, nullptr, kUntilOption},
      {"json", no_argument, nullptr, kJsonOption},
      {"cursor-file", required_argument, nullptr, kCursorFileOption},
      {"wait", required_argument, nullptr, kWaitOption},
      {"follow", no_argument, nullptr, 'f'},
      {nullptr, 0, nullptr, 0}};
  bool template_option = false;
  bool max_jobs_option = false;
  optind = 0;  // a full restart of getopt, so the command line can be read more than once
  int option;
  while ((option = getopt_long(argc, argv, "fhl:m:M:r:Rs:St:T:", kLongOptions, nullptr)) != -1) {
    switch (option) {
      case 'f':
        settings.follow = true;
        break;
      case 'h':
        return CommandLine::kHelp;
      case kVersionOption:
        return CommandLine::kVersion;
      case 'l':
        if (const int lines = clamp_to_int(read_number(optarg)); lines != 0) {
          settings.display_lines = lines;
        }
        break;
      case 'm':
        max_jobs_option = true;
        if (const long max_jobs = read_number(optarg); max_jobs != 0) settings.max_jobs = max_jobs;
        break;
      case 'M':
        set_missing_fill(tpl, optarg);
        break;
      case 'r':
        settings.job_count = read_number(optarg);
        break;
      case 'R':
        settings.raw = true;
        break;
      case 's':
        settings.start_after = read_number(optarg);
        break;
      case 'S':
        settings.stamp = true;
        break;
      case 't':
        if (!parse_template(optarg, tpl)) return CommandLine::kFailed;
        settings.template_name = optarg;
        template_option = true;
        break;
      case 'T':
        tpl.default_time_format = optarg;
        break;
      case kMatchOption:
        if (!check_match(optarg)) return CommandLine::kFailed;
        settings.matches.emplace_back(optarg);
        break;
      case kOwnerOption:
        settings.matches.push_back(std::string("user-name=") + optarg);
        break;
      case kStateOption:
        settings.matches.push_back(std::string("job-state-reasons=*") + optarg + "*");
        break;
      case kSinceOption:
        if (!check_time(optarg)) return CommandLine::kFailed;
        settings.since = optarg;
        break;
      case kUntilOption:
        if (!check_time(optarg)) return CommandLine::kFailed;
        settings.until = optarg;
        break;
      case kJsonOption:
        settings.json = true;
        break;
      case kCursorFileOption:
        settings.cursor_file = optarg;
        break;
      case kWaitOption:
        if (!read_wait(optarg, settings.wait_seconds)) {
          note(std::string("Unrecognized wait '") + optarg + "'.\n");
          return CommandLine::kFailed;
        }
        break;
      default:  // an unknown option or a missing argument (getopt has said which)
        return CommandLine::kUsageError;
    }
  }
  // Each line of --json stands for one record: a template, raw records or
  // the stamp line would break that.
  if (settings.json && (template_option || settings.raw || settings.stamp)) {
    note("Option --json cannot be used with -t, -R or -S.\n");
    return CommandLine::kUsageError;
  }
  // Jobs left out by a limit would count as shown in the next run.
  if (settings.cursor_file != nullptr && max_jobs_option) {
    note("Option --cursor-file cannot be used with -m.\n");
    return CommandLine::kUsageError;
  }
  settings.logs.assign(argv + optind, argv + argc);
  return settings.logs.empty() ? CommandLine::kUsageError : CommandLine::kRun;
}

std::string version_text() { return "jobview " JOBVIEW_VERSION "\n"; }

std::string usage_text(const RunSettings& settings, const DisplayTemplate& tpl) {
  std::string text = "\nUsage: ";
  text += settings.program_name;
  text +=
      " [-l displayLines] [-m maxJobs] [-M fill] \\\n"
      "              [-r jobCnt] [-R] [-S]\n"
      "              [-s startRecord] [-T timeFormat] \\\n"
      "              [-t displayTemplate] job_log ...\n"
      "\n"
      "   -l number of display lines (default ";
  text += std::to_string(settings.display_lines);
  text +=
      ").\n"
      "   -M missing fill character (default '?', '' means omit missing field).\n"
      "   -m maximum number of jobs to display.\n"
      "   -R display raw job_log record.\n"
      "   -r repeat display header after 'n' jobs.\n"
      "   -S precede output with unique identification stamp.\n"
      "   -s start-after job record in first job_log (default 0).\n"
      "   -T time format (using strftime notation, default \"";
  text += tpl.default_time_format;
  text +=
      "\").\n"
      "   -t display template file.\n"
      "\n"
      "  The display template can also be specified by the environment\n"
      "  variable JLOG_TEMPLATE (-t option takes precedence over the\n"
      "  environment variable). If the display template is not mentioned\n"
      "  by either method, an attempt is made to locate '";
  text += kDefaultTemplateName;
  text +=
      "'\n"
      "  in the current directory or the directory mentioned in\n"
      "  the environment variable SESSPATH. If all these attempts to\n"
      "  locate a display template fail, the program will use an\n"
      "  internal default display.\n"
      "\n";
  return text;
}

std::string help_text(const RunSettings& settings, const DisplayTemplate& tpl) {
  return usage_text(settings, tpl) +
         "Long options:\n"
         "   --match NAME=PATTERN  show only jobs whose attribute NAME matches PATTERN.\n"
         "   --owner PATTERN       show only jobs whose owner matches PATTERN.\n"
         "   --state PATTERN       show only jobs whose state reasons contain PATTERN.\n"
         "   --since TIME          show only jobs completed at or after TIME.\n"
         "   --until TIME          show only jobs completed before TIME.\n"
         "   --json                write every attribute of each record as a JSON line.\n"
         "   --cursor-file FILE    show only records not shown before; FILE remembers.\n"
         "   --wait SECONDS        give up when the lock is not free within SECONDS.\n"
         "   -f, --follow          show new jobs as they arrive.\n"
         "   --help                display this help text.\n"
         "   --version             display the version.\n"
         "\n";
}
