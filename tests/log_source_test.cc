// A log that cannot be read twice is copied before the lock. Its banner may
// arrive in any pieces; the copy stops by itself as soon as the bytes that
// came are not the banner, and never looks at later bytes.

#include "joblog/log_source.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <future>
#include <string>
#include <vector>

namespace {

struct Copy {
  std::string bytes;
  bool stopped_by_itself;  // before its writer gave up waiting (5 s) and closed
};

// Standard input becomes a socket that hands each piece to one read; with
// `held`, the writer then keeps it open until the copy is done, or 5 s.
Copy copy_of_pieces(const std::vector<std::string>& pieces, bool held) {
  int ends[2];
  EXPECT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET, 0, ends), 0);
  std::promise<void> done;
  std::future<bool> writer = std::async(std::launch::async, [&, copied = done.get_future()] {
    // Pieces after the copy stopped find no reader.
    for (const std::string& piece : pieces) send(ends[1], piece.data(), piece.size(), MSG_NOSIGNAL);
    const bool in_time =
        !held || copied.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    close(ends[1]);
    return in_time;
  });
  const int saved = dup(STDIN_FILENO);
  dup2(ends[0], STDIN_FILENO);
  close(ends[0]);
  std::vector<LogSource> sources;
  EXPECT_TRUE(prepare_log_sources({"-"}, sources));
  dup2(saved, STDIN_FILENO);
  close(saved);
  done.set_value();
  Copy copy{"", writer.get()};
  std::rewind(sources[0].stream);  // the scan reads by position
  char block[4096];
  for (size_t n; (n = std::fread(block, 1, sizeof block, sources[0].stream)) > 0;) {
    copy.bytes.append(block, n);
  }
  std::fclose(sources[0].stream);
  return copy;
}

TEST(LogSource, BannerArrivingInPieces) {
  const std::string log = " Job Log created S\n  1\nq:1\n  user-name u\n";
  std::vector<std::string> bytewise;
  for (const char c : log) bytewise.push_back(std::string(1, c));
  const struct {
    std::vector<std::string> pieces;
    std::string copied;  // all of it, or the pieces up to the first that is not the banner
    bool whole;
  } kRows[] = {
      {bytewise, log, true},
      {{" Job Log", " created S\n", "  1\nq:1\n", "  user-name u\n"}, log, true},
      // Later pieces that begin like a banner's later bytes, or not at all.
      {{" Job Log created ", "S\n  1\n", " Job Log created ", "\n"},
       log.substr(0, 23) + " Job Log created \n",
       true},
      {{" Job Log created", "X\n  1\n", "q:1\n"}, " Job Log createdX\n  1\n", false},
      {{" Job", " Lag created S\n", "more"}, " Job Lag created S\n", false},
      {{"x", " Job Log created S\n"}, "x", false},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(testing::PrintToString(row.pieces));
    const Copy copy = copy_of_pieces(row.pieces, !row.whole);
    EXPECT_EQ(copy.bytes, row.copied);
    EXPECT_TRUE(copy.stopped_by_itself);
  }
}

}  // namespace
