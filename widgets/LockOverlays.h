#pragma once
#include "TranslucentLock.h"
#include "TransparentLock.h"

#include <QObject>
#include <QPointer>

/// The two lock overlays of one page, switched by the device's detail lock. Owned by the page (a child
/// object of it), so it lives exactly as long as the page.
class LockOverlays : public QObject
{
    Q_OBJECT
public:
    explicit LockOverlays(QWidget* page);

    /// 0 (or less): no overlay, the page as normal; 1: the translucent overlay (read-only); 2 (or more): the
    /// opaque overlay (hidden).
    void apply(int detailLock);
    /// The level last applied, 0..2.
    int level() const { return m_level; }

    TranslucentLock* translucent() const { return m_translucent; }
    TransparentLock* transparent() const { return m_transparent; }

private:
    QPointer<TranslucentLock> m_translucent;
    QPointer<TransparentLock> m_transparent;
    int m_level = 0;
};
