#include "PageForm.h"

#include "UiScale.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

PageForm::PageForm(QWidget* parent) : QWidget(parent), m_titleBar(new QWidget(this)), m_layout(new QVBoxLayout(this))
{
    m_titleBar->setObjectName(QStringLiteral("pageTitleBar"));
    m_titleBar->setAttribute(Qt::WA_StyledBackground);
    m_titleBar->setFixedHeight(UiScale::px(30));
    m_titleBar->setStyleSheet(QStringLiteral("QWidget#pageTitleBar{background:#262e38;}"
                                             "QLabel{color:#9fb0c3;font-size:%1px;}")
                                  .arg(UiScale::fontPx(12)));
    // No vertical margins: the style's default margins would leave the fixed-height bar too little room and clip
    // the captions to a line.
    auto* titleLayout = new QHBoxLayout(m_titleBar);
    titleLayout->setContentsMargins(UiScale::px(8), 0, UiScale::px(8), 0);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    m_layout->addWidget(m_titleBar);
    m_layout->addStretch(1);
}

void PageForm::setTitles(const QStringList& titles)
{
    // Labels are reused: new children of a shown widget would stay hidden.
    while (m_captions.size() > titles.size())
        delete m_captions.takeLast();
    while (m_captions.size() < titles.size()) {
        auto* label = new QLabel(m_titleBar);
        m_titleBar->layout()->addWidget(label);
        label->show();
        m_captions << label;
    }
    for (int i = 0; i < titles.size(); ++i)
        m_captions[i]->setText(titles.at(i));
}

QStringList PageForm::titles() const
{
    QStringList out;
    for (const QLabel* l : m_captions)
        out << l->text();
    return out;
}

void PageForm::setBody(QWidget* view)
{
    // The stretch that keeps an empty page's title bar at the top gives way to the view.
    delete m_layout->takeAt(1);
    view->setParent(this);
    m_layout->addWidget(view, 1);
}
