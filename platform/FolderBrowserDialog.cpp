#include "platform/FolderBrowserDialog.h"

#include "platform/FolderTreeModel.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTreeView>
#include <QVBoxLayout>

namespace vantoro {

namespace {

// The window's size at 96 pixels per inch; scaled by the screen's logical density.
constexpr QSize kBaseSize(380, 460);

} // namespace

FolderBrowserDialog::FolderBrowserDialog(const FolderBrowseSpec& spec,
                                         FolderBrowserCallbacks& callbacks, QWidget* parent)
    : QDialog(parent), m_callbacks(callbacks)
{
    setObjectName(QStringLiteral("FolderBrowser"));
    setWindowTitle(QStringLiteral("Browse for Folder"));
    setModal(true);

    m_title = new QLabel(spec.title, this);
    m_title->setObjectName(QStringLiteral("title"));
    m_title->setWordWrap(true);
    m_title->setTextFormat(Qt::PlainText);

    m_model = new FolderTreeModel(this);
    m_model->setRootFolder(spec.rootPath);
    m_tree = new QTreeView(this);
    m_tree->setObjectName(QStringLiteral("folderTree"));
    m_tree->setHeaderHidden(true);
    m_tree->setUniformRowHeights(true);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree->setModel(m_model);
    m_tree->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_tree->header()->setStretchLastSection(true);
    m_title->setBuddy(m_tree);

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("status"));
    m_status->setTextFormat(Qt::PlainText);
    m_status->setVisible(spec.flags & FolderBrowseFlag::kStatusText);

    m_showHidden = new QCheckBox(QStringLiteral("Show &hidden folders"), this);
    m_showHidden->setObjectName(QStringLiteral("showHidden"));

    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_buttons->setCenterButtons(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_title);
    layout->addWidget(m_tree, 1);
    layout->addWidget(m_status);
    layout->addWidget(m_showHidden);
    layout->addWidget(m_buttons);

    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &FolderBrowserDialog::currentChanged);
    connect(m_showHidden, &QCheckBox::toggled, this, &FolderBrowserDialog::showHiddenToggled);
}

FolderBrowserDialog::~FolderBrowserDialog() = default;

QPushButton* FolderBrowserDialog::okButton() const
{
    return m_buttons->button(QDialogButtonBox::Ok);
}

void FolderBrowserDialog::prepare()
{
    const qreal scale = logicalDpiX() / 96.0;
    resize(QSize(qRound(kBaseSize.width() * scale), qRound(kBaseSize.height() * scale)));
    layout()->activate();
    // The top items open, as a file manager's sidebar shows its places and devices.
    for (int row = 0; row < m_model->rowCount(); ++row)
        m_tree->expand(m_model->index(row, 0));
    centreOnScreen();
    m_tree->setFocus();
}

void FolderBrowserDialog::centreOnScreen()
{
    const QScreen* screen = parentWidget() ? parentWidget()->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // By the whole window, frame included, once the window system has given it one.
    const QSize size = frameGeometry().size();
    const QRect area = screen->geometry();
    move(area.left() + area.width() / 2 - size.width() / 2,
         area.top() + area.height() / 2 - size.height() / 2);
}

void FolderBrowserDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        centreOnScreen();
}

std::optional<QString> FolderBrowserDialog::run()
{
    prepare();
    m_callbacks.browserInitialized(*this);
    // Closed by the callbacks before it was ever shown: there is nothing to show.
    if (m_closedEarly)
        return std::nullopt;
    if (!m_tree->currentIndex().isValid()) {
        const QModelIndex start = m_model->startIndex();
        m_tree->setCurrentIndex(start);
        m_tree->scrollTo(start);
    }
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return m_model->pathOf(m_tree->currentIndex());
}

bool FolderBrowserDialog::selectPath(const QString& path)
{
    const QModelIndex index = m_model->indexForPath(path);
    if (!index.isValid())
        return false;
    for (QModelIndex above = index.parent(); above.isValid(); above = above.parent())
        m_tree->expand(above);
    m_tree->setCurrentIndex(index);
    m_tree->scrollTo(index, QAbstractItemView::PositionAtCenter);
    return true;
}

void FolderBrowserDialog::setStatusText(const QString& text)
{
    m_status->setText(text);
}

void FolderBrowserDialog::enableOk(bool enabled)
{
    okButton()->setEnabled(enabled);
}

void FolderBrowserDialog::closeAsCancelled()
{
    if (!isVisible())
        m_closedEarly = true;
    reject();
}

void FolderBrowserDialog::currentChanged()
{
    const QModelIndex current = m_tree->currentIndex();
    if (!current.isValid())
        return;
    m_callbacks.browserSelectionChanged(*this, m_model->pathOf(current),
                                        current.data(Qt::DisplayRole).toString());
}

void FolderBrowserDialog::showHiddenToggled(bool show)
{
    // The tree is built anew; the selection moves to the same folder, or the nearest one above
    // it that is still shown.
    QString path = m_model->pathOf(m_tree->currentIndex());
    m_model->setShowHidden(show);
    for (int row = 0; row < m_model->rowCount(); ++row)
        m_tree->expand(m_model->index(row, 0));
    while (!path.isEmpty()) {
        if (selectPath(path))
            return;
        const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
        path = slash > 0 ? path.left(slash) : QString();
    }
    const QModelIndex start = m_model->startIndex();
    m_tree->setCurrentIndex(start);
}

} // namespace vantoro
