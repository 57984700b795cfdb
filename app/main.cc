// drevel <inputfile> <outputfile>: Bayesian evidence for Hardy-Weinberg
// equilibrium at one locus.
#include <cstdio>
#include <new>
#include <string>
#include <system_error>

#include "app/classic_run.h"
#include "app/options.h"
#include "app/bed_main.h"
#include "app/counts_main.h"
#include "app/genepop_main.h"
#include "app/plot_main.h"
#include "app/vcf_main.h"
#include "schema/column_reference.h"

using namespace drevel;

static const char* const help_text =
    "Usage: drevel <inputfile> <outputfile>\n"
    "       drevel [--engine fast|literal] [--threads N] <inputfile> <outputfile>\n"
    "       drevel --vcf [options] <input> <output>\n"
    "       drevel --genepop [options] <input> <output>\n"
    "       drevel --bed [options] <prefix> <output>\n"
    "       drevel --counts [options] <table> <output>\n"
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
    "                         the result file is the same for every N; with 2 or\n"
    "                         more, a large locus runs on two threads for the\n"
    "                         stretches of the run where timing shows they draw\n"
    "                         faster than one\n"
    "  --verbose              say on stderr the engine, its threads, and which\n"
    "                         driver the fast engine ran, and why\n"
    "  -h, --help             print this help and exit\n"
    "  --version              print the version and exit\n"
    "\n";

