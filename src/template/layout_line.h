#pragma once

#include <cstddef>
#include <string>

#include "template/display_template.h"

// Where the fields of layout lines go next: an index into the list being
// laid out; at or past its end, no item is left to fill.
struct LayoutCursor {
  DisplayList* list = nullptr;
  size_t next = 0;

  DisplayItem* item() const {
    return list != nullptr && next < list->size() ? &(*list)[next] : nullptr;
  }
};

// Fills field widths, leading and trailing texts of the items at the cursor
// from one layout line, moving the cursor past each item it completes.
void apply_layout_line(const std::string& line, const std::string& open_marker,
                       const std::string& close_marker, LayoutCursor& cursor);
