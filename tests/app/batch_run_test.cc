// The batch run with a second output beside the table: every computed site
// reaches it in input order, it is committed before the table, and while it
// holds too much no further site is read.
#include "app/batch_run.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sites/site_table.h"
#include "support/run_drevel.h"

using namespace drevel;

namespace {

// Two-allele sites at positions 1..n, each read logged as "r<pos> ".
class logged_source : public site_source {
 public:
  logged_source(int n, std::string* log) : n_(n), log_(log) {}
  status next(site_record* site, bool* at_end) override {
    *at_end = read_ == n_;
    if (*at_end) return status::ok();
    read_++;
    *site = site_record();
    site->labels = {"1", std::to_string(read_), ".", ".", "."};
    site->k = 2;
    group_counts g;
    const int64_t hom0 = 10 + read_ % 7, het = 5, hom1 = 3;
    g.tested = {0, 1};
    g.counts = {double(hom0), double(het), double(hom1)};
    g.allele_counts = {2 * hom0 + het, 2 * hom1 + het};
    g.called = hom0 + het + hom1;
    g.heterozygous = het;
    site->groups = {g};
    *log_ += "r" + std::to_string(read_) + " ";
    return status::ok();
  }

 private:
  int n_, read_ = 0;
  std::string* log_;
};

// Logs each site written as "w<pos> " and the commit as "commit"; holds too
// much while `limit` sites or more are read and not written.
class logged_sink : public site_sink {
 public:
  logged_sink(std::string* log, int limit, const std::string& table)
      : log_(log), limit_(limit), table_(table) {}
  status write(const site_record& site, const site_evidence&) override {
    *log_ += "w" + site.labels[1] + " ";
    written_++;
    return status::ok();
  }
  bool holding_too_much() const override {
    int read = 0;
    for (char c : *log_) read += c == 'r';
    return read - written_ >= limit_;
  }
  status commit() override {
    table_existed_ = file_exists(table_);
    *log_ += "commit";
    return status::ok();
  }
  bool table_existed_ = true;

 private:
  std::string* log_;
  int limit_, written_ = 0;
  std::string table_;
};

command_line run_options(const std::string& table) {
  command_line cl;
  cl.mode = run_mode::vcf;
  cl.files = {"in", table};
  cl.threads = 2;
  cl.tuning.minmc = 100;
  cl.tuning.maxmc = 200;
  return cl;
}

table_layout vcf_layout() {
  table_layout layout;
  layout.labels = vcf_label_columns();
  return layout;
}

batch_table vcf_table(site_sink* beside) {
  batch_table t;
  t.header = table_header(vcf_layout());
  t.append_rows = [](const site_record& site, const site_evidence& evidence, std::string* out) {
    append_rows(vcf_layout(), site, evidence, nullptr, out);
  };
  t.row_noun = "sites";
  t.beside = beside;
  return t;
}

}  // namespace

TEST(batch_run, sites_beside_the_table_come_in_order_and_commit_first) {
  const std::string table = make_temp_dir() + "/t.tsv";
  std::string log;
  logged_source source(300, &log);
  logged_sink sink(&log, 1000, table);
  ASSERT_EQ(run_batch(run_options(table), source, vcf_table(&sink)), 0);
  // Every site written once, in order, after it was read; then the commit,
  // before the table appeared.
  std::string written;
  for (size_t at = log.find('w'); at != std::string::npos; at = log.find('w', at + 1))
    written += log.substr(at, log.find(' ', at) - at + 1);
  std::string expected;
  for (int pos = 1; pos <= 300; pos++) expected += "w" + std::to_string(pos) + " ";
  EXPECT_EQ(written, expected);
  for (int pos = 1; pos <= 300; pos++)
    EXPECT_LT(log.find("r" + std::to_string(pos) + " "), log.find("w" + std::to_string(pos) + " "));
  EXPECT_EQ(log.substr(log.size() - 6), "commit");
  EXPECT_FALSE(sink.table_existed_);
  EXPECT_TRUE(file_exists(table));
  // Without a limit of its own, the run reads ahead of what it writes.
  EXPECT_NE(log.find("r3 "), std::string::npos);
  EXPECT_LT(log.find("r3 "), log.find("w1 "));
}

TEST(batch_run, no_site_is_read_while_the_output_beside_holds_too_much) {
  const std::string table = make_temp_dir() + "/t.tsv";
  std::string log;
  logged_source source(50, &log);
  logged_sink sink(&log, 1, table);
  ASSERT_EQ(run_batch(run_options(table), source, vcf_table(&sink)), 0);
  std::string expected;
  for (int pos = 1; pos <= 50; pos++)
    expected += "r" + std::to_string(pos) + " w" + std::to_string(pos) + " ";
  EXPECT_EQ(log, expected + "commit");
}
