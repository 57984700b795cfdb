// drevel --plot end to end: the PNG read back pixel by pixel at the points'
// computed positions, on the parabola and off it, and in the histogram's
// bars; one diagram per group; the SVG and PDF well-formed; the same bytes
// on every run; and every refused input with its message, its status and no
// picture left behind.
#include <cairo.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "plot/evidence_colours.h"
#include "plot/picture.h"
#include "support/run_drevel.h"

namespace {

using namespace drevel;

const char* const vcf_header =
    "#CHROM\tPOS\tID\tREF\tALT\tN_ALLELES\tN_CALLED\tN_SKIPPED\tEVIDENCE\tL_MAX\tL_HYP\tDRAWS\t"
    "N_TESTED\tSTATUS\tGENOTYPES\tHET_OBS\tHET_EXP\tF\tMC_SE\tAT_MAXMC\n";

struct site {
  int counts[3];
  double evidence;
};

// Sites away from the parabola and from each other.
const site known_sites[] = {
    {{60, 10, 30}, 0.0}, {{10, 80, 10}, 0.02}, {{70, 20, 10}, 0.5}, {{20, 40, 40}, 0.9}};

std::string evidence_text(double e) {
  char text[32];
  std::snprintf(text, sizeof text, "%e", e);
  return text;
}

std::string vcf_row(const site& s, const std::string& group = "") {
  return "22\t100\t.\tA\tG\t" + (group.empty() ? "" : group + "\t") + "2\t100\t0\t" +
         evidence_text(s.evidence) + "\t-1\t-2\t3000\t2\tok\t" + std::to_string(s.counts[0]) +
         "," + std::to_string(s.counts[1]) + "," + std::to_string(s.counts[2]) +
         "\t0.5\t0.5\t0\t0.01\tno\n";
}

// The known sites, a three-allele row and a monomorphic one.
std::string known_table() {
  std::string t = vcf_header;
  for (const site& s : known_sites) t += vcf_row(s);
  t += "22\t200\t.\tA\tG,T\t3\t100\t0\t3.000000e-01\t-1\t-2\t6000\t3\tok\t1,2,3,4,5,6\t0.5\t0.5\t0"
       "\t0.01\tno\n";
  t += "22\t300\t.\tA\tG\t2\t100\t0\tNA\tNA\tNA\tNA\t1\tmonomorphic\t100\t0\t0\tNA\tNA\tNA\n";
  return t;
}

struct pixel {
  int r, g, b;
};

class png_image {
 public:
  explicit png_image(const std::string& path)
      : surface_(cairo_image_surface_create_from_png(path.c_str())) {}
  ~png_image() { cairo_surface_destroy(surface_); }
  bool ok() const { return cairo_surface_status(surface_) == CAIRO_STATUS_SUCCESS; }
  int width() const { return cairo_image_surface_get_width(surface_); }
  int height() const { return cairo_image_surface_get_height(surface_); }
  // The pixel containing the point (x, y).
  pixel at(double x, double y) const {
    int px = static_cast<int>(std::floor(x)), py = static_cast<int>(std::floor(y));
    const unsigned char* row =
        cairo_image_surface_get_data(surface_) + py * cairo_image_surface_get_stride(surface_);
    uint32_t v = reinterpret_cast<const uint32_t*>(row)[px];
    return {static_cast<int>((v >> 16) & 255), static_cast<int>((v >> 8) & 255),
            static_cast<int>(v & 255)};
  }

 private:
  cairo_surface_t* surface_;
};

int distance(const pixel& p, const rgb& c) {
  return std::max({std::abs(p.r - static_cast<int>(std::lround(c.r * 255))),
                   std::abs(p.g - static_cast<int>(std::lround(c.g * 255))),
                   std::abs(p.b - static_cast<int>(std::lround(c.b * 255)))});
}

const rgb white{1, 1, 1};

// Where a site's point must be, worked out here: the allele frequency of
// the second allele along the base, the heterozygotes' share of the height
// upwards (the page's y axis points down).
page_point site_position(const triangle_frame& f, const site& s) {
  double n = s.counts[0] + s.counts[1] + s.counts[2];
  double q = (s.counts[1] + 2.0 * s.counts[2]) / (2 * n), het = s.counts[1] / n;
  return {f.left + f.side * q, f.base - f.side * het * std::sqrt(3.0) / 2};
}

// The point of the equilibrium parabola at q: 2pq heterozygotes.
page_point curve_position(const triangle_frame& f, double q) {
  return {f.left + f.side * q, f.base - f.side * 2 * q * (1 - q) * std::sqrt(3.0) / 2};
}

class plot_run : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = make_temp_dir(); }
  void TearDown() override {
    for (const std::string& name : dir_entries(dir_)) ::unlink((dir_ + "/" + name).c_str());
    ::rmdir(dir_.c_str());
  }
  std::string path(const std::string& name) const { return dir_ + "/" + name; }
  std::string dir_;
};

