#include "render/job_identifier.h"

namespace {
constexpr size_t kMaxIdentifierValue = 255;
bool in_number(char c) { return (c >= '0' && c <= '9') || c == '.'; }
}  // namespace

JobIdentifier split_job_identifier(std::string_view header_text) {
  size_t split = header_text.size();
  while (split > 0 && in_number(header_text[split - 1])) --split;
  // With no split character all of it is the number. The number is a value of
  // its own, so it is cut like one built by a pattern.
  if (split == 0) return {{}, header_text.substr(0, kMaxIdentifierValue)};
  return {header_text.substr(0, split - 1), header_text.substr(split, kMaxIdentifierValue)};
}

void apply_identifier_pattern(const JobIdentifier& id, std::string_view pattern, std::string& out) {
  out.clear();
  for (const char c : pattern) {
    if (c == '#') {
      out.append(id.number);
    } else if (c == '$') {
      out.append(id.prefix);
    } else {
      out += c;
    }
    if (out.size() >= kMaxIdentifierValue) {
      out.resize(kMaxIdentifierValue);
      return;
    }
  }
}
