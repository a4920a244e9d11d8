#pragma once
/// \brief SampleList: an AP's samples or working points (CAPInfo::m_aSamples, m_aApPoints) as an
/// array of CData that holds most entries in 12 bytes instead of 32.
///
/// A sample read from a survey file has a position of whole milliarcseconds divided by 3600000.0,
/// an RSSI of whole 1/256 dBm and the noise of a 16-bit field; so do the pseudo-points placed on the
/// walk path. Such an entry is kept as those integers and turned back into exactly the same doubles
/// when it is read. An entry that does not come back bit for bit (a mean of several readings, a
/// position on a map) is kept whole beside them; when such entries are many the list keeps every
/// entry whole. Reading gives the same CData values whatever the storage.
///
/// The pseudo-points (positions of the walk path where the AP was not heard) are most of the working
/// points of a drive through a city: behind the other entries they are held as indices into the path
/// (4 bytes each), shared by every list that refers to it, and read as the path's position with
/// kPseudoRssi and noise 0.
///
/// Copies share their entries until one of them changes (copy on write), so a calculation can take
/// a list into its snapshot without copying it and without seeing later edits of the document's.

#include "model/PathPositions.h"
#include "model/PlanarSample.h"

#include <cstddef>
#include <climits>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <utility>
#include <vector>

namespace plotra {

class SampleList {
public:
    SampleList() = default;
    SampleList(std::initializer_list<CData> entries);
    SampleList& operator=(std::initializer_list<CData> entries);

    std::size_t size() const { return m_store ? m_store->Size() : 0; }
    bool empty() const { return size() == 0; }
    /// The entry as a value (the list holds no CData to refer to); change an entry with Set.
    const CData operator[](std::size_t i) const { return m_store->Get(i); }
    const CData front() const { return (*this)[0]; }
    const CData back() const { return (*this)[size() - 1]; }

    void Set(std::size_t i, const CData& value);
    void push_back(const CData& value);
    /// push_back of a reading as a survey file gives it: the position in whole milliarcseconds, the
    /// RSSI in 1/256 dBm and the channel's noise (the entry reads as their quotients).
    void AppendReading(std::int32_t latMas, std::int32_t lonMas, std::int16_t rssi256, std::int16_t noise);
    /// push_back of path->PseudoPoint(j) for each j of \p indices, held as those indices.
    void AppendPseudoPoints(const std::shared_ptr<const PathPositions>& path, std::vector<std::uint32_t> indices);
    /// The pseudo-points held as indices (the tail of the list).
    std::size_t PseudoPointCount() const { return m_store ? m_store->refs.size() : 0; }
    void reserve(std::size_t n);
    void clear() { m_store.reset(); }
    /// New entries are default CData values (zeros).
    void resize(std::size_t n);

    /// Bytes the entries take (without the list itself): what the benchmark and tests look at.
    std::size_t MemoryBytes() const;
    /// True while every entry is held in its compact form or as one of the few whole ones.
    bool IsCompact() const { return !m_store || !m_store->wide; }
    /// True when both lists hold the same entries bit for bit.
    bool SameEntries(const SampleList& other) const;

    class const_iterator {
    public:
        using iterator_category = std::random_access_iterator_tag;
        using value_type = CData;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = const CData;

        const_iterator() = default;
        const CData operator*() const { return (*m_list)[m_index]; }
        const CData operator[](difference_type k) const { return (*m_list)[m_index + static_cast<std::size_t>(k)]; }
        const_iterator& operator++() { return ++m_index, *this; }
        const_iterator operator++(int) { const_iterator t = *this; ++m_index; return t; }
        const_iterator& operator--() { return --m_index, *this; }
        const_iterator operator--(int) { const_iterator t = *this; --m_index; return t; }
        const_iterator& operator+=(difference_type k) { return m_index += static_cast<std::size_t>(k), *this; }
        const_iterator& operator-=(difference_type k) { return m_index -= static_cast<std::size_t>(k), *this; }
        friend const_iterator operator+(const_iterator it, difference_type k) { return it += k; }
        friend const_iterator operator+(difference_type k, const_iterator it) { return it += k; }
        friend const_iterator operator-(const_iterator it, difference_type k) { return it -= k; }
        friend difference_type operator-(const const_iterator& a, const const_iterator& b) {
            return static_cast<difference_type>(a.m_index) - static_cast<difference_type>(b.m_index);
        }
        friend bool operator==(const const_iterator& a, const const_iterator& b) { return a.m_index == b.m_index; }
        friend auto operator<=>(const const_iterator& a, const const_iterator& b) { return a.m_index <=> b.m_index; }

    private:
        friend class SampleList;
        const_iterator(const SampleList* list, std::size_t index) : m_list(list), m_index(index) {}
        const SampleList* m_list = nullptr;
        std::size_t m_index = 0;
    };
    const_iterator begin() const { return const_iterator(this, 0); }
    const_iterator end() const { return const_iterator(this, size()); }

private:
    /// A position in milliarcseconds, an RSSI in 1/256 dBm and the noise.
    struct Packed {
        std::int32_t latMas;
        std::int32_t lonMas;
        std::int16_t rssi256;
        std::int16_t noise;
    };
    /// Marks a packed entry whose value is kept whole (in `whole`, by index).
    static constexpr std::int16_t kWholeMark = INT16_MIN;

    struct Store {
        /// Compact: one Packed per entry, the ones marked kept whole in `whole` (sorted by index).
        /// Wide: every entry in `all`.
        bool wide = false;
        std::vector<Packed> packed;
        std::vector<std::pair<std::size_t, CData>> whole;
        std::vector<CData> all;
        /// Pseudo-points behind those entries, as indices into `path`.
        std::shared_ptr<const PathPositions> path;
        std::vector<std::uint32_t> refs;

        /// Entries before the pseudo-points held as indices.
        std::size_t Base() const { return wide ? all.size() : packed.size(); }
        std::size_t Size() const { return Base() + refs.size(); }
        CData Get(std::size_t i) const;
    };

    /// The store, made this list's own before a change (shared entries are copied first).
    Store& Own();
    /// Keeps every entry whole from now on.
    static void Widen(Store& s);
    /// Turns the pseudo-points held as indices into ordinary entries (before a change that needs them so).
    static void Materialise(Store& s);
    /// Appends an ordinary entry behind the others (no indices held).
    static void AppendEntry(Store& s, const CData& value);
    static bool Pack(const CData& value, Packed& out);
    static CData Unpack(const Packed& p);

    std::shared_ptr<Store> m_store;
};

} // namespace plotra
