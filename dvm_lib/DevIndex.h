#pragma once
// devId -> slot index for the announcement path, so that a burst of announcements from 1024
// devices does not scan the active list for every datagram. Private to dvm_lib.

#include "DvmTypes.h"

#include <cstdint>

class DevIndex
{
public:
    /// Forgets every entry.
    void clear();
    /// Slot of the live device with this devId, or -1. `devs` is the record table.
    int find(const char* devId, const DevRecord* devs) const;
    /// Enters a slot whose record already holds its devId; the devId must not be indexed yet.
    void insert(int slot, const DevRecord* devs);
    /// Removes a slot that was inserted.
    void remove(int slot);

private:
    static uint32_t hash(const char* devId);

    enum
    {
        BUCKETS = 4096,
        MASK = BUCKETS - 1
    };                                      // load stays at or below 1/4
    uint16_t m_buckets[BUCKETS] = {};       ///< slot + 1; 0 is empty
    uint32_t m_slotHash[DVM_MAX_DEVS] = {}; ///< hash of each indexed slot's devId
};
