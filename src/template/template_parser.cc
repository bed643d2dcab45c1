#include "template/template_parser.h"

#include <cstring>
#include <string>

#include "diag/diagnostics.h"
#include "platform/file_lookup.h"
#include "template/delimited_format.h"
#include "template/layout_line.h"
#include "template/line_reader.h"

namespace {

constexpr const char* kBlanks = " \t\n";

enum class Section { kNone, kJob, kDocument, kHeader, kLayout, kSeparator, kTrailer };

// The context of the last template read stays current after the parse, until
// the run driver installs another, so it lives as long as the process.
struct ParseContext {
  ReaderContext reader;
  std::string name;
};

ParseContext& parse_context() {
  static ParseContext context;
  return context;
}

ReaderContext& empty_context() {
  static ReaderContext context;
  return context;
}

// The state of one parse; every parse starts afresh.
struct ParserState {
  explicit ParserState(DisplayTemplate& target) : tpl(target) {}
  DisplayTemplate& tpl;
  Section section = Section::kNone;
  DisplayList* list = nullptr;  // the list the last list section restarted
  Section attribute_section = Section::kNone;
  LayoutCursor cursor;
};

// The next word of `text` from `*position` on; empty when there is none.
std::string next_word(const char* text, size_t* position) {
  size_t begin = *position + std::strspn(text + *position, kBlanks);
  size_t end = begin + std::strcspn(text + begin, kBlanks);
  *position = end;
  return std::string(text + begin, end - begin);
}

void start_list(ParserState& state, Section section, DisplayList& list) {
  list.clear();  // a restarted list abandons its items
  state.section = section;
  state.list = &list;
  if (section == Section::kJob || section == Section::kDocument) state.attribute_section = section;
}

// False on a structure no template has: the parse ends there.
bool handle_section_line(ParserState& state, char* line) {
  size_t position = 1;  // after the '%'
  const std::string keyword = next_word(line, &position);
  DisplayTemplate& tpl = state.tpl;
  if (keyword == "job") {
    start_list(state, Section::kJob, tpl.job_items);
  } else if (keyword == "document") {
    start_list(state, Section::kDocument, tpl.document_items);
  } else if (keyword == "header") {
    start_list(state, Section::kHeader, tpl.header_lines);
  } else if (keyword == "trailer") {
    start_list(state, Section::kTrailer, tpl.trailer_lines);
  } else if (keyword == "time") {
    if (const char* format = extract_delimited(line + position)) {
      tpl.default_time_format = format;
    } else {
      error("No time format specified, default used.\n");
    }
  } else if (keyword == "escape") {
    const std::string mode = next_word(line, &position);
    if (mode == "csv") {
      tpl.escaping = Escaping::kCsv;
    } else if (mode == "json") {
      tpl.escaping = Escaping::kJson;
    } else if (mode == "none") {
      tpl.escaping = Escaping::kNone;
    } else {
      error("Unrecognized escaping '%s'.\n", mode.c_str());
    }
  } else if (keyword == "layout") {
    if (state.section != Section::kJob && state.section != Section::kDocument) {
      error("Layout MUST appear after job or document attribute section.\n");
      return false;
    }
    const std::string open = next_word(line, &position);
    const std::string close = next_word(line, &position);
    if (!open.empty()) tpl.open_marker = open;
    if (!close.empty()) tpl.close_marker = close;
    state.section = Section::kLayout;
    state.cursor = LayoutCursor{state.list, 0};
  } else if (keyword == "separator") {
    state.section = Section::kSeparator;
  } else {
    // Also a line of '%' and blanks alone: it names the empty keyword.
    error("Unrecognized section '%s'.\n", keyword.c_str());
  }
  return true;
}

bool is_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Fills the new item from an item line. False when the line holds no word
// (only escaped blanks): such a line names nothing and is dropped like a
// blank line, without a message.
bool fill_item(DisplayItem& item, char* line, const DisplayTemplate& tpl) {
  size_t position = 0;
  const std::string word = next_word(line, &position);
  if (word.empty()) return false;
  item.escaping = tpl.escaping;
  const char indicator = word[0];
  if (is_letter(indicator)) {
    item.attribute_name = word;
    return true;
  }
  item.attribute_name = word.substr(1);
  const char* default_format = nullptr;
  switch (indicator) {
    case '*':
      default_format = tpl.default_time_format.c_str();
      break;
    case '+':
      default_format = " ";
      break;
    case '$':
      default_format = tpl.default_identifier_pattern.c_str();
      break;
    default:
      error("Unknown value type indicator '%c' found for %s\n", indicator,
            item.attribute_name->c_str());
      return true;
  }
  item.value_kind = static_cast<ValueKind>(indicator);
  const char* format = extract_delimited(line + position);
  item.value_format = format != nullptr ? format : default_format;
  return true;
}

// False on content before any list section: the parse ends there.
bool handle_content_line(ParserState& state, char* line) {
  if (state.list == nullptr) {
    error("Not a legally formatted display template file.\n");
    error("No '%c' template description sections found.\n", '%');
    return false;
  }
  switch (state.section) {
    case Section::kJob:
    case Section::kDocument: {
      DisplayItem item;
      if (fill_item(item, line, state.tpl)) state.list->push_back(std::move(item));
      break;
    }
    case Section::kHeader:
    case Section::kTrailer: {
      DisplayItem item;
      item.trailing_text = line;
      state.list->push_back(std::move(item));
      break;
    }
    case Section::kLayout:
      apply_layout_line(line, state.tpl.open_marker, state.tpl.close_marker, state.cursor);
      break;
    case Section::kSeparator:
      (state.attribute_section == Section::kJob ? state.tpl.job_separator
                                                : state.tpl.document_separator) = line;
      break;
    case Section::kNone:
      break;  // not reached: a list section always leaves this state
  }
  return true;
}

}  // namespace

