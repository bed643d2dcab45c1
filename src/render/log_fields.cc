#include "render/log_fields.h"

LogField log_field_named(std::string_view name) {
  if (name == "log-name") return LogField::kName;
  if (name == "log-number") return LogField::kNumber;
  if (name == "log-stamp") return LogField::kStamp;
  if (name == "record-offset") return LogField::kRecordOffset;
  return LogField::kNone;
}

std::string_view log_field_value(LogField field, const JobEntry& entry, std::string& scratch) {
  switch (field) {
    case LogField::kName:
      return entry.log->name();
    case LogField::kNumber:
      scratch = std::to_string(entry.log_number);
      return scratch;
    case LogField::kStamp:
      return entry.log->stamp();
    case LogField::kRecordOffset:
      scratch = std::to_string(entry.record_offset);
      return scratch;
    case LogField::kNone:
      break;
  }
  return {};
}
