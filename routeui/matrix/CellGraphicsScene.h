#pragma once
#include <QGraphicsScene>

/// The matrix scene: reports presses of the left button and every move as integer scene positions.
class CellGraphicsScene : public QGraphicsScene
{
    Q_OBJECT
public:
    explicit CellGraphicsScene(QObject* parent = nullptr);

signals:
    void signal_mousePressed(int x, int y);
    void signal_mouseMoved(int x, int y);

protected:
    void mousePressEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent* event) override;
};