bool parse_template(const char* name, DisplayTemplate& tpl) {
  std::FILE* stream = locate_file(name, "r");
  if (stream == nullptr) {
    set_context(&empty_context());
    error("Unable to access file '%s'.\n", name != nullptr ? name : "");
    return false;
  }
  ParseContext& context = parse_context();
  std::string shown_name = name;  // a copy first: `name` may be the old one
  context.name = std::move(shown_name);
  context.reader = ReaderContext{stream, context.name.c_str(), kTemplateLineSize, 0, '!'};
  set_context(&context.reader);

  ParserState state(tpl);
  char line[kTemplateLineSize];
  bool well_formed = true;
  while (well_formed && !error_limit_reached() && read_logical_line(line, context.reader)) {
    well_formed =
        line[0] == '%' ? handle_section_line(state, line) : handle_content_line(state, line);
  }
  // A read error is not the end of the file: a template read in part must not
  // pass for a whole one. Neither message concerns a line: they carry no location.
  const bool read_failed = std::ferror(stream) != 0;
  const bool endless = context.reader.bytes_read > kTemplateReadLimit;
  std::fclose(stream);
  context.reader.stream = nullptr;
  if (!well_formed || error_limit_reached()) return false;
  if (endless || read_failed) {
    set_context(&empty_context());
    if (endless) {
      error("Template file '%s' exceeds 16 MiB.\n", context.name.c_str());
    } else {
      error("Unable to access file '%s'.\n", context.name.c_str());
    }
    return false;
  }
  const bool jobs_complete = check_field_sizes(tpl.job_items);
  const bool documents_complete = check_field_sizes(tpl.document_items);
  return jobs_complete && documents_complete && !error_limit_reached();
}

bool check_field_sizes(const DisplayList& list) {
  bool complete = true;
  for (const DisplayItem& item : list) {
    if (item.field_width) continue;
    error("No field size for attribute '%s'.\n",
          item.attribute_name ? item.attribute_name->c_str() : "");
    complete = false;
  }
  return complete;
}
