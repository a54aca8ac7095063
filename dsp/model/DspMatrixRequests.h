#pragma once
#include <QJsonObject>
#include <QString>
#include <QVector>

#include <optional>

class DspMatrix;

/// The matrix page's requests to the processor (port 8999, every value decimal text) and the reading of their
/// replies into the matrix record. Replies are untrusted: indexes outside the matrix are ignored and arrays are cut
/// at the matrix size.
class DspMatrixRequests
{
public:
    /// The gains a cell can carry on the wire (the range of the gain code).
    static constexpr double kMinGainDb = -48.0;
    static constexpr double kMaxGainDb = 12.0;
    /// Level shown for silence ("-inf") and the floor of the level indicators.
    static constexpr double kSilenceDb = -90.0;

    /// The four level reads, each paged by "idStart" within its own channel list.
    enum class Meter
    {
        PhyIn,
        NetIn,
        PhyOut,
        NetOut
    };

    static bool gainInRange(double db);
    /// The gain a cell really gets: quarter-dB steps of the gain code.
    static double quantised(double db);

    static QJsonObject getMatrix(int outIndex);
    /// A later page of one output for models that read without batches: the first page carries no "idStart".
    static QJsonObject getMatrix(int outIndex, int idStart);
    static QJsonObject getMatrixBatch(int outIndex, int idStart);
    /// "mute" "0" when the cell passes, "1" when it is off.
    static QJsonObject setMatrixMute(int outIndex, int inIndex, bool on, bool isBatch);
    /// nullopt (nothing to send) for a gain outside -48..+12 dB.
    static std::optional<QJsonObject> setMatrixGain(int outIndex, int inIndex, double db, bool isBatch);
    static QJsonObject setMatrixMode(int outIndex, bool share);
    /// Every output at once ("uiTag" "superMatrixUiTag", "mode" only).
    static QJsonObject setAllMatrixMode(bool share);
    static QJsonObject meter(Meter meter, int idStart);
    static QString meterOps(Meter meter);
    static std::optional<Meter> meterOf(const QString& ops);

    /// What one getMatrix/getMatrixBatch reply held.
    struct Page
    {
        int outIndex = -1;
        int idStart = 0;
        /// Where the next page starts (idStart plus the cells read when the reply does not say).
        int idNext = 0;
        int cells = 0;
    };
    /// Writes the reply's "mode", "muteArr" and "gainArr" into output "outIndex" from row "idStart". nullopt (and
    /// nothing written) for a failed reply or one whose output or start lies outside the matrix.
    static std::optional<Page> applyPage(DspMatrix& matrix, const QJsonObject& reply);

    /// The level of one meter text: "-inf" (or anything unreadable) is kSilenceDb, others rounded to whole dB.
    static double levelOf(const QString& text);
    /// Writes a meter reply's "arr" from "idStart" into the levels of the rows (inputs) or columns (outputs):
    /// physical channels are the first `localCount` entries, network channels the next `netCount`. Returns the
    /// number of entries written; 0 for a reply that is no meter reply or a failed one.
    static int applyMeter(const QJsonObject& reply, int localIn, int netIn, int localOut, int netOut,
                          QVector<double>& rowLevels, QVector<double>& columnLevels);
};
