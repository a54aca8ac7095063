#pragma once
#include <QStringList>
#include <QWidget>

class QLabel;
class QVBoxLayout;

/// A page of the online workspace: a title bar of column captions over a body the page's view fills in.
class PageForm : public QWidget
{
    Q_OBJECT
public:
    explicit PageForm(QWidget* parent = nullptr);

    /// The title bar's captions, left to right (translated by the caller).
    void setTitles(const QStringList& titles);
    QStringList titles() const;
    /// Places `view` in the body (the page takes ownership).
    void setBody(QWidget* view);
    QWidget* titleBar() const { return m_titleBar; }

private:
    QWidget* m_titleBar;
    QVBoxLayout* m_layout;
    QList<QLabel*> m_captions;
};
