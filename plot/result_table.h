// Reading back a table written by `drevel --vcf` or `drevel --genepop`, row
// by row, for the picture.  Columns are found by their header names, so
// columns added later or in another order do not matter; only what the
// picture needs is parsed.
#ifndef DREVEL_PLOT_RESULT_TABLE_H
#define DREVEL_PLOT_RESULT_TABLE_H

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "fault/status.h"

namespace drevel {

enum class table_kind { vcf, genepop };

// What the picture takes from a row.
struct table_row {
  uint64_t line = 0;      // 1-based line number in the file
  std::string group;      // GROUP (VCF table) or POP (Genepop table); "" without groups
  std::string group_first;  // FIRST_INDIVIDUAL of a Genepop table, else ""
  int declared_alleles = 0;  // N_ALLELES, 0 when the table has no such column
  int tested_alleles = 0;    // N_TESTED
  std::string status;        // STATUS as written: ok, no_calls, monomorphic, ...
  bool has_evidence = false;  // false for NA
  double evidence = 0;        // in [0, 1]
  // The genotype counts n(0/0), n(0/1), n(1/1), filled only for a row with
  // STATUS ok and two tested alleles (has_two_allele_counts).
  bool has_two_allele_counts = false;
  double counts[3] = {0, 0, 0};
  // What the heatmap of a table with groups or populations places the row
  // by (plot_content.h); left empty for a table without groups.
  std::string group_name;  // POP_NAME of a Genepop table; "" without the column
  // LOCUS of a Genepop table; for a VCF table the site's ID, or CHROM:POS
  // where the ID is "." or missing.
  std::string locus;
  // CHROM, POS, ID, REF and ALT of a VCF table, which tell its sites apart;
  // "" for a Genepop table.
  std::string site;
  // A joint row of a table written with --joint (one with an N_JOINED
  // column): the evidence across the site's groups (GROUP "*") or across
  // the populations (POP "*"), across a population's loci (LOCUS "*"), or
  // both.  Such a row has no genotype counts; an NA in N_ALLELES or
  // N_TESTED reads as 0.
  bool joint_groups = false;
  bool joint_loci = false;
};

class result_table_reader {
 public:
  result_table_reader() = default;
  result_table_reader(const result_table_reader&) = delete;
  result_table_reader& operator=(const result_table_reader&) = delete;
  ~result_table_reader();

  // Opens path ("-": standard input) and reads its header.  A fault of kind
  // input, with a one-line message naming the file, when it cannot be read
  // or is not such a table (another header, a result file of a single
  // locus, a VCF, a compressed or binary file).
  status open(const std::string& path);

  // Reads the next row into *row, or sets *at_end at the end of the table.
  // A fault of kind input, with a one-line message naming the file and the
  // line: a wrong number of fields, a value that does not parse, a line
  // that is not text, a file that cannot be read.
  status next(table_row* row, bool* at_end);

  table_kind kind() const { return kind_; }
  bool has_groups() const { return group_column_ >= 0; }
  // The file's name as messages give it ("standard input" for "-").
  const std::string& name() const { return name_; }

 private:
  // Reads one line without its end into *line, or sets *at_end at the end
  // of input; a fault when it could not be read or is not a text line.
  status read_line(std::string* line, bool* at_end);
  // Reads the next chunk into the buffer; a fault on a read error.
  status fill();
  status read_header();
  std::string at_line() const;

  std::FILE* file_ = nullptr;
  bool own_file_ = false;
  std::string name_;
  std::vector<char> buffer_;
  size_t begin_ = 0, end_ = 0;
  bool at_eof_ = false;
  uint64_t line_ = 0;
  table_kind kind_ = table_kind::vcf;
  size_t columns_ = 0;
  int group_column_ = -1, first_column_ = -1, declared_column_ = -1;
  int tested_column_ = -1, status_column_ = -1, evidence_column_ = -1, genotypes_column_ = -1;
  // The heatmap's columns: -1 where the table has none.
  int name_column_ = -1, locus_column_ = -1, chrom_column_ = -1, pos_column_ = -1;
  int id_column_ = -1, ref_column_ = -1, alt_column_ = -1, joined_column_ = -1;
  void find_heatmap_columns(const std::vector<std::string>& names);
  void read_heatmap_keys(table_row* row) const;
  std::string text_;
  std::vector<const char*> field_begin_;
  std::vector<size_t> field_size_;
};

// The longest line read, in bytes: room for the genotype counts of the most
// alleles a table can have.
constexpr size_t max_table_line = size_t(64) << 20;

}  // namespace drevel

#endif
