#pragma once
/// \brief A small deterministic random source (xoshiro256** seeded by splitmix64) with its own
/// uniform and Gaussian draws, so that generated surveys are byte-identical on every platform.

#include <cmath>
#include <cstdint>

namespace plotra::sim {

class Random {
public:
    explicit Random(std::uint64_t seed) {
        std::uint64_t x = seed;
        for (auto& s : m_s) {
            x += 0x9E3779B97F4A7C15ull;
            std::uint64_t z = x;
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
            s = z ^ (z >> 31);
        }
    }
    std::uint64_t Next() {
        const std::uint64_t result = Rotl(m_s[1] * 5, 7) * 9;
        const std::uint64_t t = m_s[1] << 17;
        m_s[2] ^= m_s[0];
        m_s[3] ^= m_s[1];
        m_s[1] ^= m_s[2];
        m_s[0] ^= m_s[3];
        m_s[2] ^= t;
        m_s[3] = Rotl(m_s[3], 45);
        return result;
    }
    /// Uniform in [0, 1).
    double Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
    double Uniform(double lo, double hi) { return lo + (hi - lo) * Uniform(); }
    /// Uniform integer in [lo, hi].
    int Int(int lo, int hi) {
        return lo + static_cast<int>(Next() % static_cast<std::uint64_t>(hi - lo + 1));
    }
    bool Chance(double p) { return Uniform() < p; }
    /// Standard normal by Box-Muller (one value per call; the pair's second half is kept).
    double Gauss() {
        if (m_hasSpare) {
            m_hasSpare = false;
            return m_spare;
        }
        double u1 = Uniform();
        if (u1 < 1e-300) u1 = 1e-300;
        const double u2 = Uniform();
        const double r = std::sqrt(-2.0 * std::log(u1));
        m_spare = r * std::sin(6.283185307179586 * u2);
        m_hasSpare = true;
        return r * std::cos(6.283185307179586 * u2);
    }

private:
    static std::uint64_t Rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
    std::uint64_t m_s[4]{};
    double m_spare = 0.0;
    bool m_hasSpare = false;
};

} // namespace plotra::sim
