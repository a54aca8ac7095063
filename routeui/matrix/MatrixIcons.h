#pragma once
#include <QHash>
#include <QPixmap>

/// The matrix's icons, drawn once per size and kept (no image files).
class MatrixIcons
{
public:
    enum Icon
    {
        Checked,       ///< routed cell
        Checking,      ///< request sent, waiting for the next refresh
        Increase,      ///< collapsed header-by-header cell
        Decrease,      ///< expanded header-by-header cell
        IncreaseRoute, ///< collapsed, the two sides share a route
        DecreaseRoute, ///< expanded, the two sides share a route
        ArrowDown,     ///< list item expanded
        ArrowLeft      ///< list item collapsed
    };

    /// The icon at `size` x `size` pixels; drawn on first use.
    static const QPixmap& pixmap(Icon icon, int size);

private:
    static QPixmap draw(Icon icon, int size);
};
