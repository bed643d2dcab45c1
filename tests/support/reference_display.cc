#include "support/reference_display.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "platform/generalized_time.h"

namespace {

// Log lines are read into 256-byte buffers with a limit of 255: at most 254
// characters a read, a longer line arriving in pieces.
constexpr int kReadLimit = 255;
constexpr size_t kTextSize = 256;

struct Entry {
  std::FILE* stream;
  long record_offset;
  bool is_job;
};

// Reads one line piece into `line`. False when the read met the end of the
// file (or failed): that piece is then never examined. A piece that could not
// be read at all is left empty.
bool read_line(char* line, std::FILE* stream) {
  if (!std::fgets(line, kReadLimit, stream)) {
    line[0] = '\0';
    return false;
  }
  return !std::feof(stream) && !std::ferror(stream);
}

bool begins_with_space(const char* line) {
  return std::isspace(static_cast<unsigned char>(line[0])) != 0;
}

// The display is collected in memory, formatted by the C library exactly as
// the program writes it to standard output.
using Output = std::string;

void put_formatted(const char* conversion, const char* value, Output& out) {
  const int size = std::snprintf(nullptr, 0, conversion, value);
  if (size <= 0) return;
  std::string piece(static_cast<size_t>(size) + 1, '\0');
  std::snprintf(&piece[0], piece.size(), conversion, value);
  out.append(piece.data(), static_cast<size_t>(size));
}

// Between the first and the last double quote when there are two; otherwise
// the text up to its last newline.
char* clean_value(char* text) {
  char* first = std::strchr(text, '"');
  char* last = std::strrchr(text, '"');
  if (first && last != first) {
    *last = '\0';
    return first + 1;
  }
  if (char* newline = std::strrchr(text, '\n')) *newline = '\0';
  return text;
}

// The first attribute line named `name` from the stream's position to the end
// of the record; its cleaned value goes into `value` (kTextSize bytes).
bool find_attribute(const char* name, std::FILE* stream, char* value) {
  char line[kTextSize];
  bool more = read_line(line, stream);
  while (more && begins_with_space(line)) {
    char* token = line + std::strspn(line, " \t\n");
    const size_t length = std::strcspn(token, " \t\n");
    if (length > 0 && length == std::strlen(name) && std::strncmp(token, name, length) == 0) {
      char* text = token + length;
      if (*text != '\0') ++text;  // the one delimiter that ended the name
      text += std::strspn(text, " =");
      std::snprintf(value, kTextSize, "%s", clean_value(text));
      return true;
    }
    more = read_line(line, stream);
  }
  return false;
}

// The job identifier from the header text: the digits and dots at its end,
// or a pattern of them ('#') and the text before the character that splits
// them off ('$'). Cut to 255 characters.
void job_identifier(const char* header, const DisplayItem& item, char* value) {
  size_t split = std::strlen(header);
  while (split > 0 && (std::isdigit(static_cast<unsigned char>(header[split - 1])) ||
                       header[split - 1] == '.')) {
    --split;
  }
  const std::string number = header + split;
  const std::string prefix = split > 0 ? std::string(header, split - 1) : std::string();
  std::string text = number;
  if (item.value_kind == ValueKind::kIdentifier && item.value_format) {
    text.clear();
    for (const char* p = item.value_format->c_str(); *p != '\0'; ++p) {
      if (*p == '#') {
        text += number;
      } else if (*p == '$') {
        text += prefix;
      } else {
        text += *p;
      }
    }
  }
  std::snprintf(value, kTextSize, "%s", text.c_str());
}

void print_item(const DisplayItem& item, const char* conversion, const char* value, Output& out) {
  if (item.leading_text) out += item.leading_text->c_str();
  if (item.value_kind == ValueKind::kTime) {
    const std::time_t seconds = oa_epoch_from_generalized(value);
    char work[kTextSize] = "";
    const std::tm* local = std::localtime(&seconds);
    const char* format = item.value_format ? item.value_format->c_str() : "";
    if (!local || std::strftime(work, kReadLimit, format, local) == 0) work[0] = '\0';
    put_formatted(conversion, work, out);
  } else {
    put_formatted(conversion, value, out);
  }
  if (item.trailing_text) out += item.trailing_text->c_str();
}

void dump_raw_record(std::FILE* stream, Output& out) {
  char line[kTextSize];
  read_line(line, stream);
  do out += line;
  while (read_line(line, stream) && begins_with_space(line));
}

void render_record(const DisplayList& items, const Entry& entry, bool raw,
                   const DisplayTemplate& tpl, Output& out) {
  std::fseek(entry.stream, entry.record_offset, SEEK_SET);
  if (raw) {
    dump_raw_record(entry.stream, out);
    return;
  }
  char line[kTextSize];
  read_line(line, entry.stream);
  char header[kTextSize];
  std::snprintf(header, sizeof header, "%s", clean_value(line));
  const long body = std::ftell(entry.stream);

  for (const DisplayItem& item : items) {
    const std::string width = item.field_width.value_or("");
    char conversion[kTextSize] = "%s";  // a width too long for the working text is dropped
    if (width.size() <= 253) std::snprintf(conversion, sizeof conversion, "%%%ss", width.c_str());
    const std::string name = item.attribute_name.value_or("");
    char value[kTextSize];

    if (std::strcmp(name.c_str(), "job-identifier") == 0) {
      // Built from the header line, never looked up, so a '+' item shows it once.
      job_identifier(header, item, value);
      print_item(item, conversion, value, out);
      continue;
    }
    std::fseek(entry.stream, body, SEEK_SET);
    if (!find_attribute(name.c_str(), entry.stream, value)) {
      if (tpl.missing_fill) print_item(item, conversion, tpl.missing_fill->c_str(), out);
      continue;
    }
    do print_item(item, conversion, value, out);
    while (item.value_kind == ValueKind::kRepeated &&
           find_attribute(name.c_str(), entry.stream, value));
  }
}

void print_text_list(const DisplayList& list, Output& out) {
  for (const DisplayItem& item : list) out += item.trailing_text.value_or("").c_str();
}

// Indexes one log's records, newest first, after the index built so far.
bool scan_log(const char* name, long start_after, std::vector<Entry>& index,
              unsigned long& jobs_indexed, std::vector<std::FILE*>& streams) {
  std::FILE* stream = std::fopen(name, "r");
  if (!stream) return false;
  char line[kTextSize];
  if (!std::fgets(line, kReadLimit, stream) || std::strncmp(line, " Job Log created ", 17) != 0) {
    std::fclose(stream);
    return false;
  }
  streams.push_back(stream);

  std::vector<Entry> entries;
  long position = std::ftell(stream);
  bool more = read_line(line, stream);  // the log number line, examined like any other
  long job_number = 1;
  while (more) {
    if (!begins_with_space(line)) {
      const size_t mark = std::string(line).find_last_of(":.");  // the last one decides
      const bool is_job = mark != std::string::npos && line[mark] == ':';
      if (job_number > start_after) {
        entries.push_back({stream, position, is_job});
        if (is_job) ++jobs_indexed;
      }
      if (is_job) ++job_number;
    }
    position = std::ftell(stream);
    more = read_line(line, stream);
  }
  index.insert(index.end(), entries.rbegin(), entries.rend());
  return true;
}

}  // namespace

