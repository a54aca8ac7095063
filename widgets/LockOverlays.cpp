#include "LockOverlays.h"

#include "TranslucentLock.h"
#include "TransparentLock.h"

#include <QWidget>

LockOverlays::LockOverlays(QWidget* page)
    : QObject(page), m_translucent(new TranslucentLock(page)), m_transparent(new TransparentLock(page))
{
    setObjectName(QStringLiteral("LockOverlays"));
    m_translucent->setObjectName(QStringLiteral("TranslucentLock"));
    m_transparent->setObjectName(QStringLiteral("TransparentLock"));
}

void LockOverlays::apply(int detailLock)
{
    m_level = qBound(0, detailLock, 2);
    if (m_translucent)
        m_translucent->setVisible(m_level == 1);
    if (m_transparent)
        m_transparent->setVisible(m_level == 2);
}
