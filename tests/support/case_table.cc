#include "support/case_table.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>

#include "support/temp_dir.h"

namespace {

// Decodes up to the end of the field, or past "\)" when inside a repetition.
std::string decode(const char*& p) {
  std::string out;
  while (*p != '\0') {
    if (*p != '\\' || p[1] == '\0') {
      out += *p++;
      continue;
    }
    const char c = p[1];
    p += 2;
    if (c == ')') break;
    if (std::isdigit(static_cast<unsigned char>(c))) {
      char* open;
      const long times = std::strtol(p - 1, &open, 10);
      p = *open == '(' ? open + 1 : open;
      const std::string part = decode(p);
      for (long i = 0; i < times; ++i) out += part;
    } else if (c == 'x' && p[0] != '\0' && p[1] != '\0') {
      out += static_cast<char>(std::strtol(std::string(p, 2).c_str(), nullptr, 16));
      p += 2;
    } else {
      out += c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
    }
  }
  return out;
}

}  // namespace

std::vector<std::vector<std::string>> read_case_table(const std::string& name) {
  const std::string content = read_file(std::string(JOBVIEW_SOURCE_DIR) + "/tests/data/" + name);
  if (content.empty()) ADD_FAILURE() << "cannot read tests/data/" << name;
  std::vector<std::vector<std::string>> rows;
  for (size_t start = 0, end; (end = content.find('\n', start)) != std::string::npos;
       start = end + 1) {
    std::string line = content.substr(start, end - start);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    rows.emplace_back();
    for (size_t at = 0;; ++at) {
      const std::string field = line.substr(at, line.find('\t', at) - at);
      const char* p = field.c_str();
      rows.back().push_back(decode(p));
      if ((at = line.find('\t', at)) == std::string::npos) break;
    }
  }
  return rows;
}

std::vector<std::vector<std::string>> rows_of(const std::string& name, const std::string& kind,
                                              size_t fields) {
  std::vector<std::vector<std::string>> rows;
  for (auto& row : read_case_table(name)) {
    if (row[0] != kind) continue;
    rows.emplace_back(row.begin() + 1, row.end());
    rows.back().resize(fields);
  }
  if (rows.empty()) ADD_FAILURE() << "no rows of " << kind << " in " << name;
  return rows;
}
