#include "AddDevForm.h"

#include "AppState.h"
#include "FormAddDev.h"
#include "LoadingForm.h"
#include "StyledButton.h"
#include "UiScale.h"

#include <QColor>
#include <QEvent>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPalette>
#include <QTimer>
#include <QVBoxLayout>

AddDevForm::AddDevForm(QWidget* parent, const QString& root)
    : QDialog(parent), m_root(root.isEmpty() ? OfflineCatalogue::defaultRoot() : root),
      m_categories(new QListWidget(this)), m_types(new QListWidget(this)), m_search(new QLineEdit(this)),
      m_searchBt(new StyledButton(QString(), StyledButton::Action, this)), m_note(new QLabel(this)),
      m_loading(new LoadingForm(this))
{
    setObjectName(QStringLiteral("AddDevForm"));
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("QDialog#AddDevForm{background:#1a1f26;}"
                                 "QListWidget{background:#1e242c;border:none;outline:none;color:#d8dee6;"
                                 "font-size:%1px;}"
                                 "QListWidget#type_listWidget::item{padding:%2px;}"
                                 "QListWidget#type_listWidget::item:selected{background:#0a84c6;color:#ffffff;}"
                                 "QListWidget#dev_listWidget::item{background:transparent;}"
                                 "QLineEdit{background:#262e38;border:1px solid #3a4452;"
                                 "border-radius:3px;padding:0 %3px;font-size:%1px;}"
                                 "QLabel#note_lab{color:#9fb0c3;font-size:%1px;}"
                                 "QScrollBar:vertical{background:#1e242c;width:%3px;margin:0;}"
                                 "QScrollBar::handle:vertical{background:#3a4452;border-radius:3px;min-height:24px;}"
                                 "QScrollBar::add-line:vertical,QScrollBar::sub-line:vertical{height:0;}"
                                 "QScrollBar::add-page:vertical,QScrollBar::sub-page:vertical{background:none;}")
                      .arg(UiScale::fontPx(13))
                      .arg(UiScale::px(6))
                      .arg(UiScale::px(6)));
    m_categories->setObjectName(QStringLiteral("type_listWidget"));
    m_types->setObjectName(QStringLiteral("dev_listWidget"));
    m_search->setObjectName(QStringLiteral("lineEdit"));
    m_searchBt->setObjectName(QStringLiteral("search_bt"));
    m_note->setObjectName(QStringLiteral("note_lab"));
    m_categories->setFixedWidth(UiScale::px(170));
    m_categories->setIconSize(QSize(UiScale::px(24), UiScale::px(24)));
    m_types->setSpacing(UiScale::px(3));
    m_types->setSelectionMode(QAbstractItemView::NoSelection);
    m_types->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_types->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_search->setMinimumHeight(UiScale::px(28));
    m_searchBt->setMinimumHeight(UiScale::px(28));
    m_searchBt->setAutoDefault(false);
    m_note->hide();
    m_types->viewport()->installEventFilter(this);
    QPalette palette = m_search->palette();
    // Colours through the palette: a style-sheet colour would paint the placeholder as bright as the text.
    palette.setColor(QPalette::Text, QColor(0xe8, 0xed, 0xf3));
    palette.setColor(QPalette::PlaceholderText, QColor(0x7d, 0x8a, 0x99));
    m_search->setPalette(palette);

    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(m_search, 1);
    searchRow->addWidget(m_searchBt);
    auto* right = new QVBoxLayout;
    right->addLayout(searchRow);
    right->addWidget(m_note);
    right->addWidget(m_types, 1);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(UiScale::px(10), UiScale::px(10), UiScale::px(10), UiScale::px(10));
    layout->setSpacing(UiScale::px(10));
    layout->addWidget(m_categories);
    layout->addLayout(right, 1);
    resize(UiScale::px(860), UiScale::px(560));

    connect(m_categories, &QListWidget::currentRowChanged, this, [this] {
        if (!m_searching)
            showCategory();
    });
    connect(m_searchBt, &QPushButton::clicked, this, &AddDevForm::on_search_bt_clicked);
    connect(m_search, &QLineEdit::returnPressed, this, &AddDevForm::on_search_bt_clicked);
    connect(m_search, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (text.trimmed().isEmpty() && m_searching)
            on_search_bt_clicked();
    });
    retranslate();
    reload();
}

void AddDevForm::setCountFunction(CountFunction count)
{
    m_count = std::move(count);
    refreshCounts();
}

void AddDevForm::reload()
{
    m_loading->setCountdown(0);
    m_loading->setText(AppState::pick(QStringLiteral("加载中..."), QStringLiteral("Loading...")));
    m_loading->start();
    if (m_loadPending)
        return;
    m_loadPending = true;
    // One turn of the event loop first, so the veil is drawn before the files are read.
    QTimer::singleShot(0, this, &AddDevForm::fill);
}

void AddDevForm::fill()
{
    m_loadPending = false;
    const int previous = qMax(0, m_categories->currentRow());
    m_catalogue.load(m_root);
    m_searching = false;
    m_categories->clear();
    for (const OfflineCategory& c : m_catalogue.categories()) {
        auto* item = new QListWidgetItem(c.name(AppState::isChinese()), m_categories);
        if (!c.iconPath.isEmpty())
            item->setIcon(QIcon(c.iconPath));
        item->setSizeHint(QSize(0, UiScale::px(36)));
    }
    m_categories->setCurrentRow(qMin(previous, m_categories->count() - 1));
    if (!m_search->text().trimmed().isEmpty())
        on_search_bt_clicked();
    else
        showCategory();
    m_loading->stop();
}

