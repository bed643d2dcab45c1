#pragma once

#include <optional>
#include <string>
#include <vector>

// How a value of a display item is treated when a record is shown.
enum class ValueKind : char {
  kNone = '\0',
  kTime = '*',        // a generalized time, shown through strftime with the value format
  kRepeated = '+',    // every line of the attribute in the record, not only the first
  kIdentifier = '$',  // a job-identifier shown through an identifier pattern
};

// How the values of an item are written: as they are, or as fields that
// spreadsheet and JSON readers take whatever the value holds.
enum class Escaping : char { kNone, kCsv, kJson };

// One node of a display list. An absent text (nullopt) is distinct from an
// empty one. Header and trailer lines keep their whole text in trailing_text.
struct DisplayItem {
  std::optional<std::string> attribute_name;
  std::optional<std::string> leading_text;
  std::optional<std::string> field_width;  // only "-.0123456789"
  std::optional<std::string> trailing_text;
  ValueKind value_kind = ValueKind::kNone;
  std::optional<std::string> value_format;
  Escaping escaping = Escaping::kNone;
};

using DisplayList = std::vector<DisplayItem>;

inline constexpr const char* kDefaultTimeFormat = "%h %d, %H:%M:%S";
inline constexpr const char* kDefaultIdentifierPattern = "$:#";
inline constexpr const char* kDefaultTemplateName = "joblog.tpl";

// The display settings of the run. Template files replace the lists they
// define; options -T and -M change the default time format and the fill.
struct DisplayTemplate {
  DisplayList job_items;
  DisplayList document_items;
  DisplayList header_lines;
  DisplayList trailer_lines;
  std::optional<std::string> job_separator;       // stored, never shown
  std::optional<std::string> document_separator;  // stored, never shown
  std::string open_marker = "{";
  std::string close_marker = "}";
  std::string default_time_format = kDefaultTimeFormat;
  std::string default_identifier_pattern = kDefaultIdentifierPattern;
  Escaping escaping = Escaping::kNone;  // for the items read after an escape section line
  // Shown for an attribute a record lacks; nullopt leaves the item out.
  std::optional<std::string> missing_fill = std::string(26, '?');
};

// The built-in display: its header and job items, every other setting at its default.
DisplayTemplate builtin_display();

// The process-wide display template; it holds the built-in display from start-up.
DisplayTemplate& display_template();
