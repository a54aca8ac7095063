#pragma once
#include "ProgramFile.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>

/// Channel programs: the processing chain of one channel (with its mute, gain, inversion and group) stored
/// under a name in the processor, to be put onto a channel of the same side later (docs/PROGRAMS.md).
///
/// A channel program's configuration:
///   {"version":"4","side":"in"|"out","comm":{<the channel's "commArr" entry>},"port":{<its "portArr" entry>}}
/// Names follow ProgramName. The processor does the storing and the applying, so a program is always checked
/// against the processor's own limits.
namespace ChannelProgram {

/// A processor keeps at most this many channel programs; a longer list from a device is cut there.
constexpr int kMaxPrograms = 32;
/// No chain holds more blocks; a longer one in a file is refused.
constexpr int kMaxBlocks = 64;

/// Why `config` is not a channel program (empty when it is).
QString problem(const QJsonObject& config);
/// Channel `chIndex` of the configuration `full` ("config" object) as a channel program; empty when there is
/// no such channel.
QJsonObject fromConfig(const QJsonObject& full, bool isInput, int chIndex);
/// True for a program of the input side.
bool isInput(const QJsonObject& program);

struct Read
{
    ProgramFile::Error error = ProgramFile::Error::None;
    QJsonObject program;
};
/// A channel program file ("*.dtc": the program's configuration, compact JSON).
Read read(const QByteArray& bytes);

} // namespace ChannelProgram

/// The requests of the channel program windows ("uiTag" "dspUiTag", every value text).
namespace ChannelProgramRequests {
QJsonObject getNameArr();
/// Stores the chain of channel `chIndex` under `name` (in place of `oldName` when given).
QJsonObject save(const QString& name, const QString& oldName, bool isInput, int chIndex);
QJsonObject rename(const QString& name, const QString& oldName);
QJsonObject remove(const QString& name);
/// Puts the program onto channel `chIndex`.
QJsonObject load(const QString& name, bool isInput, int chIndex);
/// Over TCP: the program's configuration, for an export.
QJsonObject getByName(const QString& name);
/// Over TCP: stores a program read from a file.
QJsonObject saveFromFile(const QString& name, const QJsonObject& program);
} // namespace ChannelProgramRequests
