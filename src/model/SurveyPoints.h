#pragma once
/// \brief SurveyPoints: the measurement points of a project (CPlotraDoc::m_aDataPoints) with every
/// reading held once in 8 bytes.
///
/// A reading as stored is 41 bytes, 38 of them the AP's MAC and SSID, which repeat for every reading
/// of an AP. Here the MAC and SSID pair is kept once in a table and a reading keeps the pair's number,
/// its RSSI and its channel. Reading the list gives the same CPointRecord and CHssData values as the
/// array of CDataPoint it replaces: points[i].m_rec, points[i].m_aReadings[k], range loops over both.

#include "model/Records.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <span>
#include <vector>

namespace plotra {

class SurveyPoints {
public:
    /// \brief A reading as kept: the number of its MAC and SSID pair, its RSSI and its channel.
    struct Reading {
        std::uint32_t key = 0;
        std::int16_t rssi256 = 0;
        std::uint8_t channel = 0;
    };
    /// \brief One MAC and SSID pair of the table.
    struct Key {
        std::array<std::uint8_t, 6> mac{};
        std::array<char, 32> ssid{};
    };

    /// \brief The readings of one point in file order, read as CHssData values.
    class Readings {
    public:
        std::size_t size() const { return m_items.size(); }
        bool empty() const { return m_items.empty(); }
        const CHssData operator[](std::size_t k) const { return m_owner->Expand(m_items[k]); }
        /// The readings as kept (for loops that only need the pair's number, RSSI and channel).
        std::span<const Reading> Packed() const { return m_items; }
        bool operator==(const std::vector<CHssData>& other) const;
        bool operator==(const Readings& other) const;

        class const_iterator {
        public:
            using iterator_category = std::forward_iterator_tag;
            using value_type = CHssData;
            using difference_type = std::ptrdiff_t;
            using pointer = void;
            using reference = const CHssData;
            const_iterator() = default;
            const CHssData operator*() const { return m_owner->Expand(*m_at); }
            const_iterator& operator++() { return ++m_at, *this; }
            const_iterator operator++(int) { const_iterator t = *this; ++m_at; return t; }
            friend bool operator==(const const_iterator& a, const const_iterator& b) { return a.m_at == b.m_at; }

        private:
            friend class Readings;
            const_iterator(const SurveyPoints* owner, const Reading* at) : m_owner(owner), m_at(at) {}
            const SurveyPoints* m_owner = nullptr;
            const Reading* m_at = nullptr;
        };
        const_iterator begin() const { return const_iterator(m_owner, m_items.data()); }
        const_iterator end() const { return const_iterator(m_owner, m_items.data() + m_items.size()); }

    private:
        friend class SurveyPoints;
        Readings(const SurveyPoints* owner, std::span<const Reading> items) : m_owner(owner), m_items(items) {}
        const SurveyPoints* m_owner;
        std::span<const Reading> m_items;
    };

    /// \brief One point: its record and its readings, named as in CDataPoint.
    class Point {
    public:
        const CPointRecord& m_rec;
        Readings m_aReadings;
        /// The point as a self-contained value.
        operator CDataPoint() const;
    };

    class const_iterator {
    public:
        using iterator_category = std::random_access_iterator_tag;
        using value_type = Point;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = Point;
        const_iterator() = default;
        Point operator*() const { return (*m_list)[m_index]; }
        const_iterator& operator++() { return ++m_index, *this; }
        const_iterator operator++(int) { const_iterator t = *this; ++m_index; return t; }
        const_iterator& operator+=(difference_type k) { return m_index += static_cast<std::size_t>(k), *this; }
        friend const_iterator operator+(const_iterator it, difference_type k) { return it += k; }
        friend difference_type operator-(const const_iterator& a, const const_iterator& b) {
            return static_cast<difference_type>(a.m_index) - static_cast<difference_type>(b.m_index);
        }
        friend bool operator==(const const_iterator& a, const const_iterator& b) { return a.m_index == b.m_index; }

    private:
        friend class SurveyPoints;
        const_iterator(const SurveyPoints* list, std::size_t index) : m_list(list), m_index(index) {}
        const SurveyPoints* m_list = nullptr;
        std::size_t m_index = 0;
    };

    SurveyPoints() = default;
    SurveyPoints(std::initializer_list<CDataPoint> points);
    SurveyPoints& operator=(std::initializer_list<CDataPoint> points);

    std::size_t size() const { return m_records.size(); }
    bool empty() const { return m_records.empty(); }
    Point operator[](std::size_t i) const {
        return Point{m_records[i], Readings(this, std::span<const Reading>(m_readings.data() + m_first[i],
                                                                              m_first[i + 1] - m_first[i]))};
    }
    const_iterator begin() const { return const_iterator(this, 0); }
    const_iterator end() const { return const_iterator(this, size()); }

    void push_back(const CDataPoint& point);
    /// Appends a point without readings; AddReading then gives it its readings.
    void AddPoint(const CPointRecord& record);
    /// Appends a reading to the last point.
    void AddReading(const CHssData& reading);
    /// The same from the 41 bytes of a reading as a survey file stores it.
    void AddStoredReading(const std::uint8_t* bytes);
    /// Room for \p readings more readings.
    void ReserveReadings(std::size_t readings) { m_readings.reserve(m_readings.size() + readings); }
    /// Keeps the first \p n points (a refused file's points are taken back); more adds empty points.
    void resize(std::size_t n);
    void clear();

    /// Readings of all points.
    std::size_t ReadingCount() const { return m_readings.size(); }
    /// The MAC and SSID pairs met so far; a reading's key indexes them.
    const std::vector<Key>& Keys() const { return m_keys; }
    /// A kept reading as the record it stands for.
    CHssData Expand(const Reading& r) const;
    /// Bytes the points and readings take.
    std::size_t MemoryBytes() const;

private:
    std::uint32_t Intern(const void* mac, const void* ssid);
    void Rehash(std::size_t slots);

    std::vector<CPointRecord> m_records;
    std::vector<std::size_t> m_first{0}; ///< first reading of each point; one more entry than points
    std::vector<Reading> m_readings;
    std::vector<Key> m_keys;
    std::vector<std::uint32_t> m_slots; ///< open-addressing table over m_keys: key + 1, 0 for free
};

/// The number of readings of all points.
inline std::size_t ReadingCount(const SurveyPoints& points) { return points.ReadingCount(); }

} // namespace plotra
