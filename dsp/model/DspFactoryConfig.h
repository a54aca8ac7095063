#pragma once
#include "DspCommandPlan.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>

class CDeviceDspData;

/// A device's factory (default) processor configuration built from channel counts, a sample rate and the
/// advanced commands: the default layout (16 groups, inputs, a matrix with every cell off, outputs) with the
/// commands applied in order. Widget-free: the dialog shows what it returns and sends or exports the result.
namespace DspFactoryConfig {

constexpr int MinChannels = 1;
constexpr int MaxChannels = 512;

/// The sample rates a factory configuration may carry.
const QVector<int>& sampleRates();

struct Settings
{
    int inputs = 0;
    int outputs = 0;
    int sampleRate = 48000;
    QString commands; ///< the advanced commands; empty for the plain layout
};

struct Result
{
    /// Set when the counts or the rate are out of range; nothing was built.
    QString problem;
    /// Set when a command was refused (when parsing, or a block its channel cannot take); nothing was built.
    DspCommandError error;
    /// The built configuration, null unless ok().
    std::shared_ptr<CDeviceDspData> data;

    bool ok() const { return problem.isEmpty() && !error.isError() && data != nullptr; }
    /// The problem or the command error as shown, in the chosen language.
    QString failureText(bool chinese) const;
};

/// Builds the configuration. Bounded throughout: counts, rate and commands are checked before anything
/// is allocated for them.
Result build(const Settings& settings, bool chinese);

/// The "config" object of a built configuration (matrix gains always written).
QJsonObject config(const CDeviceDspData& data);
QByteArray configText(const CDeviceDspData& data);

/// {"config":…, "ops":"setFactoryConfig", "sampleRate":"…", "uiTag":"dspUiTag"} as compact text.
QByteArray requestText(const CDeviceDspData& data);
/// The export file's content: {"config":…, "name":"userGenerate"} as compact text.
QByteArray exportText(const CDeviceDspData& data);

/// One line per input and per output channel: (outputs) the inputs that reach it, then its settings and chain.
QStringList inputPreview(const CDeviceDspData& data, bool chinese);
QStringList outputPreview(const CDeviceDspData& data, bool chinese);

} // namespace DspFactoryConfig
