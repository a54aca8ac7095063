#include "ProgramListArea.h"

#include "UiScale.h"

#include <QScrollArea>
#include <QVBoxLayout>

QScrollArea* makeProgramListArea(QWidget* parent, QVBoxLayout** rows, int minHeight)
{
    auto* listHost = new QWidget(parent);
    listHost->setObjectName(QStringLiteral("programList"));
    *rows = new QVBoxLayout(listHost);
    (*rows)->setSpacing(UiScale::px(4));
    (*rows)->addStretch();
    auto* scroll = new QScrollArea(parent);
    scroll->setWidgetResizable(true);
    scroll->setStyleSheet(QStringLiteral("QScrollArea{border:1px solid #3c4450;background:#1f232a;}"
                                         "#programList{background:#1f232a;}"));
    scroll->setWidget(listHost);
    scroll->setMinimumSize(UiScale::px(320), UiScale::px(minHeight));
    return scroll;
}
