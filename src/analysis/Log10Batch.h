#pragma once
/// \brief log10 of many values at once, equal bit for bit to std::log10 of each.
///
/// The fits take tens of billions of logarithms of distances on a city survey, most of the
/// processing time. The C library rounds log10(x) from its natural logarithm of x's mantissa; this
/// routine computes that logarithm four at a time to about 70 bits, and where the result lies so
/// close to halfway between two doubles that the library could round the other way (a few values in
/// a hundred), it takes the library's own logarithm of the mantissa instead; values below 1 and not
/// finite go to the library's log10. A check at start-up compares the two ways on a few thousand
/// values and keeps to the library when they disagree (another C library), and so does a processor
/// without AVX2 and FMA.

#include <cstddef>

namespace plotra {

/// out[i] = std::log10(in[i]) for i < n, bit for bit; \p in and \p out may be the same array.
void Log10Batch(const double* in, double* out, std::size_t n);

/// True when Log10Batch takes the fast path on this computer (for the benchmark's report).
bool Log10BatchIsFast();

} // namespace plotra