std::string reference_display(const ReferenceRun& run, const DisplayTemplate& tpl) {
  std::vector<Entry> index;
  std::vector<std::FILE*> streams;
  unsigned long jobs_indexed = 0;
  bool ok = true;
  for (size_t i = 0;
       i < run.logs.size() && ok && jobs_indexed < static_cast<unsigned long>(run.max_jobs); ++i) {
    ok = scan_log(run.logs[i].c_str(), i == 0 ? run.start_after : 0, index, jobs_indexed, streams);
  }

  Output out;
  if (ok && !index.empty()) {
    const unsigned long max_jobs = static_cast<unsigned long>(run.max_jobs);
    const unsigned long job_count = static_cast<unsigned long>(run.job_count);
    unsigned long jobs_shown = 0;
    bool header_pending = true;
    size_t at = 0;
    for (;;) {
      if (!run.raw && (header_pending || (job_count != 0 && jobs_shown % job_count == 0))) {
        print_text_list(tpl.header_lines, out);
      }
      header_pending = false;
      if (index[at].is_job) {
        if (!tpl.job_items.empty()) {
          render_record(tpl.job_items, index[at], run.raw, tpl, out);
          ++jobs_shown;
        }
        ++at;
      }
      if (at == index.size()) break;
      while (!index[at].is_job) {
        if (!tpl.job_items.empty()) render_record(tpl.document_items, index[at], run.raw, tpl, out);
        if (++at == index.size()) break;
      }
      if (at == index.size() || jobs_shown >= max_jobs) break;
    }
    if (!tpl.trailer_lines.empty() && jobs_shown != 0) print_text_list(tpl.trailer_lines, out);
  }
  for (std::FILE* stream : streams) std::fclose(stream);
  return out;
}