// The batch modes, their options and their columns.
static const char* const batch_help_text =
    "Many loci: drevel --vcf [options] <input> <output>\n"
    "  Reads a VCF, bgzipped VCF or BCF file (- for standard input) and writes one\n"
    "  tab-separated row per site, or per site and group with --groups (- for\n"
    "  standard output), in the input's order:\n"
    "  #CHROM POS ID REF ALT [GROUP] N_ALLELES N_CALLED N_SKIPPED EVIDENCE L_MAX\n"
    "  L_HYP DRAWS N_TESTED STATUS GENOTYPES HET_OBS HET_EXP F MC_SE AT_MAXMC\n"
    "  P_HWE P_HWE_MIDP P_HET_EXCESS P_HET_DEFICIT P_HWE_SE SEV\n"
    "  Each diploid GT call, phased or not, adds 1 to its genotype cell; missing,\n"
    "  half-missing, haploid and polyploid calls are counted in N_SKIPPED (on\n"
    "  chromosome X, males called haploid are skipped: the test is on the diploid\n"
    "  calls).  The alleles tested are those seen among the counted calls, in the\n"
    "  file's order; each row is computed as the two-file run computes its\n"
    "  GENOTYPES counts, so it does not depend on the other sites or the threads.\n"
    "  --threads N       threads that compute, read and write: N in all besides\n"
    "                    the main thread, which waits on them (default: the\n"
    "                    number of cores)\n"
    "  --regions LIST    only sites overlapping chr, chr:pos or chr:begin-end\n"
    "                    items, comma-separated; needs a .tbi/.csi index\n"
    "  --regions-overlap pos|record\n"
    "                    record (default): sites whose span overlaps a region;\n"
    "                    pos: sites whose POS lies in one, so that regions that\n"
    "                    tile a genome give every site once (as bcftools)\n"
    "  --samples LIST    count only these samples: comma-separated names, or\n"
    "                    @file with one name a line\n"
    "  --groups FILE     lines \"sample group\" (as bcftools +fill-tags -S takes\n"
    "                    them; group may be a comma-separated list): one row per\n"
    "                    site and group, groups in their order in FILE; samples\n"
    "                    in no group are not counted; with --samples, a sample\n"
    "                    counts when it is in both\n"
    "  --declared-alleles  test every allele the site declares, seen or not (the\n"
    "                    counting of earlier releases); a site that declares one\n"
    "                    allele stays monomorphic\n"
    "  --joint           with --groups: after each site's group rows, a row of\n"
    "                    GROUP * with the evidence for equilibrium in every group\n"
    "                    at once, on the product of the groups' posteriors;\n"
    "                    groups monomorphic or without calls are left out, and\n"
    "                    N_JOINED and N_LEFT_OUT (two more columns) count them.\n"
    "                    Its draws cost about the sum of the groups' (see\n"
    "                    docs/joint-evidence.md)\n"
    "  --precision P     Monte Carlo tolerance (0: 0.005)\n"
    "  --minmc N         minimum draws (0: 500*c, c = k(k+1)/2 cells)\n"
    "  --maxmc N         maximum draws (0: 10000*c)\n"
    "  --engine E        fast (default) or literal, as for one locus\n"
    "  --site-engine batch|per-site\n"
    "                    batch (default, fast engine only): many sites' draws at\n"
    "                    once on each thread, sharing the random stream, the\n"
    "                    rejection tables and repeated counts; per-site: each\n"
    "                    site on one thread, the threads on different sites.\n"
    "                    Both write the same table, byte for byte; the literal\n"
    "                    engine always runs per site\n"
    "  --max-alleles K   compute rows with at most K tested alleles (default 20,\n"
    "                    at most 654); the work per row grows as k^4\n"
    "  --hwe-tables N    tables of the Markov chain that estimates P_HWE for\n"
    "                    three or more alleles (default 10000, a multiple of 100)\n"
    "  --annotate FILE   also write the input's records with the INFO fields\n"
    "                    HWE_EV (EVIDENCE), HWE_EV_SE (MC_SE), HWE_F (F),\n"
    "                    HWE_P, HWE_P_MIDP, HWE_P_EXC, HWE_P_DEF (P_HWE,\n"
    "                    P_HWE_MIDP, P_HET_EXCESS, P_HET_DEFICIT), HWE_SEV (SEV),\n"
    "                    floats, where the table has a value; with --groups\n"
    "                    HWE_EV_<group>, HWE_EV_SE_<group>, ... for each group\n"
    "                    (characters other than A-Z a-z 0-9 _ . written as _);\n"
    "                    with --joint HWE_EV_JOINT, HWE_EV_SE_JOINT, HWE_SEV_JOINT.\n"
    "                    FILE's name gives its type: .vcf, .vcf.gz or .bcf.\n"
    "                    Filter with bcftools view -i 'INFO/HWE_EV < 0.05'\n"
    "  --write-index     with --annotate .vcf.gz or .bcf: also FILE.csi\n"
    "\n"
    "Genepop files: drevel --genepop [options] <input> <output>\n"
    "  Reads a Genepop file (title line; locus names, one a line or comma-\n"
    "  separated; Pop before each population; \"name , genotype genotype ...\"\n"
    "  with two- or three-digit allele codes, 0 for missing) and writes one row\n"
    "  per population and locus, population by population:\n"
    "  #POP POP_NAME FIRST_INDIVIDUAL LOCUS N_ALLELES ... SEV ALLELES\n"
    "  POP is the population's number, POP_NAME the text after Pop on its line\n"
    "  (. when none), FIRST_INDIVIDUAL its first individual's name.  The\n"
    "  alleles tested are the codes seen in the population, allele 1\n"
    "  the smallest, so a row is the two-file run of GENOTYPES in code order.  A\n"
    "  genotype with one missing code is skipped.  With --joint, after each\n"
    "  population's rows a row of LOCUS * (the population across its loci), and\n"
    "  after every population one row of POP * per locus (the locus across the\n"
    "  populations).  Options: --threads, --joint, --precision, --minmc,\n"
    "  --maxmc, --engine, --site-engine, --max-alleles, as for --vcf.\n"
    "\n"
    "PLINK files: drevel --bed [options] <prefix> <output>   (or --bfile)\n"
    "  Reads <prefix>.bed (SNP-major PLINK 1 binary), .bim and .fam, counting the\n"
    "  packed calls directly, and writes the table of --vcf: REF is A2 (the .bim's\n"
    "  6th column) and ALT is A1 (5th), as plink2 --export vcf writes them, so the\n"
    "  rows equal --vcf's on that export.  --samples and --groups name samples by\n"
    "  IID (or FID_IID when no IID matches); --regions (no index needed) and\n"
    "  --regions-overlap go by the .bim's positions.  Options: --threads,\n"
    "  --regions, --regions-overlap, --samples, --groups, --joint,\n"
    "  --declared-alleles, --precision, --minmc, --maxmc, --engine,\n"
    "  --site-engine, --max-alleles, as for --vcf; not --annotate.\n"
    "\n"
    "Count tables: drevel --counts [options] <table> <output>\n"
    "  Reads per-site genotype counts: plink2 --geno-counts output (.gcount; add\n"
    "  cols=+pos for POS, or NA is written; multi-allelic rows included; haploid\n"
    "  and missing calls are N_SKIPPED), written as --vcf's table; or a table\n"
    "  drevel wrote, computed again from its GENOTYPES with the options given and\n"
    "  written with its own label columns.  Options: --threads,\n"
    "  --declared-alleles, --precision, --minmc, --maxmc, --engine,\n"
    "  --site-engine, --max-alleles.\n"
    "\n"
    "Columns of every table (NA: not computed, STATUS says why, or not defined):\n";

