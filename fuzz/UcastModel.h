#pragma once
// A plain model of the page-storing rules, run beside the registry on the same replies.

#include "DvmTypes.h"

#include <QByteArray>
#include <vector>

/// Mirrors, for one device, the fetched counts of the eight tables, the receive-channel map and the
/// active flags of the unicast receive streams, reading each reply with QJsonDocument: a page
/// [idStart, idNext) clamped to the table is emptied, then every element is stored by its own id,
/// and the fetched count becomes the clamped idNext. Values written in forms the model does not
/// interpret (numbers as JSON numbers, blanks, signs on ids) switch the affected part off.
class UcastModel
{
public:
    UcastModel();
    void reply(const QByteArray& dgram);
    /// "updateRoute" (rx tables) or "updateActive" (unicast active flags).
    void invalidate(bool activeOnly);
    /// Aborts when the record differs from the model.
    void compare(const DevRecord& rec) const;

private:
    std::vector<int32_t> m_rxCh;
    std::vector<uint8_t> m_active;
    int32_t m_fetched[DVM_T_COUNT];
    bool m_fetchedKnown[DVM_T_COUNT];
    bool m_rxChKnown = true;
    bool m_activeKnown = true;
};
