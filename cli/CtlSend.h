#pragma once
#include "CtlOptions.h"
#include "CtlSecrets.h"

#include <QJsonObject>
#include <QString>

class CtlNetwork;

/// `send`: command messages translated by the command layer (and the lock dialogs' own "setLock" and
/// "setPassword"), sent, and their replies as the dispatcher hands them to the windows. No password is printed:
/// requests, errors and replies are shown through LogRedaction.
class CtlSend
{
public:
    /// Passwords a message leaves out come from the environment or standard input (see CtlSecrets).
    CtlSend(CtlNetwork& net, const CtlOptions& options);
    CtlSend(CtlNetwork& net, const CtlOptions& options, CtlSecrets secrets);

    /// Handles every message of the command line (or of standard input for "-") in order; returns the exit code
    /// of the first one that failed, else 0.
    int run();
    /// Handles one command message; returns its exit code.
    int one(const QString& message);

    /// The dispatched reply that answers a command `ops` for `devId` among `messages` from index `from`:
    /// index, or -1. Replies name the window's command again, so a command's own name is what comes back.
    static int findReply(const QVector<QJsonObject>& messages, int from, const QString& ops, const QString& devId);

private:
    /// one() without its error output: `error` gets the line to show.
    int handle(const QString& message, QString* error);

    CtlNetwork& m_net;
    const CtlOptions& m_options;
    CtlSecrets m_secrets;
};
