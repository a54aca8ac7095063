#pragma once
#include "CtlOptions.h"
#include "DesignCheck.h"

#include <QByteArray>
#include <QString>

class OfflineData;

/// `design show|check FILE`: an offline design file read and printed or checked, without any network.
namespace CtlDesign {

/// Reads a design file (at most OfflineData::MaxDocumentBytes) into `data`; false with `error` set when it cannot
/// be read or is not a design.
bool load(const QString& path, OfflineData* data, QString* error);
/// Devices (id, name, model, channel counts), routes (sender and receiver with 1-based channels, unicast or the
/// stream) and streams (name, address, port, channels): readable lines, or one indented JSON object.
QByteArray showText(const OfflineData& data, bool json);
/// One line per finding (or one compact JSON object per line); empty for a clean design.
QByteArray checkText(const QVector<DesignCheck::Finding>& findings, bool json);
/// The kind's name in JSON: "missingDevice", "missingChannel", ...
QString kindName(DesignCheck::Finding::Kind kind);

/// The commands: 0 done (check: clean), 1 findings, 4 an unreadable file.
int runShow(const CtlOptions& options);
int runCheck(const CtlOptions& options);

} // namespace CtlDesign
