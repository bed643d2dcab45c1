#include "template/layout_line.h"

#include <algorithm>

#include "diag/diagnostics.h"

namespace {

constexpr const char* kFieldSizeCharacters = "-.0123456789";

}  // namespace

// A marker is found by any one of its characters, as the device always did;
// with markers longer than one character a field may then start or end
// within the marker's length of the line's end: the line ends there, so such
// a field has no close marker, and such a segment is empty.
void apply_layout_line(const std::string& line, const std::string& open_marker,
                       const std::string& close_marker, LayoutCursor& cursor) {
  if (cursor.item() == nullptr || open_marker.empty()) return;
  size_t open = line.find_first_of(open_marker);
  if (open == std::string::npos) return;
  size_t segment = 0;
  for (;;) {
    DisplayItem& item = *cursor.item();
    if (open > segment) item.leading_text = line.substr(segment, open - segment);

    const size_t size_begin = std::min(open + open_marker.size(), line.size());
    const size_t close =
        close_marker.empty() ? std::string::npos : line.find_first_of(close_marker, size_begin);
    if (close == std::string::npos) {
      error("Missing field size termination marker '%s'.\n", close_marker.c_str());
      return;
    }
    const std::string size = line.substr(size_begin, close - size_begin);
    if (size.find_first_not_of(kFieldSizeCharacters) != std::string::npos) {
      error("Expected only field size, found '%s' instead.\n", size.c_str());
      return;
    }
    item.field_width = size;
    segment = std::min(close + close_marker.size(), line.size());

    open = line.find_first_of(open_marker, segment);
    ++cursor.next;
    if (open == std::string::npos) {
      if (segment < line.size()) item.trailing_text = line.substr(segment);
      return;
    }
    if (cursor.item() == nullptr) return;  // more fields than items: the rest is dropped
  }
}
