#pragma once

#include <string>

// The display of a time value: the text's seconds since the epoch (0 when it
// cannot be read), broken down in local time and formatted with `format`
// (strftime). A result that does not fit the display's 254 characters is
// shown as an empty value.
void format_time_value(const char* value, const char* format, std::string& out);
