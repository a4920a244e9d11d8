#include "model/SurveyPoints.h"

#include <cstring>
#include <stdexcept>

namespace plotra {

namespace {

/// A hash of the 38 bytes of a MAC and SSID pair.
std::uint64_t KeyHash(const void* mac, const void* ssid) {
    std::uint8_t bytes[40] = {};
    std::memcpy(bytes, mac, 6);
    std::memcpy(bytes + 6, ssid, 32);
    std::uint64_t words[5];
    std::memcpy(words, bytes, sizeof words);
    std::uint64_t h = 0x9E3779B97F4A7C15ull;
    for (std::uint64_t w : words) {
        h ^= w;
        h *= 0xBF58476D1CE4E5B9ull;
        h ^= h >> 31;
    }
    return h;
}

} // namespace

bool SurveyPoints::Readings::operator==(const std::vector<CHssData>& other) const {
    if (other.size() != size()) return false;
    for (std::size_t k = 0; k < size(); ++k)
        if (!((*this)[k] == other[k])) return false;
    return true;
}

bool SurveyPoints::Readings::operator==(const Readings& other) const {
    if (other.size() != size()) return false;
    for (std::size_t k = 0; k < size(); ++k)
        if (!((*this)[k] == other[k])) return false;
    return true;
}

SurveyPoints::Point::operator CDataPoint() const {
    CDataPoint p;
    p.m_rec = m_rec;
    p.m_aReadings.assign(m_aReadings.begin(), m_aReadings.end());
    return p;
}

SurveyPoints::SurveyPoints(std::initializer_list<CDataPoint> points) {
    for (const CDataPoint& p : points)
        push_back(p);
}

SurveyPoints& SurveyPoints::operator=(std::initializer_list<CDataPoint> points) {
    clear();
    for (const CDataPoint& p : points)
        push_back(p);
    return *this;
}

void SurveyPoints::push_back(const CDataPoint& point) {
    AddPoint(point.m_rec);
    ReserveReadings(point.m_aReadings.size());
    for (const CHssData& r : point.m_aReadings)
        AddReading(r);
}

void SurveyPoints::AddPoint(const CPointRecord& record) {
    m_records.push_back(record);
    m_first.push_back(m_readings.size());
}

void SurveyPoints::AddReading(const CHssData& r) {
    Reading k;
    k.key = Intern(r.m_abyMAC.data(), r.m_szSSID.data());
    k.rssi256 = r.m_nRssi256;
    k.channel = r.m_byChannel;
    m_readings.push_back(k);
    ++m_first.back();
}

void SurveyPoints::AddStoredReading(const std::uint8_t* p) {
    // The CHssData layout: channel, RSSI (int16), MAC (6 bytes), SSID (32 bytes).
    Reading k;
    k.channel = p[0];
    k.rssi256 = static_cast<std::int16_t>(static_cast<std::uint16_t>(p[1] | (p[2] << 8)));
    k.key = Intern(p + 3, p + 9);
    m_readings.push_back(k);
    ++m_first.back();
}

CHssData SurveyPoints::Expand(const Reading& r) const {
    CHssData d;
    d.m_byChannel = r.channel;
    d.m_nRssi256 = r.rssi256;
    const Key& key = m_keys[r.key];
    d.m_abyMAC = key.mac;
    d.m_szSSID = key.ssid;
    return d;
}

void SurveyPoints::resize(std::size_t n) {
    if (n >= size()) {
        while (size() < n)
            AddPoint(CPointRecord{});
        return;
    }
    // The table of pairs keeps the pairs of the dropped readings: it is a dictionary, not a count.
    m_records.resize(n);
    m_first.resize(n + 1);
    m_readings.resize(m_first.back());
}

void SurveyPoints::clear() {
    m_records = {};
    m_first = {0};
    m_readings = {};
    m_keys = {};
    m_slots = {};
}

std::size_t SurveyPoints::MemoryBytes() const {
    return m_records.capacity() * sizeof(CPointRecord) + m_first.capacity() * sizeof(std::size_t) +
           m_readings.capacity() * sizeof(Reading) + m_keys.capacity() * sizeof(Key) +
           m_slots.capacity() * sizeof(std::uint32_t);
}

std::uint32_t SurveyPoints::Intern(const void* mac, const void* ssid) {
    // At most half the slots are used, so every probe ends at a free slot.
    if ((m_keys.size() + 1) * 2 > m_slots.size()) Rehash(m_slots.empty() ? 1024 : m_slots.size() * 2);
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t s = KeyHash(mac, ssid) & mask;; s = (s + 1) & mask) {
        const std::uint32_t slot = m_slots[s];
        if (slot == 0) {
            if (m_keys.size() >= 0xFFFFFFFEu) throw std::length_error("too many distinct access points");
            Key key;
            std::memcpy(key.mac.data(), mac, 6);
            std::memcpy(key.ssid.data(), ssid, 32);
            m_keys.push_back(key);
            m_slots[s] = static_cast<std::uint32_t>(m_keys.size());
            return static_cast<std::uint32_t>(m_keys.size() - 1);
        }
        const Key& key = m_keys[slot - 1];
        if (std::memcmp(key.mac.data(), mac, 6) == 0 && std::memcmp(key.ssid.data(), ssid, 32) == 0) return slot - 1;
    }
}

void SurveyPoints::Rehash(std::size_t slots) {
    m_slots.assign(slots, 0);
    const std::size_t mask = slots - 1;
    for (std::size_t k = 0; k < m_keys.size(); ++k) {
        std::size_t s = KeyHash(m_keys[k].mac.data(), m_keys[k].ssid.data()) & mask;
        while (m_slots[s] != 0)
            s = (s + 1) & mask;
        m_slots[s] = static_cast<std::uint32_t>(k + 1);
    }
}

} // namespace plotra
