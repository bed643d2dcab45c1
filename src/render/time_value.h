#pragma once

#include <string_view>

// The display of a time value: the text's seconds since the epoch (0 when it
// cannot be read), broken down in local time and formatted with `format`
// (strftime). A result that does not fit the display's 254 characters is
// shown as an empty value. The text is valid until the next call. With
// `unreadable`, also tells whether the conversion could not read the value
// (the epoch itself reads as 0 too, and so counts as unreadable).
std::string_view format_time_value(std::string_view value, const char* format,
                                   bool* unreadable = nullptr);

// Forgets the local hours and offsets this thread remembers; for tests that
// change TZ.
void forget_local_times();
