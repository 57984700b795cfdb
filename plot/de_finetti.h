// The de Finetti diagram: the genotype frequencies of a two-allele locus as
// a point of an equilateral triangle, with the Hardy-Weinberg parabola.
//
// A locus with alleles A and a has genotype frequencies (x_AA, x_Aa, x_aa),
// x_AA + x_Aa + x_aa = 1.  In ternary coordinates each frequency is the
// distance of the point from the side opposite its corner, as a share of the
// triangle's height.  With unit side, the homozygote corners at AA = (0, 0)
// and aa = (1, 0), the heterozygote corner at Aa = (1/2, sqrt(3)/2):
//
//   u = x_aa + x_Aa / 2          (the frequency q of allele a)
//   v = (sqrt(3) / 2) x_Aa
//
// Hardy-Weinberg equilibrium is x_Aa = 2 sqrt(x_AA x_aa); parametrised by
// the frequency p = 1 - q of A it is (p^2, 2pq, q^2), which the map above
// takes to the parabola
//
//   u = q,  v = sqrt(3) q (1 - q),
//
// through both homozygote corners with its vertex at (1/2, sqrt(3)/4).
// Points above it have more heterozygotes than equilibrium, points below
// fewer.  The parabola is exactly the quadratic Bezier curve whose control
// points are the three corners AA, Aa, aa: B(t) = (1-t)^2 AA + 2t(1-t) Aa
// + t^2 aa has u = t and v = 2t(1-t) sqrt(3)/2.
#ifndef DREVEL_PLOT_DE_FINETTI_H
#define DREVEL_PLOT_DE_FINETTI_H

namespace drevel {

struct genotype_frequencies {
  double hom_first = 0, het = 0, hom_second = 0;  // x_AA, x_Aa, x_aa
};

// A point of the unit-side triangle, in the coordinates above.
struct ternary_point {
  double u = 0, v = 0;
};

// The frequencies of counts n_AA, n_Aa, n_aa.  Returns false, leaving *out
// alone, when the counts sum to zero.
bool frequencies_of_counts(double n_hom_first, double n_het, double n_hom_second,
                           genotype_frequencies* out);

ternary_point ternary_of(const genotype_frequencies& x);

// The equilibrium frequencies (p^2, 2pq, q^2) for the frequency q of the
// second allele.
genotype_frequencies equilibrium_frequencies(double q);

// The parabola's height v at u = q: sqrt(3) q (1 - q).
double equilibrium_height(double q);

// Where the triangle stands on a page whose y axis points down: its left
// (AA) corner at (left, base) and its side length.
struct triangle_frame {
  double left = 0, base = 0, side = 1;
};

struct page_point {
  double x = 0, y = 0;
};

page_point on_page(const triangle_frame& frame, const ternary_point& p);

}  // namespace drevel

#endif
