#pragma once

#include <ostream>

#include "template/display_template.h"

// Display items compare field by field, and print so that a failure shows
// which field differs.
bool operator==(const DisplayItem& a, const DisplayItem& b);
void PrintTo(const DisplayItem& item, std::ostream* out);

// A plain item: a name, a field width and optional texts.
DisplayItem make_item(const char* name, const char* width, const char* leading = nullptr,
                      const char* trailing = nullptr);
// A header or trailer line.
DisplayItem make_text_line(const char* text);
