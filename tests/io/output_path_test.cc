#include "io/output_path.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "support/run_drevel.h"

using namespace drevel;

TEST(output_path, temporary_names_fit_the_limit_on_a_name) {
  EXPECT_EQ(temporary_name("/d/", "result.txt", 255), "/d/.result.txt.XXXXXX");
  EXPECT_EQ(temporary_name("", "r", 255), ".r.XXXXXX");
  for (size_t length : {246u, 247u, 248u, 255u}) {
    std::string name = temporary_name("/d/", std::string(length, 'a'), 255);
    EXPECT_EQ(name.size() - 3, std::min<size_t>(length + 8, 255)) << length;
  }
  // A cut never ends inside a character: 'é' is two bytes, and the cut at
  // 247 bytes would fall between them.
  std::string accents;
  for (int n = 0; n < 127; n++) accents += "\xc3\xa9";
  std::string name = temporary_name("", accents, 255);
  EXPECT_EQ(name, "." + accents.substr(0, 246) + ".XXXXXX");
}

TEST(output_path, links_resolve_to_the_file_they_name) {
  std::string dir = make_temp_dir();
  char* real = realpath(dir.c_str(), nullptr);
  std::string canonical = real;
  free(real);
  write_text(dir + "/file.txt", "x");
  ASSERT_EQ(symlink("file.txt", (dir + "/link").c_str()), 0);
  output_target t;
  ASSERT_TRUE(resolve_output(dir + "/link", &t));
  EXPECT_EQ(t.kind, output_target::replace);
  EXPECT_EQ(t.path, canonical + "/file.txt");
  ASSERT_TRUE(resolve_output(dir + "/new.txt", &t));
  EXPECT_EQ(t.kind, output_target::new_file);
  EXPECT_EQ(t.path, canonical + "/new.txt");
  for (const char* device : {"/dev/null", "/dev/stdout", "/dev/fd/2"}) {
    ASSERT_TRUE(resolve_output(device, &t)) << device;
    EXPECT_EQ(t.kind, output_target::direct) << device;
    EXPECT_EQ(t.path, device);
  }
  EXPECT_EQ(resolve_output(dir + "/no/such/dir/file", &t).message(), std::strerror(ENOENT));
}

TEST(output_path, the_same_file_under_any_name) {
  std::string dir = make_temp_dir();
  std::string in = dir + "/in.txt";
  write_text(in, "x");
  write_text(dir + "/other.txt", "x");
  ASSERT_EQ(symlink(in.c_str(), (dir + "/link").c_str()), 0);
  ASSERT_EQ(link(in.c_str(), (dir + "/hard").c_str()), 0);
  EXPECT_TRUE(same_file(in, in));
  EXPECT_TRUE(same_file(in, dir + "/link"));
  EXPECT_TRUE(same_file(dir + "/link", in));
  EXPECT_TRUE(same_file(in, dir + "/hard"));
  EXPECT_TRUE(same_file(in, dir + "/./in.txt"));
  EXPECT_FALSE(same_file(in, dir + "/other.txt"));
  EXPECT_FALSE(same_file(in, dir + "/missing.txt"));
  EXPECT_FALSE(same_file("-", "-"));
  EXPECT_FALSE(same_file("/dev/null", "/dev/null")) << "only a regular file is replaced";
}
