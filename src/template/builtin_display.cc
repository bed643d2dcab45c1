#include <string>

#include "template/display_template.h"

namespace {

DisplayItem text_line(std::string text) {
  DisplayItem item;
  item.trailing_text = std::move(text);
  return item;
}

DisplayItem field(const char* attribute, const char* width, std::string trailing,
                  ValueKind kind = ValueKind::kNone) {
  DisplayItem item;
  item.attribute_name = attribute;
  item.field_width = width;
  item.trailing_text = std::move(trailing);
  item.value_kind = kind;
  if (kind == ValueKind::kTime) item.value_format = kDefaultTimeFormat;
  return item;
}

}  // namespace

DisplayTemplate builtin_display() {
  const std::string rule = "\n" + std::string(80, '=') + "\n";
  DisplayTemplate tpl;
  tpl.header_lines = {
      text_line(rule),
      text_line("       Owner                            JobType  MediaCnt DocCnt   Submitted\n"),
      text_line(" Ident Status                           ProcTime   Size    Copy    Completed"),
      text_line(rule),
  };
  tpl.job_items = {
      field("job-identifier", "6.6", " "),
      field("user-name", "-32.32", " "),
      field("job-type", "7.7", "    "),
      field("media-sheets-completed", "6.6", "  "),
      field("number-of-documents", "3.3", "  "),
      field("submission-time", "16", "\n       ", ValueKind::kTime),
      field("job-state-reasons", "-32.32", " "),
      field("processing-time", "7.7", "  "),
      field("total-job-octets", "8.8", "  "),
      field("job-copy-count", "3.3", "  "),
      field("completion-time", "16", "\n      *", ValueKind::kTime),
      field("job-name", "-72", "\n" + std::string(80, '-') + "\n"),
  };
  return tpl;
}
