#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Where an incremental run left a log: the log's identity (its log number
// and identification stamp, which a new log after rotation does not share)
// and the offset at which its last job record shown ended.
struct CursorPoint {
  long log_number = 0;
  int64_t offset = 0;
  std::string stamp;
};

// Reads the points of a cursor file: "jobview cursor 1", then one line per
// log, "LOGNUMBER OFFSET STAMP". A missing or empty file holds none. False
// for any other content, and for a path that names something else than a
// regular file.
bool read_cursor_file(const char* path, std::vector<CursorPoint>& points);

// The text of a cursor file holding `points`; of points with the same
// identity only the first is kept.
std::string cursor_file_text(const std::vector<CursorPoint>& points);

// The point of the log with this identity; null when there is none.
const CursorPoint* find_cursor_point(const std::vector<CursorPoint>& points, long log_number,
                                     const std::string& stamp);
