#include "template/line_reader.h"

#include <cstdio>
#include <cstring>

#include "diag/diagnostics.h"

namespace {

// The reader's own buffer for a continuation line; no context may ask for more.
constexpr int kContinuationSize = 2000;

// One counted read of at most size - 1 characters. Every attempt counts, so
// that diagnostics name the line they concern whatever the read found.
char* read_counted(char* buffer, int size, ReaderContext& context) {
  ++context.line_number;
  if (context.stream == nullptr || size < 2 || context.bytes_read > kTemplateReadLimit) {
    return nullptr;
  }
  // As fgets reads, but counting the bytes, NUL bytes included.
  int count = 0;
  for (int c; count < size - 1 && (c = getc_unlocked(context.stream)) != EOF;) {
    buffer[count++] = static_cast<char>(c);
    if (c == '\n') break;
  }
  context.bytes_read += count;
  if (count == 0) return nullptr;
  buffer[count] = '\0';
  return buffer;
}

bool is_blank(const char* text) { return text[std::strspn(text, " \t\n")] == '\0'; }

char translate(char c) {
  switch (c) {
    case 'b':
      return '\b';
    case 'f':
      return '\f';
    case 'n':
      return '\n';
    case 'r':
      return '\r';
    case 't':
      return '\t';
    default:
      return c;
  }
}

// A backslash and the character after it become one character; a backslash
// that ends the text is dropped.
void translate_escapes(char* text) {
  char* out = text;
  for (const char* in = text; *in != '\0'; ++in) {
    if (*in != '\\') {
      *out++ = *in;
    } else if (in[1] != '\0') {
      *out++ = translate(*++in);
    }
  }
  *out = '\0';
}

}  // namespace

char* read_physical_line(char* buffer, ReaderContext& context) {
  return read_counted(buffer, context.line_size, context);
}

bool read_logical_line(char* buffer, ReaderContext& context) {
  const int line_size = context.line_size;
  if (line_size < 2) {
    ++context.line_number;  // nothing fits: count the attempt and give up
    return false;
  }
  const int piece_size = line_size < kContinuationSize ? line_size : kContinuationSize;
  char continuation[kContinuationSize];
  int room = line_size;
  char* segment = buffer;

  // A read that finds nothing (end of file or a read error) ends the logical
  // line unused; the buffer then holds nothing worth translating.
  if (read_physical_line(buffer, context) == nullptr) return false;
  while (!std::feof(context.stream)) {
    if (context.comment_char != '\0') {
      if (char* comment = std::strchr(segment, context.comment_char)) *comment = '\0';
    }
    if (is_blank(segment)) {
      if (segment == buffer) {
        if (read_physical_line(buffer, context) == nullptr) return false;
        continue;
      }
      // A blank segment after a continuation: the line that takes its place
      // must fit the room left, like any continuation line. One that does not
      // is refused (reported and dropped) and the logical line ends here.
      if (read_counted(continuation, piece_size, context) == nullptr) return false;
      if (std::strlen(continuation) <= static_cast<size_t>(room - 1)) {
        std::strcpy(segment, continuation);
        continue;
      }
      error("Line too long!\n");
      break;
    }
    const size_t length = std::strlen(segment);
    if (length >= 2 && segment[length - 2] == '\\') {
      room -= static_cast<int>(length);
      if (read_counted(continuation, piece_size, context) == nullptr) return false;
      if (std::strlen(continuation) <= static_cast<size_t>(room - 1)) {
        segment += length - 2;
        std::strcpy(segment, continuation);
        continue;
      }
      // The line ends where it stands (its backslash escapes the newline
      // after it) and the continuation line is dropped.
      error("Line too long!\n");
      break;
    }
    break;
  }
  translate_escapes(buffer);
  return !std::feof(context.stream) && !std::ferror(context.stream);
}
