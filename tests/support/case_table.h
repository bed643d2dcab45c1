#pragma once

#include <string>
#include <vector>

// The rows of tests/data/<name>: each line split at tabs into fields, with
// \n \r \t \\ \xHH and \N(text\) (text N times) decoded in each. Blank lines
// and lines starting with '#' are skipped; so are blanks at a line's end.
std::vector<std::vector<std::string>> read_case_table(const std::string& name);

// The rows whose first field is `kind`, without it, padded with empty fields
// to `fields` (empty fields at a line's end may be left out).
std::vector<std::vector<std::string>> rows_of(const std::string& name, const std::string& kind,
                                              size_t fields);
