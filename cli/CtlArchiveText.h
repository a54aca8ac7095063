#pragma once
#include "ArchiveAssignment.h"
#include "ArchiveExporter.h"
#include "ArchiveLoadPreview.h"
#include "ArchiveLoader.h"
#include "CtlArchiveTransport.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <vector>

/// What `export` and `load` print: readable lines, or one compact JSON object per line with `json`. Kept apart
/// from the network so the format can be checked from given data.
class CtlArchiveText
{
public:
    /// One line per archive device: the online device it goes to, or that it stays unassigned.
    static QStringList assignment(const std::vector<OfflineDevice>& archive, const QVector<OnlineDeviceFacts>& online,
                                  const QVector<ArchiveAssignment::Pair>& pairs, bool json);
    /// Per assigned device: its heading, the notes of its plan, then one line per change ("no change" when none;
    /// a device that could not be read says everything chosen is sent).
    static QStringList preview(const QVector<ArchiveLoadPreview::Entry>& entries, bool json, bool chinese);
    /// One line per step of the load with its result.
    static QStringList steps(const QVector<ArchiveLoader::DevicePlan>& plans, const ArchiveLoader::Outcome& outcome,
                             bool json);
    /// The load's last line: steps by result, the time, and whether it was cancelled.
    static QString loadSummary(const ArchiveLoader::Outcome& outcome, bool json);
    /// The export's line: file, devices, requests, failed steps, time (or why nothing was written).
    static QString exportSummary(const QString& path, const ArchiveExporter::Outcome& outcome, bool json);

    /// "done", "refused", "noAnswer", "notSent".
    static QString statusName(ArchiveLoader::Status status);

    /// The export's exit code: 0 written with every step answered, 1 a step refused or the file not written (or
    /// the export cancelled), 2 a request went unanswered (the file is still written, with defaults in its place).
    static int exportExitCode(const ArchiveExporter::Outcome& outcome, const CtlArchiveTransport::Counts& counts);
};
