#include "support/display_items.h"

#include <gtest/gtest.h>

bool operator==(const DisplayItem& a, const DisplayItem& b) {
  return a.attribute_name == b.attribute_name && a.leading_text == b.leading_text &&
         a.field_width == b.field_width && a.trailing_text == b.trailing_text &&
         a.value_kind == b.value_kind && a.value_format == b.value_format;
}

namespace {

void print_text(const char* label, const std::optional<std::string>& text, std::ostream* out) {
  *out << label << '=' << (text ? testing::PrintToString(*text) : "none") << ' ';
}

std::optional<std::string> text_or_none(const char* text) {
  return text ? std::optional<std::string>(text) : std::nullopt;
}

}  // namespace

void PrintTo(const DisplayItem& item, std::ostream* out) {
  *out << '{';
  print_text("name", item.attribute_name, out);
  print_text("lead", item.leading_text, out);
  print_text("width", item.field_width, out);
  print_text("trail", item.trailing_text, out);
  const char kind = static_cast<char>(item.value_kind);
  *out << "kind=" << (kind ? std::string(1, kind) : "none") << ' ';
  print_text("format", item.value_format, out);
  *out << '}';
}

DisplayItem make_item(const char* name, const char* width, const char* leading,
                      const char* trailing) {
  DisplayItem item;
  item.attribute_name = text_or_none(name);
  item.field_width = text_or_none(width);
  item.leading_text = text_or_none(leading);
  item.trailing_text = text_or_none(trailing);
  return item;
}

DisplayItem make_text_line(const char* text) { return make_item(nullptr, nullptr, nullptr, text); }
