#include "model/SampleList.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace plotra {

namespace {

bool SameBits(double a, double b) { return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b); }

/// The whole entries may grow to a quarter of the list before every entry is kept whole: a few
/// means of repeated readings stay cheap, a list of map positions does not pay twice.
bool TooManyWhole(std::size_t whole, std::size_t entries) { return whole > 16 && whole * 4 > entries; }

/// The integer whose quotient by \p divisor gives back exactly \p value, if there is one in range.
template <class Int> bool ExactQuotient(double value, double divisor, Int& out) {
    const double scaled = value * divisor;
    if (!(std::fabs(scaled) <= 2147483647.0)) return false;
    const double rounded = std::nearbyint(scaled);
    if (rounded < static_cast<double>(std::numeric_limits<Int>::min()) ||
        rounded > static_cast<double>(std::numeric_limits<Int>::max()))
        return false;
    out = static_cast<Int>(rounded);
    return true;
}

} // namespace

bool SampleList::Pack(const CData& v, Packed& out) {
    // Positions as survey files give them: whole milliarcseconds / 3600000.0.
    if (!ExactQuotient(v.m_dY, 3600000.0, out.latMas) || !SameBits(out.latMas / 3600000.0, v.m_dY)) return false;
    if (!ExactQuotient(v.m_dX, 3600000.0, out.lonMas) || !SameBits(out.lonMas / 3600000.0, v.m_dX)) return false;
    // RSSI in whole 1/256 dBm (as read: value * 0.00390625).
    if (!ExactQuotient(v.m_dRssi, 256.0, out.rssi256) || out.rssi256 == kWholeMark ||
        !SameBits(out.rssi256 * 0.00390625, v.m_dRssi))
        return false;
    if (v.m_nNoise < INT16_MIN || v.m_nNoise > INT16_MAX) return false;
    out.noise = static_cast<std::int16_t>(v.m_nNoise);
    return true;
}

CData SampleList::Unpack(const Packed& p) {
    CData d;
    d.m_dY = p.latMas / 3600000.0;
    d.m_dX = p.lonMas / 3600000.0;
    d.m_dRssi = p.rssi256 * 0.00390625;
    d.m_nNoise = p.noise;
    return d;
}

CData SampleList::Store::Get(std::size_t i) const {
    if (const std::size_t base = Base(); i >= base) return path->PseudoPoint(refs[i - base]);
    if (wide) return all[i];
    const Packed& p = packed[i];
    if (p.rssi256 != kWholeMark) return Unpack(p);
    const auto it = std::lower_bound(whole.begin(), whole.end(), i,
                                     [](const std::pair<std::size_t, CData>& e, std::size_t k) { return e.first < k; });
    return it->second;
}

SampleList::SampleList(std::initializer_list<CData> entries) {
    reserve(entries.size());
    for (const CData& e : entries)
        push_back(e);
}

SampleList& SampleList::operator=(std::initializer_list<CData> entries) {
    clear();
    reserve(entries.size());
    for (const CData& e : entries)
        push_back(e);
    return *this;
}

SampleList::Store& SampleList::Own() {
    if (!m_store) {
        m_store = std::make_shared<Store>();
    } else if (m_store.use_count() > 1) {
        m_store = std::make_shared<Store>(*m_store);
    } else {
        // The last other owner (a calculation's snapshot) may have let go on another thread: its
        // reads of the entries happen before the changes that follow. (ThreadSanitizer does not model
        // fences; under it this relies on the snapshot being released on this thread, as jobs do.)
#if !defined(__SANITIZE_THREAD__)
        std::atomic_thread_fence(std::memory_order_acquire);
#endif
    }
    return *m_store;
}

void SampleList::Widen(Store& s) {
    std::vector<CData> all;
    all.reserve(std::max(s.packed.capacity(), s.packed.size()));
    for (std::size_t i = 0; i < s.packed.size(); ++i)
        all.push_back(s.Get(i));
    s.all = std::move(all);
    s.packed = {};
    s.whole = {};
    s.wide = true;
}

void SampleList::Materialise(Store& s) {
    if (s.refs.empty()) return;
    const std::vector<std::uint32_t> refs = std::move(s.refs);
    const std::shared_ptr<const PathPositions> path = std::move(s.path);
    s.refs = {};
    s.path.reset();
    for (std::uint32_t j : refs)
        AppendEntry(s, path->PseudoPoint(j));
}

