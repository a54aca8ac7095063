#include "CtlArchiveOptions.h"

#include "ArchiveCategory.h"
#include "CtlOptions.h"

#include <QSet>
#include <QStringList>

QString CtlArchiveOptions::check(const CtlOptions& o)
{
    if (o.args.value(0).trimmed().isEmpty())
        return QStringLiteral("%1 needs a FILE").arg(o.commandName);
    ArchiveCategories categories;
    QString error;
    if (!o.categories.isNull() && !ArchiveCategories::parse(o.categories, &categories, &error))
        return QStringLiteral("--categories: %1").arg(error);
    if (o.assign.isNull())
        return QString();
    QSet<QString> offline;
    for (const QString& item : o.assign.split(QLatin1Char(','))) {
        const QStringList sides = item.split(QLatin1Char('='));
        if (sides.size() != 2 || sides.at(0).trimmed().isEmpty() || sides.at(1).trimmed().isEmpty())
            return QStringLiteral("--assign needs OFFLINE=ONLINE pairs separated by commas, not \"%1\"").arg(item);
        if (offline.contains(sides.at(0).trimmed()))
            return QStringLiteral("--assign gives %1 twice").arg(sides.at(0).trimmed());
        offline.insert(sides.at(0).trimmed());
    }
    return QString();
}
