#pragma once
#include <QString>
#include <QVector>
#include <cstdint>

/// One row of the command catalogue: how a window's command message becomes a device request.
struct CommandRow
{
    enum PortKind
    {
        CommandPort, ///< the device's announced command port
        FixedPort,   ///< `port`
        Broadcast    ///< 255.255.255.255:`port`
    };
    enum BodyKind
    {
        Fields,    ///< "ops" plus the mapped fields
        Unchanged, ///< the command message itself
        RawCmd     ///< the text of "cmd" as raw bytes, no JSON
    };
    /// A field copied from the message ("from") into the request ("to").
    struct Field
    {
        QString from;
        QString to;
        enum Kind
        {
            Text,    ///< any scalar as decimal text
            Integer, ///< converted to an integer and back to text
            Object,  ///< a JSON object as it is
            Array    ///< a JSON array as it is
        } kind = Text;
    };

    QString ops;   ///< command message "ops"
    QString txOps; ///< device request "ops" ("inOrOut" 1, or the only one)
    QString rxOps; ///< device request "ops" for "inOrOut" 0; empty when the row has one
    PortKind portKind = CommandPort;
    uint16_t port = 0;
    BodyKind body = Fields;
    QVector<Field> fields;
};

/// The catalogue of command messages that the main window translates.
class CommandCatalogue
{
public:
    static const CommandCatalogue& instance();
    /// The row of a command message "ops" (exact, case-sensitive), or null.
    const CommandRow* find(const QString& ops) const;
    const QVector<CommandRow>& rows() const { return m_rows; }

private:
    CommandCatalogue();
    QVector<CommandRow> m_rows;
};
