#pragma once

#include "template/display_template.h"

// Reads the display template file `name` (looked up with locate_file) into
// `tpl`. False when the file cannot be opened or a job or document item has no
// field width. Ends the program with status 1 on a file without any list
// section before its content, or a misplaced layout section.
bool parse_template(const char* name, DisplayTemplate& tpl = display_template());

// The delimited format at the start of `text` (after blanks), or nullptr.
// Writes a terminator over the closing delimiter.
const char* extract_delimited(char* text);

// Reports each item without a field width; true when there is none.
bool check_field_sizes(const DisplayList& list);
