#include "template/delimited_format.h"

#include <cstring>

#include "diag/diagnostics.h"

const char* extract_delimited(char* text) {
  if (text == nullptr) return nullptr;
  char* open = text + std::strspn(text, " \t\n");
  const char delimiter = *open;
  // Only a printable character opens a format; a control character or the
  // end of the text means there is none, and that is no fault.
  if (delimiter < ' ' || delimiter > '~') return nullptr;
  char* close = std::strrchr(open, delimiter);
  if (close == open) {
    error("No terminating (%c) found in field format.\n", delimiter);
    return nullptr;
  }
  *close = '\0';
  return open + 1;
}