TEST_F(plot_run, png_points_parabola_and_histogram_where_computed) {
  write_text(path("sites.tsv"), known_table());
  run_result r = run_drevel({"--plot", path("sites.tsv"), path("sites.png")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  png_image png(path("sites.png"));
  ASSERT_TRUE(png.ok());
  const picture_layout layout = layout_picture(1);
  EXPECT_EQ(png.width(), static_cast<int>(layout.width));
  EXPECT_EQ(png.height(), static_cast<int>(layout.height));
  const triangle_frame& f = layout.diagrams[0];

  // Each point in its evidence's shade (cairo rounds colours to 8 bits its
  // own way, hence a tolerance of 2 of 255); evidence 0 in the scale's
  // darkest.
  for (const site& s : known_sites) {
    page_point p = site_position(f, s);
    EXPECT_LE(distance(png.at(p.x, p.y), level_colour(colour_level(s.evidence))), 2)
        << s.counts[0] << "," << s.counts[1] << "," << s.counts[2];
  }
  page_point darkest = site_position(f, known_sites[0]);
  EXPECT_LE(distance(png.at(darkest.x, darkest.y), {0x44 / 255.0, 0x01 / 255.0, 0x54 / 255.0}), 2);

  // The parabola passes through (q, sqrt(3) q (1 - q)): a pixel of its
  // colour next to each such point, and white a little above and below.
  for (double q : {0.1, 0.3, 0.45, 0.62, 0.85}) {
    page_point c = curve_position(f, q);
    int nearest = 255;
    for (int dx = -1; dx <= 1; dx++)
      for (int dy = -1; dy <= 1; dy++)
        nearest = std::min(nearest, distance(png.at(c.x + dx, c.y + dy), equilibrium_curve_colour));
    EXPECT_LE(nearest, 40) << "no curve at q = " << q;
    for (double off : {-12.0, 12.0})
      EXPECT_EQ(distance(png.at(c.x, c.y + off), white), 0) << "q = " << q << " offset " << off;
  }
  // Nothing but white inside the triangle far from the sites and the curve.
  page_point empty = {f.left + f.side / 2, f.base - f.side * 0.8};
  EXPECT_EQ(distance(png.at(empty.x, empty.y), white), 0);

  // Histogram bars of the computed rows (0, 0.02, 0.3, 0.5, 0.9), each in
  // the colour of its bin's middle; the other bins empty.
  const box& h = layout.histogram;
  for (size_t bin = 0; bin < histogram_bins; bin++) {
    double x = h.left + (bin + 0.5) * h.width / histogram_bins;
    double y = h.top + h.height - 3;
    bool filled = bin == 0 || bin == 6 || bin == 10 || bin == 18;
    rgb expected = filled ? evidence_colour((bin + 0.5) / histogram_bins) : white;
    EXPECT_LE(distance(png.at(x, y), expected), 2) << "bin " << bin;
  }
  // Bin 0 holds two rows and reaches the top; one row is half as high.
  double bin0 = h.left + 0.5 * h.width / histogram_bins;
  double bin10 = h.left + 10.5 * h.width / histogram_bins;
  EXPECT_LE(distance(png.at(bin0, h.top + 2), evidence_colour(0.5 / histogram_bins)), 2);
  EXPECT_LE(distance(png.at(bin10, h.top + h.height / 2 + 2), evidence_colour(10.5 / histogram_bins)), 2);
  EXPECT_EQ(distance(png.at(bin10, h.top + h.height / 2 - 2), white), 0);
}

TEST_F(plot_run, one_diagram_per_group) {
  const site eur = known_sites[0], afr = known_sites[1];
  std::string vcf = vcf_header;
  vcf.insert(vcf.find("N_ALLELES"), "GROUP\t");
  vcf += vcf_row(eur, "EUR") + vcf_row(afr, "AFR") + vcf_row(eur, "EUR");
  // A Genepop table: POP is the group.
  std::string genepop =
      "#POP\tFIRST_INDIVIDUAL\tLOCUS\tN_ALLELES\tN_CALLED\tN_SKIPPED\tEVIDENCE\tL_MAX\tL_HYP\tDRAWS\t"
      "N_TESTED\tSTATUS\tGENOTYPES\tHET_OBS\tHET_EXP\tF\tMC_SE\tAT_MAXMC\tALLELES\n";
  for (int pop : {1, 2}) {
    const site& s = pop == 1 ? eur : afr;
    genepop += std::to_string(pop) + "\tind" + std::to_string(pop) + "\tFCA8\t2\t100\t0\t" +
               evidence_text(s.evidence) + "\t-1\t-2\t3000\t2\tok\t" +
               std::to_string(s.counts[0]) + "," + std::to_string(s.counts[1]) + "," +
               std::to_string(s.counts[2]) + "\t0.5\t0.5\t0\t0.01\tno\t101,103\n";
  }
  for (const std::string& table : {vcf, genepop}) {
    write_text(path("groups.tsv"), table);
    run_result r = run_drevel({"--plot", path("groups.tsv"), path("groups.png")});
    ASSERT_EQ(r.status, 0) << r.err;
    png_image png(path("groups.png"));
    ASSERT_TRUE(png.ok());
    // Under the heatmap of two groups by one site or locus.
    heatmap_shape shape;
    shape.rows = 2;
    shape.columns = 1;
    const picture_layout layout = layout_picture(2, &shape);
    EXPECT_EQ(png.width(), static_cast<int>(layout.width));
    EXPECT_EQ(png.height(), static_cast<int>(layout.height));
    for (int d = 0; d < 2; d++) {
      const site& own = d == 0 ? eur : afr;
      const site& others = d == 0 ? afr : eur;
      page_point p = site_position(layout.diagrams[d], own);
      EXPECT_LE(distance(png.at(p.x, p.y), level_colour(colour_level(own.evidence))), 2);
      page_point q = site_position(layout.diagrams[d], others);
      EXPECT_EQ(distance(png.at(q.x, q.y), white), 0) << "the other group's site in diagram " << d;
    }
  }
}

// A Genepop table with joint rows, none of two alleles: the heatmap alone,
// each cell in its evidence's shade or the grey of no value where the
// layout puts it, the joint row and column apart.
TEST_F(plot_run, heatmap_cells_where_laid_out) {
  std::string table =
      "#POP\tPOP_NAME\tFIRST_INDIVIDUAL\tLOCUS\tN_ALLELES\tN_CALLED\tN_SKIPPED\tEVIDENCE\tL_MAX\t"
      "L_HYP\tDRAWS\tN_TESTED\tSTATUS\tGENOTYPES\tHET_OBS\tHET_EXP\tF\tMC_SE\tAT_MAXMC\tALLELES\t"
      "N_JOINED\tN_LEFT_OUT\n";
  auto row = [&table](const std::string& pop, const std::string& locus, double evidence,
                      const std::string& status) {
    const bool joint = pop == "*" || locus == "*";
    const std::string e = evidence < 0 ? "NA" : evidence_text(evidence);
    table += pop + "\t" + (pop == "*" ? "*" : "Pop" + pop) + "\t" + (pop == "*" ? "." : "i" + pop) +
             "\t" + locus + "\t" + (joint ? "NA" : "3") + "\t40\t0\t" + e + "\t-1\t-2\t3000\t" +
             (joint ? "NA" : status == "ok" ? "3" : "1") + "\t" + status + "\t" +
             (joint ? "NA" : status == "ok" ? "1,2,3,4,5,6" : "40") +
             "\tNA\tNA\tNA\tNA\tNA\t101,103,105\t" + (joint ? "2\t0" : "NA\tNA") + "\n";
  };
  // Evidence per (population, locus), the joint ones last; -1: monomorphic.
  const double evidence[3][3] = {{0.0, -1, 0.02}, {0.9, 0.5, 0.6}, {0.1, 0.3, 0.04}};
  const char* const pops[] = {"1", "2", "*"};
  const char* const loci[] = {"L1", "L2", "*"};
  for (int p = 0; p < 3; p++)
    for (int l = 0; l < 3; l++)
      row(pops[p], loci[l], evidence[p][l], evidence[p][l] < 0 ? "monomorphic" : "ok");
  write_text(path("panel.tsv"), table);
  run_result r = run_drevel({"--plot", path("panel.tsv"), path("panel.png")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  png_image png(path("panel.png"));
  ASSERT_TRUE(png.ok());
  heatmap_shape shape;
  shape.rows = shape.columns = 3;
  shape.joint_row = shape.joint_column = true;
  const picture_layout layout = layout_picture(0, &shape);
  EXPECT_TRUE(layout.diagrams.empty());
  EXPECT_EQ(png.width(), static_cast<int>(layout.width));
  EXPECT_EQ(png.height(), static_cast<int>(layout.height));
  for (size_t p = 0; p < 3; p++)
    for (size_t l = 0; l < 3; l++) {
      const box b = heatmap_cell_box(layout, p, l);
      const double e = evidence[p][l];
      const rgb expected = e < 0 ? rgb{0.83, 0.83, 0.83} : level_colour(colour_level(e));
      EXPECT_LE(distance(png.at(b.left + b.width * 0.3, b.top + b.height * 0.3), expected), 2)
          << "population " << p << ", locus " << l;
    }
  // White between the last population and the joint row, and between the
  // last locus and the joint column.
  const box last = heatmap_cell_box(layout, 1, 1), joint = heatmap_cell_box(layout, 2, 2);
  EXPECT_GE(joint.top - (last.top + last.height), 4);
  EXPECT_GE(joint.left - (last.left + last.width), 4);
  EXPECT_EQ(distance(png.at(last.left + 3, (last.top + last.height + joint.top) / 2), white), 0);
  EXPECT_EQ(distance(png.at((last.left + last.width + joint.left) / 2, last.top + 3), white), 0);
}

// A well-formedness check of XML by structure: tags nest and close, quoted
// attribute values, comments, declarations and entities; one root element.
bool well_formed_xml(const std::string& xml, std::string* root, std::string* why) {
  std::vector<std::string> open;
  int roots = 0;
  size_t i = 0;
  while (i < xml.size()) {
    if (xml[i] == '&') {
      size_t semi = xml.find(';', i);
      if (semi == std::string::npos || semi - i > 10 || semi == i + 1) return *why = "bad entity", false;
      i = semi + 1;
      continue;
    }
    if (xml[i] != '<') {
      if (open.empty() && !std::isspace(static_cast<unsigned char>(xml[i])))
        return *why = "text outside the root", false;
      i++;
      continue;
    }
    auto skip_to = [&](const char* end) {
      size_t at = xml.find(end, i);
      if (at == std::string::npos) return false;
      i = at + std::string(end).size();
      return true;
    };
    if (xml.compare(i, 4, "<!--") == 0) {
      if (!skip_to("-->")) return *why = "open comment", false;
      continue;
    }
    if (xml.compare(i, 2, "<?") == 0) {
      if (!skip_to("?>")) return *why = "open declaration", false;
      continue;
    }
    if (xml.compare(i, 9, "<![CDATA[") == 0) {
      if (!skip_to("]]>")) return *why = "open CDATA", false;
      continue;
    }
    if (xml.compare(i, 2, "<!") == 0) {
      if (!skip_to(">")) return *why = "open doctype", false;
      continue;
    }
    bool closing = xml.compare(i, 2, "</") == 0;
    size_t name_start = i + (closing ? 2 : 1), j = name_start;
    while (j < xml.size() && !std::isspace(static_cast<unsigned char>(xml[j])) && xml[j] != '>' &&
           xml[j] != '/')
      j++;
    std::string name = xml.substr(name_start, j - name_start);
    if (name.empty()) return *why = "empty tag name", false;
    char quote = 0;
    while (j < xml.size() && (quote || xml[j] != '>')) {
      if (quote && xml[j] == quote) quote = 0;
      else if (!quote && (xml[j] == '"' || xml[j] == '\'')) quote = xml[j];
      else if (!quote && xml[j] == '<') return *why = "'<' inside a tag", false;
      j++;
    }
    if (j >= xml.size()) return *why = "open tag " + name, false;
    bool self_closing = xml[j - 1] == '/';
    if (closing) {
      if (open.empty() || open.back() != name) return *why = "mismatched </" + name + ">", false;
      open.pop_back();
    } else if (!self_closing) {
      if (open.empty()) {
        roots++;
        *root = name;
      }
      open.push_back(name);
    } else if (open.empty()) {
      roots++;
      *root = name;
    }
    i = j + 1;
  }
  if (!open.empty()) return *why = "unclosed <" + open.back() + ">", false;
  if (roots != 1) return *why = std::to_string(roots) + " root elements", false;
  return true;
}

TEST(xml_check, catches_broken_documents) {
  std::string root, why;
  EXPECT_TRUE(well_formed_xml("<?xml version=\"1.0\"?>\n<svg a=\"x>y\"><g/><!-- c --></svg>\n",
                              &root, &why));
  EXPECT_EQ(root, "svg");
  EXPECT_FALSE(well_formed_xml("<svg><g></svg>", &root, &why));
  EXPECT_FALSE(well_formed_xml("<svg><g>", &root, &why));
  EXPECT_FALSE(well_formed_xml("<svg></svg><svg></svg>", &root, &why));
  EXPECT_FALSE(well_formed_xml("<svg a=\"1></svg>", &root, &why));
}

TEST_F(plot_run, svg_and_pdf_are_well_formed_and_every_format_repeats_its_bytes) {
  write_text(path("sites.tsv"), known_table());
  const picture_layout layout = layout_picture(1);
  for (const char* ext : {"svg", "pdf", "png", "SVG"}) {
    std::string picture = path(std::string("sites.") + ext);
    run_result r = run_drevel({"--plot", path("sites.tsv"), picture});
    ASSERT_EQ(r.status, 0) << r.err;
    std::string first = read_text(picture);
    ASSERT_EQ(run_drevel({"--plot", path("sites.tsv"), picture}).status, 0);
    EXPECT_EQ(read_text(picture), first) << ext;
  }
  std::string svg = read_text(path("sites.svg")), root, why;
  EXPECT_TRUE(well_formed_xml(svg, &root, &why)) << why;
  EXPECT_EQ(root, "svg");
  char size[64];
  std::snprintf(size, sizeof size, "width=\"%gpt\" height=\"%gpt\"", layout.width, layout.height);
  EXPECT_NE(svg.find(size), std::string::npos) << svg.substr(0, 300);
  EXPECT_EQ(read_text(path("sites.SVG")), svg);

  std::string pdf = read_text(path("sites.pdf"));
  EXPECT_EQ(pdf.compare(0, 5, "%PDF-"), 0);
  EXPECT_NE(pdf.find("%%EOF", pdf.size() - 8), std::string::npos);
  if (std::system("command -v pdfinfo >/dev/null 2>&1") != 0) {
    std::fputs("pdfinfo not installed: the PDF's structure is not checked\n", stderr);
    return;
  }
  std::string info = path("info.txt");
  ASSERT_EQ(std::system(("pdfinfo '" + path("sites.pdf") + "' > '" + info + "' 2>&1").c_str()), 0)
      << read_text(info);
  // "Pages:   1" and "Page size:   W x H pts", however wide the spacing.
  std::string text = read_text(info);
  int pages = 0;
  double width = 0, height = 0;
  size_t at = text.find("Pages:");
  ASSERT_NE(at, std::string::npos) << text;
  EXPECT_EQ(std::sscanf(text.c_str() + at, "Pages: %d", &pages), 1);
  EXPECT_EQ(pages, 1);
  at = text.find("Page size:");
  ASSERT_NE(at, std::string::npos) << text;
  EXPECT_EQ(std::sscanf(text.c_str() + at, "Page size: %lf x %lf pts", &width, &height), 2);
  EXPECT_EQ(width, layout.width);
  EXPECT_EQ(height, layout.height);
}

TEST_F(plot_run, standard_input_and_an_empty_table) {
  write_text(path("sites.tsv"), known_table());
  run_result r = run_drevel({"--plot", "-", path("in.png")}, path("sites.tsv"));
  ASSERT_EQ(r.status, 0) << r.err;
  png_image png(path("in.png"));
  ASSERT_TRUE(png.ok());
  page_point p = site_position(layout_picture(1).diagrams[0], known_sites[2]);
  EXPECT_LE(distance(png.at(p.x, p.y), level_colour(colour_level(known_sites[2].evidence))), 2);

  // A table without rows draws an empty diagram and says so.
  write_text(path("empty.tsv"), vcf_header);
  r = run_drevel({"--plot", path("empty.tsv"), path("empty.png")});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("no two-allele row"), std::string::npos) << r.err;
  EXPECT_TRUE(png_image(path("empty.png")).ok());
}

// Names as VCF and Genepop files hold them: UTF-8 in a table's name long
// enough that the title cuts it, Latin-1 and UTF-8 in its groups.  Each
// draws, in every format.
TEST_F(plot_run, names_of_any_bytes_draw) {
  std::string vcf = vcf_header;
  vcf.insert(vcf.find("N_ALLELES"), "GROUP\t");
  vcf += vcf_row(known_sites[0], "Z\xfcrich") + vcf_row(known_sites[1], "M\xc3\xa1laga");
  std::string name;
  for (int n = 0; n < 14; n++) name += "na\xc3\xafve-\xe6\x9d\xb1\xe4\xba\xac-";
  write_text(path(name + ".tsv"), vcf);
  for (const char* format : {"svg", "png", "pdf"}) {
    run_result r = run_drevel({"--plot", path(name + ".tsv"), path(std::string("p.") + format)});
    EXPECT_EQ(r.status, 0) << format << ": " << r.err;
    EXPECT_EQ(r.err, "") << format;
  }
  EXPECT_TRUE(png_image(path("p.png")).ok());
  std::string root, why;
  EXPECT_TRUE(well_formed_xml(read_text(path("p.svg")), &root, &why)) << why;
}

TEST_F(plot_run, refused_inputs_leave_no_picture) {
  const std::string good = known_table();
  std::string short_row = vcf_row(known_sites[0]);
  short_row = short_row.substr(0, short_row.rfind('\t')) + "\n";
  struct refused {
    std::string table;  // the table's text; "" for a table that does not exist
    std::string picture;
    std::string message;  // the table's or the picture's path is prefixed
    bool names_picture;
  };
  const std::vector<refused> cases = {
      {"", "p.png", ": cannot open the table", false},
      {"1.495667e-01 \n-6.068461e+01 \n-6.251914e+01\n", "p.png", ": not a table", false},
      {"##fileformat=VCFv4.2\n#CHROM\tPOS\tID\tREF\tALT\n", "p.svg", ": not a table", false},
      {std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), "p.pdf", ": not a table", false},
      {"#CHROM\tPOS\tID\tREF\tALT\tN_ALLELES\tN_CALLED\tN_SKIPPED\tEVIDENCE\tL_MAX\tL_HYP\tDRAWS\n"
       "1\t5\t.\tA\tG\t2\t10\t0\t5.0e-01\t-1\t-2\t3000\n",
       "p.png", ": the table has no column N_TESTED", false},
      {std::string(vcf_header) + vcf_row(known_sites[0]) + short_row, "p.png",
       ", line 3: 19 fields where the header has 20", false},
      {good, "p.jpg", ": the picture's name must end in .svg, .png or .pdf", true},
      {good, "p", ": the picture's name must end in .svg, .png or .pdf", true},
      {good, "missing/p.png", ": cannot create the picture: No such file or directory", true},
      {good, "table.tsv/p.png", ": cannot create the picture: Not a directory", true},
  };
  for (const refused& c : cases) {
    const std::string table = path("table.tsv"), picture = path(c.picture);
    if (!c.table.empty()) write_text(table, c.table);
    run_result r = run_drevel({"--plot", table, picture});
    EXPECT_EQ(r.status, 1) << c.message;
    std::string expected = (c.names_picture ? picture : table) + c.message;
    EXPECT_NE(r.err.find("drevel: " + expected), std::string::npos)
        << "expected: " << expected << "\ngot: " << r.err;
    std::vector<std::string> left = dir_entries(dir_);
    std::vector<std::string> only_table = c.table.empty() ? std::vector<std::string>{}
                                                          : std::vector<std::string>{"table.tsv"};
    EXPECT_EQ(left, only_table) << c.message;
    ::unlink(table.c_str());
  }

  // A failed run leaves an existing picture as it was; a good one replaces it.
  write_text(path("p.png"), "an older picture");
  write_text(path("bad.tsv"), std::string(vcf_header) + short_row);
  EXPECT_EQ(run_drevel({"--plot", path("bad.tsv"), path("p.png")}).status, 1);
  EXPECT_EQ(read_text(path("p.png")), "an older picture");
  write_text(path("good.tsv"), good);
  EXPECT_EQ(run_drevel({"--plot", path("good.tsv"), path("p.png")}).status, 0);
  EXPECT_TRUE(png_image(path("p.png")).ok());
  std::vector<std::string> left = dir_entries(dir_);
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"bad.tsv", "good.tsv", "p.png"}));

  // A picture that is the table is refused, the table kept.
  write_text(path("table.svg"), good);
  run_result same = run_drevel({"--plot", path("table.svg"), path("./table.svg")});
  EXPECT_EQ(same.status, 1);
  EXPECT_EQ(same.err, "drevel: " + path("./table.svg") + ": the picture is the table file\n");
  EXPECT_EQ(read_text(path("table.svg")), good);
}

}  // namespace
