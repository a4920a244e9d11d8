#include "analysis/Log10Batch.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define PLOTRA_LOG10_AVX2 1
#endif

namespace plotra {
namespace {

#if PLOTRA_LOG10_AVX2
/// log(1 + j/128) for j = 0..128 as the nearest double and the rounded remainder, made once with
/// 80-digit decimal arithmetic (Python: Decimal(1 + j/128).ln() at precision 80, then float(v) and
/// float(v - Decimal(float(v)))).
struct LogEntry {
    double hi, lo, invc;
};
alignas(64) constexpr LogEntry kLogTable[129] = {
#include "analysis/Log10BatchTable.inc"
};

/// The C library's log10(x) for x >= 1 is k * log10(2) (in two parts) plus log(m) / ln(10) for
/// x = m * 2^k, m in [1, 2), rounded in this order without fused operations.
constexpr double kInvLn10 = 4.34294481903251816668e-01;
constexpr double kLog10Of2Hi = 3.01029995663611771306e-01;
constexpr double kLog10Of2Lo = 3.69423907715893078616e-13;

/// Four logarithms of mantissas in [1, 2): the value and whether it certainly is the one the
/// library gives. The library's natural logarithm is within 0.52 units in the last place of the true
/// value; this one within 2^-70 (absolute, and far less near 1, where
/// every error shrinks with the value; where 2^-70 is not small beside a unit, nothing is sure). Where the
/// true value lies within 0.47 units of the nearest double, the next double is more than 0.53 away and the
/// library must give the nearest one, which is the value computed here. The entry nearest to the mantissa of
/// \p x: its top eight fraction bits, rounded to seven.
inline std::size_t TableIndex(double x) {
    std::uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    return static_cast<std::size_t>(((bits & 0x000FFFFFFFFFFFFF) + (std::uint64_t{1} << 44)) >> 45);
}

__attribute__((target("avx2,fma"))) inline __m256d LogMantissa(const double* x, __m256d m,
                                                               __m256i mantissaBits, __m256d& sure) {
    const __m256d one = _mm256_set1_pd(1.0);
    // Nearest table entry c = 1 + j/128; f = m - c is exact (m and c are within a factor 2).
    const __m256i j =
        _mm256_srli_epi64(_mm256_add_epi64(mantissaBits, _mm256_set1_epi64x(std::int64_t{1} << 44)), 45);
    const __m256d magic = _mm256_set1_pd(4503599627370496.0); // 2^52: its low bits take a small integer
    const __m256d jd =
        _mm256_sub_pd(_mm256_castsi256_pd(_mm256_or_si256(j, _mm256_castpd_si256(magic))), magic);
    const __m256d c = _mm256_add_pd(_mm256_mul_pd(jd, _mm256_set1_pd(1.0 / 128.0)), one);
    const __m256d f = _mm256_sub_pd(m, c);
    // The table entries of the four lanes, indexed from the inputs' bits in ordinary registers (faster
    // than a gather, or than storing the vector of indices, on many processors).
    const LogEntry& t0 = kLogTable[TableIndex(x[0])];
    const LogEntry& t1 = kLogTable[TableIndex(x[1])];
    const LogEntry& t2 = kLogTable[TableIndex(x[2])];
    const LogEntry& t3 = kLogTable[TableIndex(x[3])];
    const __m256d lch = _mm256_set_pd(t3.hi, t2.hi, t1.hi, t0.hi);
    const __m256d lcl = _mm256_set_pd(t3.lo, t2.lo, t1.lo, t0.lo);
    const __m256d invc = _mm256_set_pd(t3.invc, t2.invc, t1.invc, t0.invc);
    // q = f / c as qh + ql to about 2^-100 of q: the remainder f - qh * c of an approximate quotient
    // is taken with one rounding (fused), and is tiny, so multiplying it by the rounded 1/c is enough.
    const __m256d qh = _mm256_mul_pd(f, invc);
    const __m256d ql = _mm256_mul_pd(_mm256_fnmadd_pd(qh, c, f), invc);
    // log(1 + q) = q - q^2/2 + q^3 * (1/3 - q/4 + ... - q^5/8), |q| <= 2^-8: the square exactly, the
    // cubic tail (below 2^-25) in plain doubles, its polynomial in pairs to keep the chain short;
    // the terms beyond q^8 are below 2^-75.
    const __m256d p = _mm256_mul_pd(qh, qh);
    const __m256d pe = _mm256_fmsub_pd(qh, qh, p);
    const __m256d half = _mm256_set1_pd(0.5);
    const __m256d h = _mm256_mul_pd(half, p);
    const __m256d he = _mm256_fmadd_pd(qh, ql, _mm256_mul_pd(half, pe));
    const __m256d a01 = _mm256_fmadd_pd(qh, _mm256_set1_pd(-1.0 / 4.0), _mm256_set1_pd(1.0 / 3.0));
    const __m256d a23 = _mm256_fmadd_pd(qh, _mm256_set1_pd(-1.0 / 6.0), _mm256_set1_pd(1.0 / 5.0));
    const __m256d a45 = _mm256_fmadd_pd(qh, _mm256_set1_pd(-1.0 / 8.0), _mm256_set1_pd(1.0 / 7.0));
    const __m256d poly = _mm256_fmadd_pd(_mm256_fmadd_pd(a45, p, a23), p, a01);
    const __m256d tail = _mm256_mul_pd(_mm256_mul_pd(p, qh), poly);

    // Exact sums (two-sum) of the large terms; the small ones added to the remainder.
    const __m256d s1 = _mm256_add_pd(lch, qh);
    const __m256d b1 = _mm256_sub_pd(s1, lch);
    const __m256d e1 = _mm256_add_pd(_mm256_sub_pd(lch, _mm256_sub_pd(s1, b1)), _mm256_sub_pd(qh, b1));
    const __m256d nh = _mm256_sub_pd(_mm256_setzero_pd(), h);
    const __m256d s2 = _mm256_add_pd(s1, nh);
    const __m256d b2 = _mm256_sub_pd(s2, s1);
    const __m256d e2 = _mm256_add_pd(_mm256_sub_pd(s1, _mm256_sub_pd(s2, b2)), _mm256_sub_pd(nh, b2));
    __m256d lo = _mm256_add_pd(e1, e2);
    lo = _mm256_add_pd(lo, lcl);
    lo = _mm256_add_pd(lo, ql);
    lo = _mm256_sub_pd(lo, he);
    lo = _mm256_add_pd(lo, tail);
    const __m256d r = _mm256_add_pd(s2, lo);
    const __m256d b3 = _mm256_sub_pd(r, s2);
    const __m256d e3 = _mm256_add_pd(_mm256_sub_pd(s2, _mm256_sub_pd(r, b3)), _mm256_sub_pd(lo, b3));

    // One unit in the last place of r (r > 0); r a power of two has a smaller unit below it.
    const __m256i rBits = _mm256_castpd_si256(r);
    const __m256i expMask = _mm256_set1_epi64x(0x7FF0000000000000);
    const __m256d ulp =
        _mm256_mul_pd(_mm256_castsi256_pd(_mm256_and_si256(rBits, expMask)), _mm256_set1_pd(0x1p-52));
    const __m256i fraction = _mm256_andnot_si256(expMask, rBits);
    const __m256d notPowerOf2 = _mm256_castsi256_pd(
        _mm256_xor_si256(_mm256_cmpeq_epi64(fraction, _mm256_setzero_si256()), _mm256_set1_epi64x(-1)));
    const __m256d absE3 = _mm256_andnot_pd(_mm256_set1_pd(-0.0), e3);
    const __m256d limit = _mm256_sub_pd(_mm256_mul_pd(ulp, _mm256_set1_pd(0.47)), _mm256_set1_pd(0x1p-70));
    sure = _mm256_and_pd(_mm256_cmp_pd(absE3, limit, _CMP_LE_OQ), notPowerOf2);
    return r;
}

__attribute__((target("avx2,fma"))) void Log10Avx2(const double* in, double* out, std::size_t n) {
    const __m256d one = _mm256_set1_pd(1.0);
    const __m256d infinity = _mm256_set1_pd(INFINITY);
    const __m256i fractionMask = _mm256_set1_epi64x(0x000FFFFFFFFFFFFF);
    const __m256i oneBits = _mm256_set1_epi64x(0x3FF0000000000000);
    const __m256d magic = _mm256_set1_pd(4503599627370496.0 + 1023.0);
    const __m256i magicBits = _mm256_set1_epi64x(0x4330000000000000);
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m256d x = _mm256_loadu_pd(in + i);
        const __m256d inRange =
            _mm256_and_pd(_mm256_cmp_pd(x, one, _CMP_GE_OQ), _mm256_cmp_pd(x, infinity, _CMP_LT_OQ));
        const __m256i bits = _mm256_castpd_si256(x);
        const __m256i fraction = _mm256_and_si256(bits, fractionMask);
        const __m256d m = _mm256_castsi256_pd(_mm256_or_si256(fraction, oneBits));
        // The exponent k = biased - 1023 (x >= 1: no sign bit) as a double, exactly.
        const __m256d k = _mm256_sub_pd(
            _mm256_castsi256_pd(_mm256_or_si256(_mm256_srli_epi64(bits, 52), magicBits)), magic);
        __m256d sure;
        __m256d logM = LogMantissa(in + i, m, fraction, sure);
        const int usable = _mm256_movemask_pd(inRange);
        const int taken = _mm256_movemask_pd(_mm256_and_pd(sure, inRange));
        if (taken != usable) {
            // Where the value is not sure, the library's logarithm of the mantissa goes through the
            // same last steps as in the library's log10.
            alignas(32) double logs[4], mantissas[4];
            _mm256_store_pd(logs, logM);
            _mm256_store_pd(mantissas, m);
            for (int l = 0; l < 4; ++l)
                if ((usable & ~taken) & (1 << l)) logs[l] = std::log(mantissas[l]);
            logM = _mm256_load_pd(logs);
        }
        const __m256d z = _mm256_add_pd(_mm256_mul_pd(k, _mm256_set1_pd(kLog10Of2Lo)),
                                        _mm256_mul_pd(_mm256_set1_pd(kInvLn10), logM));
        const __m256d result = _mm256_add_pd(z, _mm256_mul_pd(k, _mm256_set1_pd(kLog10Of2Hi)));
        // Stored before the library is asked: in and out may be one array.
        const double x0 = in[i], x1 = in[i + 1], x2 = in[i + 2], x3 = in[i + 3];
        _mm256_storeu_pd(out + i, result);
        if (usable != 0xF) {
            const double xs[4] = {x0, x1, x2, x3};
            for (int l = 0; l < 4; ++l)
                if (!(usable & (1 << l))) out[i + static_cast<std::size_t>(l)] = std::log10(xs[l]);
        }
    }
    for (; i < n; ++i)
        out[i] = std::log10(in[i]);
}

/// Values of every kind the fits meet: distances from centimetres to hundreds of kilometres, and
/// the edges of the table's intervals.
bool FastPathAgrees() {
    constexpr std::size_t kCount = 4096;
    static double in[kCount], fast[kCount];
    std::uint64_t state = 0x9E3779B97F4A7C15u;
    for (std::size_t i = 0; i < kCount; ++i) {
        state = state * 6364136223846793005u + 1442695040888963407u;
        const double u = static_cast<double>(state >> 11) * 0x1p-53;
        in[i] = std::pow(10.0, -2.0 + 8.0 * u);
        if (i % 16 == 0) in[i] = 1.0 + static_cast<double>(i % 1024) / 1024.0;
    }
    Log10Avx2(in, fast, kCount);
    for (std::size_t i = 0; i < kCount; ++i) {
        const double slow = std::log10(in[i]);
        if (std::memcmp(&slow, &fast[i], sizeof slow) != 0) return false;
    }
    return true;
}

bool UseFastPath() {
    static const bool use =
        __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma") && FastPathAgrees();
    return use;
}
#else
bool UseFastPath() {
    return false;
}
#endif

} // namespace

void Log10Batch(const double* in, double* out, std::size_t n) {
#if PLOTRA_LOG10_AVX2
    if (UseFastPath()) {
        Log10Avx2(in, out, n);
        return;
    }
#endif
    for (std::size_t i = 0; i < n; ++i)
        out[i] = std::log10(in[i]);
}

bool Log10BatchIsFast() {
    return UseFastPath();
}

} // namespace plotra
