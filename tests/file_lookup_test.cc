#include "platform/file_lookup.h"

#include <gtest/gtest.h>

#include <string>

#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace {

// The first line of what `locate_file` opened, or "(none)".
std::string open_and_read(const char* name) {
  std::FILE* stream = locate_file(name, "r");
  if (stream == nullptr) return "(none)";
  char line[256] = "";
  if (std::fgets(line, sizeof line, stream) == nullptr) line[0] = '\0';
  std::fclose(stream);
  return line;
}

TEST(FileLookup, NameAsGivenThenUnderSessPath) {
  TempDir here, sess;
  sess.write("joblog.tpl", "sess\n");
  ScopedCwd cwd(here.path());
  {
    ScopedEnv env("SESSPATH", (sess.path() + "/").c_str());  // a slash at its end is fine
    EXPECT_EQ(open_and_read("joblog.tpl"), "sess\n");
    EXPECT_EQ(open_and_read("other.tpl"), "(none)");
    here.write("joblog.tpl", "here\n");
    EXPECT_EQ(open_and_read("joblog.tpl"), "here\n");
  }
  ScopedEnv env("SESSPATH", nullptr);
  EXPECT_EQ(open_and_read("other.tpl"), "(none)");
  EXPECT_EQ(locate_file(nullptr, "r"), nullptr);
}

TEST(FileLookup, JoinedPathAtAndJustOverTheLimit) {
  TempDir here, sess;
  sess.write("x", "found\n");
  ScopedCwd cwd(here.path());
  ScopedEnv env("SESSPATH", sess.path().c_str());
  // Slashes pad the name: SESSPATH, "/" and the name make 255 characters,
  // then 256, which no longer fit with the terminator.
  const size_t pad = 255 - sess.path().size() - 1 - 2;
  const std::string name = "." + std::string(pad, '/') + "x";
  ASSERT_EQ(sess.path().size() + 1 + name.size(), 255u);
  EXPECT_EQ(open_and_read(name.c_str()), "found\n");
  EXPECT_EQ(open_and_read((".//" + name.substr(1)).c_str()), "(none)");
}

}  // namespace
