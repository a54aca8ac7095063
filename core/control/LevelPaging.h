#pragma once
#include <QJsonObject>
#include <QString>
#include <QVector>
#include <cstdint>

/// The protocol side of the levels page: the levels, gains and mutes of one device's channels, the paged
/// read-outs that fill them, the requests for later pages and retries, and which failure question a reply
/// calls for. Widget-free: the page builds its rows from here and shows what a reply changed.
///
/// Sides are numbered as the page shows them: physical inputs and outputs, then network inputs and outputs.
/// Gains and mutes exist only for the physical sides.
class LevelPaging
{
public:
    enum Side
    {
        PhyIn,
        PhyOut,
        NetIn,
        NetOut,
        SideCount
    };

    /// The read-outs whose failure asks the user whether to try again.
    enum Question
    {
        NoQuestion = -1,
        PhyLevelQuestion,
        NetLevelQuestion,
        PhyGainQuestion,
        PhyMuteQuestion,
        QuestionCount
    };

    static constexpr uint16_t kBatchPort = 8999;
    /// Highest page start a reply may name; anything beyond is a device fault and its values are dropped.
    static constexpr int kMaxIdStart = 1 << 20;
    /// Most channels a side may have; larger counts are cut to it (no device has more, and each costs memory).
    static constexpr int kMaxChannels = 4096;

    /// One request to send: a command message (the page adds nothing; "devId" is in it), or, when `port`
    /// is not 0, a finished device request for the device's address on that port.
    struct Request
    {
        QJsonObject msg;
        uint16_t port = 0;
    };

    /// What a paged reply carries.
    enum Kind
    {
        Levels,
        Gains,
        Mutes
    };

    /// What one reply changed and asks for.
    struct Outcome
    {
        bool handled = false; ///< a paged read-out reply of this device
        Kind kind = Levels;
        /// Rows whose values changed: [first, first + count) of `side` (two ranges for a batch reply).
        struct Range
        {
            Side side = PhyIn;
            int first = 0;
            int count = 0;
        };
        QVector<Range> changed;
        QVector<Request> requests;
        Question question = NoQuestion; ///< failed read-out: ask this
        Side questionSide = PhyIn;
        bool gainsComplete = false; ///< last gain page of `physicalSide` is in: store the side's gains
        bool mutesComplete = false; ///< likewise for mutes
        Side physicalSide = PhyIn;
        bool gainOrMuteReply = false; ///< restarts the page's re-read wait
    };

    explicit LevelPaging(const QString& devId = QString());

    QString devId() const { return m_devId; }

    /// New channel counts, each within [0, kMaxChannels]: levels reset to silence, gains and mutes kept where the
    /// channel still exists.
    void setCounts(const int counts[SideCount]);
    int count(Side side) const { return m_levels[side].size(); }
    /// Batch-meter models read their levels on port 8999, inputs and outputs each as one list.
    void setBatch(bool batch) { m_batch = batch; }
    bool isBatch() const { return m_batch; }
    /// Old firmware reads 3 dB low.
    void setLevelOffset(bool offset) { m_levelOffset = offset; }

    int level(Side side, int index) const { return m_levels[side].value(index, kSilence); }
    double gain(Side side, int index) const { return m_gains[physicalSlot(side)].value(index, 0.0); }
    bool isMuted(Side side, int index) const { return m_mutes[physicalSlot(side)].value(index, 0) != 0; }
    /// Gains and mutes of a physical side, as the detail record keeps them.
    QVector<double> gains(Side side) const { return m_gains[physicalSlot(side)]; }
    QVector<int> mutes(Side side) const { return m_mutes[physicalSlot(side)]; }
    void setGains(Side side, const QVector<double>& gains);
    void setMutes(Side side, const QVector<int>& mutes);
    /// A confirmed single change; false when the channel does not exist.
    bool setGain(Side side, int index, double gain);
    bool setMute(Side side, int index, bool muted);

    /// Handles a reply to "getAllPhyLevel", "getAllNetLevel", "getVolumeDbBatchIn/Out", "getAllPhyGain" or
    /// "getAllPhyMute" (other replies come back with `handled` false).
    Outcome handle(const QJsonObject& reply);

    /// The command message asking one page of a side's read-out ("getAllPhyGain", ...).
    QJsonObject pageRequest(const QString& ops, Side side, int idStart) const;
    /// A batch meter request (inputs or outputs) from `idStart`, for port 8999.
    Request batchRequest(bool input, int idStart) const;
    /// The requests that repeat a failed read-out of `side` from its first page.
    QVector<Request> retryRequests(Question question, Side side) const;
    /// The first pages of every physical side's gains and mutes.
    QVector<Request> gainAndMuteRequests() const;

    static bool isPhysical(Side side) { return side == PhyIn || side == PhyOut; }
    static bool isOutput(Side side) { return side == PhyOut || side == NetOut; }

private:
    static constexpr int kSilence = -120;
    static int physicalSlot(Side side) { return side == PhyOut ? 1 : 0; }

    void handleLevels(const QJsonObject& o, bool network, Outcome* out);
    void handleBatch(const QJsonObject& o, bool input, Outcome* out);
    void handlePhysical(const QJsonObject& o, bool gains, Outcome* out);

    QString m_devId;
    bool m_batch = false;
    bool m_levelOffset = false;
    QVector<int> m_levels[SideCount];
    QVector<double> m_gains[2];
    QVector<int> m_mutes[2];
};
