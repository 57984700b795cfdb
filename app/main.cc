// drevel <inputfile> <outputfile>: Bayesian evidence for Hardy-Weinberg
// equilibrium at one locus.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/result_file.h"
#include "app/run.h"
#include "app/options.h"
#include "app/plot_main.h"
#include "app/vcf_main.h"
#include "numeric/nrutil.h"

using namespace drevel;

static const char* const help_text =
    "Usage: drevel <inputfile> <outputfile>\n"
    "       drevel [--engine fast|literal] [--threads N] <inputfile> <outputfile>\n"
    "       drevel --vcf [options] <input> <output>\n"
    "       drevel --plot <table> <picture>\n"
    "\n"
    "Computes the Bayesian evidence for Hardy-Weinberg equilibrium at one locus\n"
    "with k alleles from its genotype counts.\n"
    "\n"
    "Input file (items separated by white space):\n"
    "  k                          number of alleles\n"
    "  X(1,1) X(2,1) X(2,2) ...   the k(k+1)/2 genotype counts, lower triangle\n"
    "                             row by row, X(k,1) ... X(k,k) last\n"
    "  precision minmc maxmc      Monte Carlo tolerance, minimum and maximum\n"
    "                             draws; 0 selects 0.005, 500*c and 10000*c\n"
    "\n"
    "Result file, five lines: the evidence; the largest log-kernel L_max; the\n"
    "largest log-kernel under equilibrium L_hyp; the posterior mode over the\n"
    "cells; the fitted equilibrium genotype frequencies.\n"
    "\n"
    "Exit status: 0 on success, 1 on a failure, 2 on a usage error.\n"
    "See README.TXT for the file formats.\n"
    "\n"
    "  --engine fast|literal  the Monte Carlo engine (default fast); literal is\n"
    "                         the direct evaluation, kept as a cross-check: both\n"
    "                         write the same result file, byte for byte\n"
    "  --threads N            threads of the fast engine (default: one per core);\n"
    "                         the result file is the same for every N\n"
    "  -h, --help             print this help and exit\n"
    "  --version              print the version and exit\n"
    "\n"
    "Many loci: drevel --vcf [options] <input> <output>\n"
    "  Reads a VCF, bgzipped VCF or BCF file (- for standard input) and writes one\n"
    "  tab-separated row per site (- for standard output), in the input's order:\n"
    "  #CHROM POS ID REF ALT N_ALLELES N_CALLED N_SKIPPED EVIDENCE L_MAX L_HYP DRAWS\n"
    "  k = 1 + the number of ALT alleles; each diploid GT call, phased or not, adds\n"
    "  1 to its genotype cell; missing, haploid and polyploid calls are counted in\n"
    "  N_SKIPPED.  A site without counted calls, or with more alleles than\n"
    "  --max-alleles, gets NA in the computed columns.  Each site is computed as\n"
    "  the two-file run computes its counts, so its row does not depend on the\n"
    "  other sites or the number of threads.\n"
    "  --threads N       worker threads (default: the number of cores)\n"
    "  --regions LIST    only sites overlapping chr, chr:pos or chr:begin-end\n"
    "                    items, comma-separated; needs a .tbi/.csi index\n"
    "  --samples LIST    count only these samples: comma-separated names, or\n"
    "                    @file with one name a line\n"
    "  --precision P     Monte Carlo tolerance (0: 0.005)\n"
    "  --minmc N         minimum draws (0: 500*c, c = k(k+1)/2 cells)\n"
    "  --maxmc N         maximum draws (0: 10000*c)\n"
    "  --engine E        fast (default) or literal, as for one locus; each site\n"
    "                    runs on one thread\n"
    "  --max-alleles K   compute sites with at most K alleles (default 20, at\n"
    "                    most 654); the work per site grows as k^4\n"
    "\n"
    "Pictures: drevel --plot <table> <picture>\n"
    "  Reads a table written by --vcf or --genepop (- for standard input) and\n"
    "  draws, for its rows with STATUS ok and two alleles tested, the de Finetti\n"
    "  diagram: each row a point at its genotype frequencies in the triangle of\n"
    "  hom. REF (0/0), het. (0/1) and hom. ALT (1/1) (Genepop: 11, 12, 22, allele\n"
    "  1 the smaller code), coloured by its evidence, lowest evidence on top,\n"
    "  with the Hardy-Weinberg parabola (p^2, 2pq, q^2); one diagram per GROUP\n"
    "  (VCF table) or POP (Genepop table).  Beside it, the histogram of every\n"
    "  row's evidence value, over the colour scale.  The title names the table\n"
    "  and counts the rows drawn and not drawn, and why.  The picture's format\n"
    "  follows its name: .svg, .png or .pdf.  Columns are found by their header\n"
    "  names.  Past 400000 distinct points, each cell of a fine grid keeps the\n"
    "  row of lowest evidence, and the legend says so.\n";

int main(int argc, char** argv) {
  command_line cl;
  std::string error;
  if (!parse_command_line(argc, argv, &cl, &error)) {
    std::fprintf(stderr, "drevel: %s (see drevel --help)\n", error.c_str());
    return 2;
  }
  if (cl.mode == run_mode::help) {
    std::fputs(help_text, stdout);
    return 0;
  }
  if (cl.mode == run_mode::version) {
    std::printf("drevel %s\n", DREVEL_VERSION);
    return 0;
  }
  if (cl.mode == run_mode::vcf) return vcf_main(cl);
  if (cl.mode == run_mode::plot) return plot_main(cl);
  if (cl.mode != run_mode::classic) {
    std::fputs("drevel: this mode is not available in this build\n", stderr);
    return 1;
  }

  // The two-file run reads its files as argv[1] and argv[2], the options
  // taken out.
  std::vector<char*> files{argv[0]};
  for (std::string& f : cl.files) files.push_back(&f[0]);
  files.push_back(nullptr);
  int k, c;
  double* alpha;
  double precision;
  int32_t minmc, maxmc;
  Read_Data(static_cast<int>(files.size()) - 1, files.data(), &k, &c, &alpha, &precision, &minmc,
            &maxmc);

  double* m = vector(0, c);
  double* h = vector(0, c);
  m[0] = c;
  h[0] = c;
  double L_max, L_hyp, E;
  engine_choice engine;
  engine.engine = cl.tuning.engine;
  engine.threads = thread_count(cl);
  CalcEvidence(k, c, alpha, m, h, &L_max, &L_hyp, &E, maxmc, minmc, precision, engine);

  int status = write_file_atomically(files[2], format_result(E, L_max, L_hyp, m, h, c));
  free_vector(alpha, 0, c);
  free_vector(m, 0, c);
  free_vector(h, 0, c);
  if (status == 1) std::fputs("Error: unable to open output file\n", stderr);
  if (status == 2) std::fputs("Error: unable to write output file\n", stderr);
  return status == 0 ? 0 : 1;
}
