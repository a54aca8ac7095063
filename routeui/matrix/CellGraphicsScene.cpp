#include "CellGraphicsScene.h"

#include <QGraphicsSceneMouseEvent>

CellGraphicsScene::CellGraphicsScene(QObject* parent) : QGraphicsScene(parent) {}

void CellGraphicsScene::mousePressEvent(QGraphicsSceneMouseEvent* event)
{
    QGraphicsScene::mousePressEvent(event);
    if (event->button() == Qt::LeftButton)
        emit signal_mousePressed(static_cast<int>(event->scenePos().x()), static_cast<int>(event->scenePos().y()));
}

void CellGraphicsScene::mouseMoveEvent(QGraphicsSceneMouseEvent* event)
{
    QGraphicsScene::mouseMoveEvent(event);
    emit signal_mouseMoved(static_cast<int>(event->scenePos().x()), static_cast<int>(event->scenePos().y()));
}
