#pragma once

#include <string>
#include <string_view>

#include "joblog/record_index.h"

// Fields that a record owes to its log rather than to its own lines. A
// template names them like attributes; they are never missing and are looked
// up before the record's lines, so a record cannot hide them with a line of
// the same name.
enum class LogField : char {
  kNone,
  kName,          // "log-name": the log's name as given ("-" for standard input)
  kNumber,        // "log-number": from the log's second line
  kStamp,         // "log-stamp": the identification stamp without its line end
  kRecordOffset,  // "record-offset": where the record's header line begins
};

LogField log_field_named(std::string_view name);

// The field's text for the record of `entry`; `scratch` holds a number.
std::string_view log_field_value(LogField field, const JobEntry& entry, std::string& scratch);