int AddDevForm::currentCategory() const
{
    return m_categories->currentRow();
}

void AddDevForm::selectCategory(int index)
{
    m_search->clear();
    m_categories->setCurrentRow(index);
}

void AddDevForm::on_search_bt_clicked()
{
    const QString text = m_search->text().trimmed();
    if (text.isEmpty()) {
        m_searching = false;
        showCategory();
        return;
    }
    m_searching = true;
    m_categories->clearSelection();
    showTypes(m_catalogue.search(text),
              AppState::pick(QStringLiteral("没有找到匹配的设备类型"), QStringLiteral("No device type matches")));
}

void AddDevForm::showCategory()
{
    const int row = m_categories->currentRow();
    if (row < 0 || row >= m_catalogue.categories().size()) {
        showTypes({}, AppState::pick(QStringLiteral("没有可添加的设备类型"), QStringLiteral("No device types to add")));
        return;
    }
    m_categories->currentItem()->setSelected(true);
    showTypes(m_catalogue.categories()[row].types, AppState::pick(QStringLiteral("此分类没有设备类型"),
                                                                  QStringLiteral("This category has no device types")));
}

void AddDevForm::showTypes(const QVector<OfflineDeviceType>& types, const QString& emptyText)
{
    m_types->clear();
    const int shown = qMin(types.size(), kMaxShownResults);
    for (int i = 0; i < shown; ++i) {
        auto* form = new FormAddDev(types[i], m_types);
        auto* item = new QListWidgetItem(m_types);
        m_types->setItemWidget(item, form);
        item->setSizeHint(rowSize(form));
        connect(form, &FormAddDev::signal_addDevice, this, [this, form](const OfflineDeviceType& type) {
            emit signal_addDevice(type);
            // The receiver added the device synchronously; the dialog may have been cleared meanwhile.
            if (items().contains(form))
                refreshCounts();
        });
        // The details make an item taller: its row follows.
        connect(form->findChild<QPushButton*>(QStringLiteral("detail_bt")), &QPushButton::clicked, this,
                [this, item, form] { item->setSizeHint(rowSize(form)); });
    }
    refreshCounts();
    if (types.isEmpty())
        m_note->setText(emptyText);
    else if (types.size() > shown)
        m_note->setText(AppState::pick(QStringLiteral("找到 %1 项，仅显示前 %2 项，请细化搜索"),
                                       QStringLiteral("%1 found; the first %2 are shown, refine the search"))
                            .arg(types.size())
                            .arg(shown));
    m_note->setVisible(types.isEmpty() || types.size() > shown);
}

QList<FormAddDev*> AddDevForm::items() const
{
    QList<FormAddDev*> out;
    for (int i = 0; i < m_types->count(); ++i)
        if (auto* form = qobject_cast<FormAddDev*>(m_types->itemWidget(m_types->item(i))))
            out.append(form);
    return out;
}

void AddDevForm::refreshCounts()
{
    for (FormAddDev* form : items())
        form->setCount(m_count ? m_count(form->type().devModel) : 0);
}

QSize AddDevForm::rowSize(FormAddDev* form) const
{
    // Descriptions wrap: the row is as tall as the item needs at the list's present width.
    const int width = qMax(UiScale::px(200), m_types->viewport()->width() - 2 * m_types->spacing());
    form->layout()->invalidate();
    form->layout()->activate();
    const int height = form->hasHeightForWidth() ? form->heightForWidth(width) : form->sizeHint().height();
    return QSize(width, qMax(height, form->minimumSizeHint().height()));
}

void AddDevForm::fitRows()
{
    for (int i = 0; i < m_types->count(); ++i)
        if (auto* form = qobject_cast<FormAddDev*>(m_types->itemWidget(m_types->item(i))))
            m_types->item(i)->setSizeHint(rowSize(form));
}

bool AddDevForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_types->viewport() && event->type() == QEvent::Resize)
        fitRows();
    return QDialog::eventFilter(watched, event);
}

void AddDevForm::showEvent(QShowEvent* event)
{
    // The design may have changed while the dialog was hidden.
    refreshCounts();
    QDialog::showEvent(event);
}

void AddDevForm::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) {
        retranslate();
        for (int i = 0; i < m_categories->count() && i < m_catalogue.categories().size(); ++i)
            m_categories->item(i)->setText(m_catalogue.categories()[i].name(AppState::isChinese()));
    }
    QDialog::changeEvent(event);
}

void AddDevForm::retranslate()
{
    setWindowTitle(AppState::pick(QStringLiteral("添加离线设备"), QStringLiteral("Add offline device")));
    m_search->setPlaceholderText(
        AppState::pick(QStringLiteral("搜索型号、品牌或描述"), QStringLiteral("Search model, brand or description")));
    m_searchBt->setText(AppState::pick(QStringLiteral("搜索"), QStringLiteral("Search")));
}
