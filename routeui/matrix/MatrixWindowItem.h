#pragma once
#include <QGraphicsItem>

class MatrixWindow;

/// Paints the window's cells: one item for the whole window, however large the matrix is.
class MatrixWindowItem : public QGraphicsItem
{
public:
    /// `window` must outlive the item.
    explicit MatrixWindowItem(const MatrixWindow* window, int cellSize);

    void setCellSize(int cellSize);
    /// Call after the window moved or its size changed.
    void windowChanged();

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    const MatrixWindow* m_window;
    int m_size;
};
