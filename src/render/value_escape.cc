#include "render/value_escape.h"

#include "diag/utf8.h"
#include "render/json_plain.h"

namespace {

void write_csv(size_t left, std::string_view text, size_t right, OutputChannel& out) {
  const bool quoted = left > 0 || right > 0 ||
                      text.find_first_of(",;\"\t\r\n") != std::string_view::npos ||
                      (!text.empty() && (text.front() == ' ' || text.back() == ' '));
  if (!quoted) return out.append_log_text(text);
  out.append("\"");
  out.append_fill(' ', left);
  for (size_t quote; (quote = text.find('"')) != std::string_view::npos;) {
    out.append_log_text(text.substr(0, quote + 1));
    out.append("\"");
    text.remove_prefix(quote + 1);
  }
  out.append_log_text(text);
  out.append_fill(' ', right);
  out.append("\"");
}

// How a JSON string writes the byte `c`; empty when it stands as it is.
std::string_view json_escape(unsigned char c, char (&buffer)[6]) {
  switch (c) {
    case '"':
      return "\\\"";
    case '\\':
      return "\\\\";
    case '\n':
      return "\\n";
    case '\r':
      return "\\r";
    case '\t':
      return "\\t";
    case '\b':
      return "\\b";
    case '\f':
      return "\\f";
    default:
      break;
  }
  if (c >= 0x20) return {};
  static constexpr char kHex[] = "0123456789abcdef";
  buffer[0] = '\\';
  buffer[1] = 'u';
  buffer[2] = '0';
  buffer[3] = '0';
  buffer[4] = kHex[c >> 4];
  buffer[5] = kHex[c & 0xf];
  return {buffer, sizeof buffer};
}

void write_json(size_t left, std::string_view text, size_t right, OutputChannel& out) {
  out.append("\"");
  out.append_fill(' ', left);
  write_json_text(text, out);
  out.append_fill(' ', right);
  out.append("\"");
}

}  // namespace

void write_json_text(std::string_view text, OutputChannel& out) {
  static constexpr std::string_view kReplacement = "\xef\xbf\xbd";  // U+FFFD
  size_t plain = 0;  // the start of the bytes that go out as they are
  // Most text needs no escaping and is then looked at a word at a time only.
  size_t pos = is_json_plain(text) ? text.size() : 0;
  char buffer[6];
  while (pos < text.size()) {
    const auto c = static_cast<unsigned char>(text[pos]);
    if (c >= 0x20 && c < 0x80 && c != '"' && c != '\\') {
      ++pos;
      continue;
    }
    size_t ill_formed = 0;
    const size_t length = utf8_character(text, pos, &ill_formed);
    std::string_view replacement = kReplacement;
    if (length == 1) replacement = json_escape(c, buffer);
    if (length > 1 || (length == 1 && replacement.empty())) {  // 0x7f, or a whole character
      pos += length;
      continue;
    }
    out.append_log_text(text.substr(plain, pos - plain));
    out.append(replacement);
    pos += length != 0 ? length : ill_formed;
    plain = pos;
  }
  out.append_log_text(text.substr(plain));
}

void write_escaped(Escaping mode, size_t left, std::string_view text, size_t right,
                   OutputChannel& out) {
  switch (mode) {
    case Escaping::kCsv:
      return write_csv(left, text, right, out);
    case Escaping::kJson:
      return write_json(left, text, right, out);
    case Escaping::kNone:
      break;
  }
  out.append_fill(' ', left);
  out.append_log_text(text);
  out.append_fill(' ', right);
}

std::string_view missing_value(Escaping mode) { return mode == Escaping::kJson ? "null" : ""; }
