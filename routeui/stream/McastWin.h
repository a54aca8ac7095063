#pragma once
#include <QDialog>
#include <cstdint>

class McastWidget;

/// The window that frames one McastWidget; the routing matrix opens one per destination address.
class McastWin : public QDialog
{
    Q_OBJECT
public:
    explicit McastWin(uint32_t dstIp, QWidget* parent = nullptr);

    McastWidget* widget() const { return m_widget; }

private:
    McastWidget* m_widget;
};
