#pragma once
#include <QDialog>
#include <QList>
#include <QStringList>
#include <QVector>

class QCheckBox;
class QLabel;

/// Chooses the member channels of an automixer among the DSP inputs ("SetChannels"), at most `limit` of them:
/// a choice beyond the limit is taken back with "最多选择" and the limit.
class DspAutomixMemberDialog : public QDialog
{
    Q_OBJECT
public:
    /// The most members an automixer takes.
    static constexpr int kMaxMembers = 64;

    /// `inputNames` label the DSP inputs; `selected` are the current members' channel ids.
    DspAutomixMemberDialog(const QStringList& inputNames, const QVector<int>& selected, int limit,
                           QWidget* parent = nullptr);

    /// The chosen channel ids, ascending.
    QVector<int> selected() const;
    int limit() const { return m_limit; }
    /// Checks or clears input `input` as a click would; false when the limit refuses it.
    bool choose(int input, bool on);

signals:
    void signal_showTips(QString tip, bool isSucc);

private:
    void updateCount();

    int m_limit;
    QList<QCheckBox*> m_boxes;
    QLabel* m_count = nullptr;
    QLabel* m_notice = nullptr;
};
