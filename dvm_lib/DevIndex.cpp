#include "DevIndex.h"

#include <cstring>

uint32_t DevIndex::hash(const char* devId)
{
    uint32_t h = 2166136261u; // FNV-1a
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(devId); *p; ++p)
        h = (h ^ *p) * 16777619u;
    return h;
}

void DevIndex::clear()
{
    std::memset(m_buckets, 0, sizeof m_buckets);
}

int DevIndex::find(const char* devId, const DevRecord* devs) const
{
    const uint32_t h = hash(devId);
    for (uint32_t i = h & MASK;; i = (i + 1) & MASK) {
        const int entry = m_buckets[i];
        if (entry == 0)
            return -1;
        const int slot = entry - 1;
        if (m_slotHash[slot] == h && std::strcmp(devs[slot].hdr.devId, devId) == 0)
            return slot;
    }
}

void DevIndex::insert(int slot, const DevRecord* devs)
{
    const uint32_t h = hash(devs[slot].hdr.devId);
    m_slotHash[slot] = h;
    uint32_t i = h & MASK;
    while (m_buckets[i] != 0)
        i = (i + 1) & MASK;
    m_buckets[i] = static_cast<uint16_t>(slot + 1);
}

void DevIndex::remove(int slot)
{
    uint32_t i = m_slotHash[slot] & MASK;
    while (m_buckets[i] != slot + 1) {
        if (m_buckets[i] == 0)
            return; // not indexed
        i = (i + 1) & MASK;
    }
    // Backward-shift deletion keeps every probe chain unbroken without tombstones.
    uint32_t j = i;
    for (;;) {
        j = (j + 1) & MASK;
        if (m_buckets[j] == 0)
            break;
        const uint32_t home = m_slotHash[m_buckets[j] - 1] & MASK;
        const bool movable = (j > i) ? (home <= i || home > j) : (home <= i && home > j);
        if (movable) {
            m_buckets[i] = m_buckets[j];
            i = j;
        }
    }
    m_buckets[i] = 0;
}
