#pragma once

// The reading loops of LogFile, templates so that each caller's visitor is
// inlined into the loop: every byte of a log passes through one of them.
// Whoever reads a log includes this header.

#include "joblog/line_ends.h"
#include "joblog/log_file.h"

template <typename Visit>
int64_t LogFile::for_each_header(int64_t offset, Visit&& visit) {
  for (;;) {
    size_t available;
    bool at_end;
    const char* const base = window_from(offset, available, at_end);
    const char* const end = base + available;
    const char* piece = base;  // where the next read would begin
    joblog_detail::LineEnds line_ends(base, end, /*watch_nul=*/true);
    auto full_pieces_before = [&](const char* limit) {
      while (static_cast<size_t>(limit - piece) >= kLogPieceMax) {
        if (!is_c_space(*piece))
          visit(offset + (piece - base), LogPiece{piece, kLogPieceMax, false});
        piece += kLogPieceMax;
      }
    };
    for (;;) {
      const char* const newline = line_ends.next();
      if (newline == end) {
        full_pieces_before(end);
        has_nul_ = has_nul_ || line_ends.saw_nul();
        if (at_end) return offset + (piece - base);  // the read that meets the end
        break;                                       // the line goes on past the window
      }
      full_pieces_before(newline);
      if (!is_c_space(*piece)) {
        visit(offset + (piece - base),
              LogPiece{piece, static_cast<size_t>(newline - piece) + 1, false});
      }
      piece = newline + 1;
    }
    offset += piece - base;
  }
}

template <typename Visit>
void LogFile::for_each_piece(int64_t offset, Visit&& visit) {
  for (;;) {
    size_t available;
    bool at_end;
    const char* const base = bytes_at(offset, available, at_end);
    const char* const end = base + available;
    const char* piece = base;
    joblog_detail::LineEnds line_ends(base, end);
    for (;;) {
      const char* const newline = line_ends.next();
      while (static_cast<size_t>(newline - piece) >= kLogPieceMax) {
        if (!visit(LogPiece{piece, kLogPieceMax, false})) return;
        piece += kLogPieceMax;
      }
      if (newline == end) {
        if (!at_end) break;  // the line goes on past the window
        visit(LogPiece{piece, static_cast<size_t>(end - piece), true});
        return;
      }
      if (!visit(LogPiece{piece, static_cast<size_t>(newline - piece) + 1, false})) return;
      piece = newline + 1;
    }
    offset += piece - base;
  }
}

template <typename Visit>
void LogFile::for_each_chunk(int64_t from, int64_t to, Visit&& visit) {
  while (from < to) {
    size_t available;
    const char* p = bytes_at(from, available);
    if (available == 0) return;
    const size_t size =
        static_cast<int64_t>(available) < to - from ? available : static_cast<size_t>(to - from);
    visit(p, size);
    from += static_cast<int64_t>(size);
  }
}

inline LogPiece LogFile::read_piece(int64_t offset) {
  LogPiece piece;
  for_each_piece(offset, [&piece](const LogPiece& first) {
    piece = first;
    return false;
  });
  return piece;
}
