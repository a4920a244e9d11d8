#pragma once
/// \brief The numeric routines of the analysis. Each follows one fixed definition (order of
/// summation, tie rules), so that every faster path can be checked against it to the last bit.

#include "model/Geometry.h"

#include <cstddef>

namespace plotra {

/// Sum of a[i] / n, each term divided before adding.
double Mean(const double* a, std::size_t n);
/// out[i] = i * (b - a) / (n - 1) + a; for n = 1, out[0] = (a + b) * 0.5.
void Linspace(double* out, double a, double b, std::size_t n);
/// Least-squares slope of dep over ind:
/// sum((dep[i] - Mean(dep)) * ind[i]) / sum((ind[i] - Mean(ind)) * ind[i]).
double RegressionSlope(const double* dep, const double* ind, std::size_t n);
/// Index of the smallest value; the first wins on ties.
std::size_t ArgMin(const double* a, std::size_t n);
/// sqrt(sum((a[i] - Mean(a))^2 / (n - 1))).
double SampleStd(const double* a, std::size_t n);
/// Largest value.
double MaxOf(const double* a, std::size_t n);
/// Inverse-distance weighted mean of the values of the k nearest points, found by k bubble passes
/// (equal distances: the later point counts as nearer), weights (d + 1e-10)^-p.
double IdwNearest(const double* dist, const double* val, std::size_t n, std::size_t k, int p);

/// The weight of one IDW point: (d + 1e-10)^-p by repeated multiplication.
inline double IdwWeight(double d, int p) {
    const double base = d + 1e-10;
    double prod = 1.0;
    for (int i = 0; i < p; ++i) prod *= base;
    return 1.0 / prod;
}

/// Distances below this floor (in the unit of the coordinates) are taken as the floor before a
/// logarithm: a candidate or grid node exactly on a point would otherwise give log10(0) = -inf and
/// poison the whole fit with infinities and NaN.
inline constexpr double kMinLogDistance = 1e-10;

/// log10 of a distance, floored at kMinLogDistance.
double Log10Distance(double d);

} // namespace plotra
