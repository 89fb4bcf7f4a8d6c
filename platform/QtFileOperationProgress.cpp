#include "platform/QtFileOperationProgress.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace vantoro {

namespace {

constexpr int kMaxTextWidth = 640;

} // namespace

QtFileOperationProgress::QtFileOperationProgress(QWidget* parent) : m_parent(parent) {}

QtFileOperationProgress::~QtFileOperationProgress()
{
    delete m_window.data();
}

QString QtFileOperationProgress::sizeText(qint64 bytes)
{
    return QLocale::c().formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

void QtFileOperationProgress::buildWindow()
{
    m_window = new QDialog(m_parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    m_window->setWindowModality(Qt::ApplicationModal);
    m_window->setMinimumWidth(440);
    auto* layout = new QVBoxLayout(m_window);
    m_action = new QLabel(m_window);
    m_item = new QLabel(m_window);
    m_item->setTextFormat(Qt::PlainText);
    m_item->setTextInteractionFlags(Qt::NoTextInteraction);
    m_bar = new QProgressBar(m_window);
    m_bar->setRange(0, 1000);
    m_bar->setTextVisible(false);
    m_amount = new QLabel(m_window);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), m_window);
    layout->addWidget(m_action);
    layout->addWidget(m_item);
    layout->addWidget(m_bar);
    auto* row = new QHBoxLayout;
    row->addWidget(m_amount, 1);
    row->addWidget(m_cancel);
    layout->addLayout(row);
    QObject::connect(m_cancel, &QPushButton::clicked, m_window, [this] {
        m_cancelRequested = true;
        m_cancel->setEnabled(false);
        m_action->setText(QStringLiteral("Cancelling..."));
    });
}

void QtFileOperationProgress::begin(const QString& title, FileOperationCode operation)
{
    if (!m_window)
        buildWindow();
    m_operation = operation;
    m_cancelRequested = false;
    m_questionOpen = false;
    m_destination.clear();
    m_cancel->setEnabled(true);
    m_window->setWindowTitle(title);
    m_action->setText(fileOperationVerb(operation));
    m_item->clear();
    m_amount->clear();
    m_bar->setValue(0);
    m_clock.start();
}

void QtFileOperationProgress::update(const QString& currentPath, qint64 bytesDone,
                                     qint64 bytesTotal, int itemsDone, int itemCount)
{
    if (!m_window)
        return;
    // Nothing is said about a file before the first one has started.
    if (!m_cancelRequested && !currentPath.isEmpty()) {
        const int slash = currentPath.lastIndexOf(QLatin1Char('/'));
        const QString name = slash < 0 ? currentPath : currentPath.mid(slash + 1);
        const QString folder = slash <= 0 ? QStringLiteral("/") : currentPath.left(slash);
        QString where = QStringLiteral("from ") + folder;
        if (!m_destination.isEmpty())
            where += QStringLiteral(" to ") + m_destination;
        // Long paths are shortened in the middle, so the window never outgrows the screen.
        const auto fit = [](QLabel* label, const QString& text) {
            label->setText(label->fontMetrics().elidedText(text, Qt::ElideMiddle, kMaxTextWidth));
            label->setToolTip(text);
        };
        fit(m_action, fileOperationVerb(m_operation) + QLatin1Char(' ') + name);
        fit(m_item, where);
    }
    if (bytesTotal > 0) {
        m_bar->setValue(int(qMin<qint64>(1000, bytesDone * 1000 / bytesTotal)));
        m_amount->setText(sizeText(bytesDone) + QStringLiteral(" of ") + sizeText(bytesTotal));
    } else if (itemCount > 0) {
        m_bar->setValue(qMin(1000, itemsDone * 1000 / itemCount));
        m_amount->setText(QStringLiteral("%1 of %2 items").arg(itemsDone).arg(itemCount));
    }
    if (!m_window->isVisible() && !m_questionOpen && m_clock.elapsed() >= kShowDelayMs)
        m_window->show();
}

void QtFileOperationProgress::setDestination(const QString& folder)
{
    m_destination = folder;
}

void QtFileOperationProgress::setQuestionOpen(bool open)
{
    m_questionOpen = open;
    // The time a person spent on the question does not count towards the delay.
    if (!open)
        m_clock.start();
}

void QtFileOperationProgress::end()
{
    if (m_window)
        m_window->hide();
}

} // namespace vantoro