static const char* const plot_help_text =
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
    "  row of lowest evidence, and the legend says so.\n"
    "  A table with groups or populations also gets, above the diagrams, a\n"
    "  heatmap of EVIDENCE: populations (POP_NAME, else POP) by loci, or groups\n"
    "  by sites (ID, else CHROM:POS), in the table's order, at most 60 of each\n"
    "  (the heatmap says how many were left out); cells whose STATUS is not ok\n"
    "  or whose EVIDENCE is NA are grey and crossed.  The joint rows of --joint\n"
    "  (GROUP, POP or LOCUS *) are a last row and column set apart, and only\n"
    "  there.  Diagrams of groups without a two-allele row are then left out.\n";

static int run_command_line(int argc, char** argv);

int main(int argc, char** argv) {
  // What no mode catches itself: memory or a thread that a step cannot
  // have.  Caught here, the outputs' destructors remove their temporary
  // files, and the targets stay as they were.
  try {
    return run_command_line(argc, argv);
  } catch (const std::bad_alloc&) {
    std::fputs("drevel: out of memory\n", stderr);
  } catch (const std::system_error& e) {
    std::fprintf(stderr, "drevel: cannot start a thread: %s\n", e.code().message().c_str());
  }
  return 1;
}

static int run_command_line(int argc, char** argv) {
  command_line cl;
  std::string error;
  if (!parse_command_line(argc, argv, &cl, &error)) {
    std::fprintf(stderr, "drevel: %s (see drevel --help)\n", error.c_str());
    return 2;
  }
  if (cl.mode == run_mode::help) {
    std::fputs(help_text, stdout);
    std::fputs(batch_help_text, stdout);
    std::fputs(column_reference(reference_format::help).c_str(), stdout);
    std::fputs("\n", stdout);
    std::fputs(plot_help_text, stdout);
    return 0;
  }
  if (cl.mode == run_mode::version) {
    std::printf("drevel %s\n", DREVEL_VERSION);
    return 0;
  }
  if (cl.mode == run_mode::vcf) return vcf_main(cl);
  if (cl.mode == run_mode::genepop) return genepop_main(cl);
  if (cl.mode == run_mode::bed) return bed_main(cl);
  if (cl.mode == run_mode::counts) return counts_main(cl);
  if (cl.mode == run_mode::plot) return plot_main(cl);
  if (cl.mode != run_mode::classic) {
    std::fputs("drevel: this mode is not available in this build\n", stderr);
    return 1;
  }

  return classic_main(cl);
}
