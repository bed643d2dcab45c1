#pragma once

#include "template/display_template.h"

// Reads the display template file `name` (looked up with locate_file) into
// `tpl`. False, with the reasons reported, when the run must end with status
// 1: the file cannot be opened or read, its structure is not a template's
// (content before any list section, a misplaced layout section, both of which
// end the parse where they stand), a job or document item has no field width,
// or the error limit was passed.
bool parse_template(const char* name, DisplayTemplate& tpl);

// Reports each item without a field width; true when there is none.
bool check_field_sizes(const DisplayList& list);
