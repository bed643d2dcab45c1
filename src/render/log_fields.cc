#include "render/log_fields.h"

#include <charconv>

namespace {

std::string_view decimal(long long value, std::string& scratch) {
  char text[24];
  const char* const end = std::to_chars(text, text + sizeof text, value).ptr;
  scratch.assign(text, static_cast<size_t>(end - text));
  return scratch;
}

}  // namespace

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
      return decimal(entry.log_number, scratch);
    case LogField::kStamp:
      return entry.log->stamp();
    case LogField::kRecordOffset:
      return decimal(entry.record_offset, scratch);
    case LogField::kNone:
      break;
  }
  return {};
}
