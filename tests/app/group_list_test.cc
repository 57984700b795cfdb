// The --groups file: groups in order of first appearance, bcftools'
// comma-separated lists, and the lines it refuses with their line numbers.
#include "app/group_list.h"

#include <gtest/gtest.h>

#include "support/run_drevel.h"

using namespace drevel;

TEST(group_list, groups_in_order_of_first_appearance) {
  std::string path = make_temp_dir() + "/groups.txt";
  write_text(path, "S3\tAFR\n\n  S1   EUR  \r\nS2 AFR,ALL\nS4 ALL,EUR,ALL\n");
  sample_groups g;
  std::string error;
  ASSERT_TRUE(read_group_list(path, &g, &error)) << error;
  EXPECT_EQ(g.source, path);
  EXPECT_EQ(g.names, (std::vector<std::string>{"AFR", "EUR", "ALL"}));
  ASSERT_EQ(g.members.size(), 4u);
  EXPECT_EQ(g.members[0], (std::pair<std::string, std::vector<int>>{"S3", {0}}));
  EXPECT_EQ(g.members[1], (std::pair<std::string, std::vector<int>>{"S1", {1}}));
  EXPECT_EQ(g.members[2], (std::pair<std::string, std::vector<int>>{"S2", {0, 2}}));
  EXPECT_EQ(g.members[3], (std::pair<std::string, std::vector<int>>{"S4", {2, 1}}));
}

TEST(group_list, bad_files_name_the_line) {
  std::string dir = make_temp_dir();
  struct bad {
    std::string text, message;
  };
  for (const bad& b : std::vector<bad>{
           {"S1 A\nS2\n", "line 2: expected a sample name and a group (\"sample group\"), not 'S2'"},
           {"S1 A B\n", "line 1: expected a sample name and a group"},
           {"S1 A\nS2 B\nS1 C\n", "line 3: sample 'S1' is listed twice (first on line 1)"},
           {"S1 A,,B\n", "line 1: an empty group name in 'A,,B'"},
           {"\n\n", "the groups file lists no sample"},
       }) {
    write_text(dir + "/g.txt", b.text);
    sample_groups g;
    std::string error;
    EXPECT_FALSE(read_group_list(dir + "/g.txt", &g, &error)) << b.text;
    EXPECT_EQ(error.find(dir + "/g.txt: "), 0u) << error;
    EXPECT_NE(error.find(b.message), std::string::npos) << error;
  }
  sample_groups g;
  std::string error;
  EXPECT_FALSE(read_group_list(dir + "/none.txt", &g, &error));
  EXPECT_EQ(error, dir + "/none.txt: cannot open the groups file: No such file or directory");
}
