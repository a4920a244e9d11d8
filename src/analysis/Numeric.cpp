#include "analysis/Numeric.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace plotra {

double Mean(const double* a, std::size_t n) {
    double sum = 0.0;
    const double dn = static_cast<double>(n);
    for (std::size_t i = 0; i < n; ++i) sum += a[i] / dn;
    return sum;
}

void Linspace(double* out, double a, double b, std::size_t n) {
    if (n == 0) return;
    if (n == 1) {
        out[0] = (a + b) * 0.5;
        return;
    }
    const double gaps = static_cast<double>(n - 1);
    for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<double>(i) * (b - a) / gaps + a;
}

double RegressionSlope(const double* dep, const double* ind, std::size_t n) {
    const double md = Mean(dep, n);
    const double mi = Mean(ind, n);
    double num = 0.0, den = 0.0;
    for (std::size_t i = 0; i < n; ++i) num += (dep[i] - md) * ind[i];
    for (std::size_t i = 0; i < n; ++i) den += (ind[i] - mi) * ind[i];
    return num / den;
}

std::size_t ArgMin(const double* a, std::size_t n) {
    std::size_t best = 0;
    for (std::size_t i = 1; i < n; ++i)
        if (a[i] < a[best]) best = i;
    return best;
}

double SampleStd(const double* a, std::size_t n) {
    const double m = Mean(a, n);
    const double gaps = static_cast<double>(n) - 1.0;
    double sum = 0.0;
    for (std::size_t i = 0; i < n; ++i) sum += (a[i] - m) * (a[i] - m) / gaps;
    return std::sqrt(sum);
}

double MaxOf(const double* a, std::size_t n) {
    double best = a[0];
    for (std::size_t i = 1; i < n; ++i)
        if (a[i] > best) best = a[i];
    return best;
}

double IdwNearest(const double* dist, const double* val, std::size_t n, std::size_t k, int p) {
    std::vector<double> d(dist, dist + n), v(val, val + n);
    k = std::min(k, n);
    double sumWv = 0.0, sumW = 0.0;
    for (std::size_t pass = 0; pass < k; ++pass) {
        const std::size_t last = n - 1 - pass;
        for (std::size_t i = 0; i < last; ++i) {
            if (d[i] < d[i + 1]) {
                std::swap(d[i], d[i + 1]);
                std::swap(v[i], v[i + 1]);
            }
        }
        const double w = IdwWeight(d[last], p);
        sumWv += w * v[last];
        sumW += w;
    }
    return sumWv / sumW;
}

double Log10Distance(double d) { return std::log10(d > kMinLogDistance ? d : kMinLogDistance); }

} // namespace plotra
