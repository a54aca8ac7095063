#pragma once
#include <QWidget>

/// The lock overlay of a read-only page: a padlock and "Press ctrl + 0 to unlock" on a 60 % black veil, so
/// the page stays readable but takes no clicks, wheel turns or focus. It covers its parent and follows the
/// parent's size.
class TranslucentLock : public QWidget
{
    Q_OBJECT
public:
    explicit TranslucentLock(QWidget* page);

    /// Opacity of the veil, 0..255.
    int veilAlpha() const { return m_veilAlpha; }
    static QString unlockHint() { return QStringLiteral("Press ctrl + 0 to unlock"); }

protected:
    TranslucentLock(QWidget* page, int veilAlpha);

    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // Input meant for the page underneath stops here.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void cover();

    int m_veilAlpha;
};
