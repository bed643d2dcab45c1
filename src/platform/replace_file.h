#pragma once

#include <string_view>

// Replaces the file at `path` with `content` so that, however the process
// ends, the path names either the old file or the whole new one: the content
// goes into a temporary file in the same folder (mode 0600), is flushed to
// disk, and the temporary file is renamed over `path`. Returns 0, or the
// errno of the step that failed (the temporary file is then removed).
int replace_file(const char* path, std::string_view content);
