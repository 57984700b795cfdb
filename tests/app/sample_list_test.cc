#include "app/sample_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/run_drevel.h"

using namespace drevel;

TEST(sample_list, names_and_files) {
  std::vector<std::string> names;
  std::string error;
  ASSERT_TRUE(read_sample_list("A,B C,D", &names, &error));
  EXPECT_EQ(names, (std::vector<std::string>{"A", "B C", "D"}));

  std::string dir = make_temp_dir();
  write_text(dir + "/s.txt", "A\r\n\nname,with,commas\nD\n");
  ASSERT_TRUE(read_sample_list("@" + dir + "/s.txt", &names, &error));
  EXPECT_EQ(names, (std::vector<std::string>{"A", "name,with,commas", "D"}));

  EXPECT_FALSE(read_sample_list("A,,B", &names, &error));
  EXPECT_NE(error.find("empty name"), std::string::npos);
  EXPECT_FALSE(read_sample_list("A,B,A", &names, &error));
  EXPECT_EQ(error, "sample 'A' is listed twice");
  write_text(dir + "/empty.txt", "\n\n");
  EXPECT_FALSE(read_sample_list("@" + dir + "/empty.txt", &names, &error));
  EXPECT_NE(error.find("the sample list is empty"), std::string::npos);
  EXPECT_FALSE(read_sample_list("@" + dir + "/missing.txt", &names, &error));
  EXPECT_NE(error.find("missing.txt: cannot open the sample list"), std::string::npos);
}