void SampleList::AppendPseudoPoints(const std::shared_ptr<const PathPositions>& path,
                                    std::vector<std::uint32_t> indices) {
    if (indices.empty()) return;
    Store& s = Own();
    if (s.refs.empty()) {
        s.path = path;
        s.refs = std::move(indices);
    } else if (s.path == path) {
        s.refs.insert(s.refs.end(), indices.begin(), indices.end());
    } else {
        // Indices into another path cannot share the tail: these are held as ordinary entries.
        for (std::uint32_t j : indices)
            AppendEntry(s, path->PseudoPoint(j));
    }
}

void SampleList::push_back(const CData& value) {
    Store& s = Own();
    AppendEntry(s, value);
}

void SampleList::AppendEntry(Store& s, const CData& value) {
    Materialise(s);
    if (s.wide) {
        s.all.push_back(value);
        return;
    }
    Packed p;
    if (Pack(value, p)) {
        s.packed.push_back(p);
        return;
    }
    if (TooManyWhole(s.whole.size() + 1, s.packed.size() + 1)) {
        Widen(s);
        s.all.push_back(value);
        return;
    }
    p = Packed{0, 0, kWholeMark, 0};
    s.whole.emplace_back(s.packed.size(), value);
    s.packed.push_back(p);
}

void SampleList::AppendReading(std::int32_t latMas, std::int32_t lonMas, std::int16_t rssi256, std::int16_t noise) {
    if (rssi256 == kWholeMark || (m_store && m_store->wide)) {
        push_back(Unpack(Packed{latMas, lonMas, rssi256, noise}));
        return;
    }
    Store& s = Own();
    Materialise(s);
    s.packed.push_back(Packed{latMas, lonMas, rssi256, noise});
}

void SampleList::Set(std::size_t i, const CData& value) {
    if (i >= size()) throw std::out_of_range("SampleList::Set");
    Store& s = Own();
    if (i >= s.Base()) Materialise(s);
    if (s.wide) {
        s.all[i] = value;
        return;
    }
    auto at = std::lower_bound(s.whole.begin(), s.whole.end(), i,
                               [](const std::pair<std::size_t, CData>& e, std::size_t k) { return e.first < k; });
    const bool wasWhole = at != s.whole.end() && at->first == i;
    Packed p;
    if (Pack(value, p)) {
        if (wasWhole) s.whole.erase(at);
        s.packed[i] = p;
        return;
    }
    if (wasWhole) {
        at->second = value;
        return;
    }
    s.whole.insert(at, {i, value});
    s.packed[i] = Packed{0, 0, kWholeMark, 0};
    if (TooManyWhole(s.whole.size(), s.packed.size())) Widen(s);
}

void SampleList::reserve(std::size_t n) {
    if (n <= size()) return;
    Store& s = Own();
    // Room for the entries to come after those held as indices (where pseudo-points go, room for them).
    if (!s.refs.empty())
        s.refs.reserve(n - s.Base());
    else if (s.wide)
        s.all.reserve(n);
    else
        s.packed.reserve(n);
}

void SampleList::resize(std::size_t n) {
    if (n == size()) return;
    if (n == 0) {
        clear();
        return;
    }
    Store& s = Own();
    Materialise(s);
    if (s.wide) {
        s.all.resize(n);
        return;
    }
    s.packed.resize(n, Packed{0, 0, 0, 0}); // a default CData: position 0, RSSI 0, noise 0
    while (!s.whole.empty() && s.whole.back().first >= n)
        s.whole.pop_back();
}

std::size_t SampleList::MemoryBytes() const {
    if (!m_store) return 0;
    const Store& s = *m_store;
    return s.packed.capacity() * sizeof(Packed) + s.whole.capacity() * sizeof(s.whole[0]) +
           s.all.capacity() * sizeof(CData) + s.refs.capacity() * sizeof(std::uint32_t);
}

bool SampleList::SameEntries(const SampleList& other) const {
    if (size() != other.size()) return false;
    for (std::size_t i = 0; i < size(); ++i) {
        const CData a = (*this)[i], b = other[i];
        if (!SameBits(a.m_dY, b.m_dY) || !SameBits(a.m_dX, b.m_dX) || !SameBits(a.m_dRssi, b.m_dRssi) ||
            a.m_nNoise != b.m_nNoise)
            return false;
    }
    return true;
}

} // namespace plotra
