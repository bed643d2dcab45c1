#pragma once

#include <string>
#include <string_view>

// The parts of a record header text such as "abc:42": the identifier number
// (the trailing digits and dots, "42", cut at 255 characters like any
// identifier value) and the identifier prefix ("abc"), split at the last
// character that is neither a digit nor a dot.
struct JobIdentifier {
  std::string_view prefix;
  std::string_view number;
};
JobIdentifier split_job_identifier(std::string_view header_text);

// Builds the value of a pattern: '#' stands for the number, '$' for the prefix,
// every other character for itself. The value is cut at 255 characters, the
// most the display's working text holds.
void apply_identifier_pattern(const JobIdentifier& id, std::string_view pattern, std::string& out);
