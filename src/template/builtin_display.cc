#include <string>

#include "template/display_template.h"

// The lists are built from tables: a list of DisplayItem written out item by
// item costs several kilobytes of code, and the devices have little flash.
DisplayTemplate builtin_display() {
  const std::string rule = "\n" + std::string(80, '=') + "\n";
  DisplayTemplate tpl;
  for (const char* line :
       {rule.c_str(),
        "       Owner                            JobType  MediaCnt DocCnt   Submitted\n",
        " Ident Status                           ProcTime   Size    Copy    Completed",
        rule.c_str()}) {
    tpl.header_lines.emplace_back().trailing_text = line;
  }
  static const struct {
    const char* attribute;
    const char* width;
    const char* trailing;
    ValueKind kind;
  } kFields[] = {
      {"job-identifier", "6.6", " ", ValueKind::kNone},
      {"user-name", "-32.32", " ", ValueKind::kNone},
      {"job-type", "7.7", "    ", ValueKind::kNone},
      {"media-sheets-completed", "6.6", "  ", ValueKind::kNone},
      {"number-of-documents", "3.3", "  ", ValueKind::kNone},
      {"submission-time", "16", "\n       ", ValueKind::kTime},
      {"job-state-reasons", "-32.32", " ", ValueKind::kNone},
      {"processing-time", "7.7", "  ", ValueKind::kNone},
      {"total-job-octets", "8.8", "  ", ValueKind::kNone},
      {"job-copy-count", "3.3", "  ", ValueKind::kNone},
      {"completion-time", "16", "\n      *", ValueKind::kTime},
      {"job-name", "-72", "", ValueKind::kNone},
  };
  for (const auto& field : kFields) {
    DisplayItem& item = tpl.job_items.emplace_back();
    item.attribute_name = field.attribute;
    item.field_width = field.width;
    item.trailing_text = field.trailing;
    item.value_kind = field.kind;
    if (field.kind == ValueKind::kTime) item.value_format = kDefaultTimeFormat;
  }
  tpl.job_items.back().trailing_text = "\n" + std::string(80, '-') + "\n";
  return tpl;
}
