#include "platform/QtProgressWindows.h"

#include "platform/DialogOwner.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLocale>
#include <QPointer>
#include <QProgressDialog>

namespace vantoro {

namespace {

// Events are handled at most this often: enough for a live window, little for the operation.
constexpr qint64 kEventIntervalMs = 40;
// The bar counts in thousandths: a QProgressDialog's range is an int, sizes are not.
constexpr int kBarSteps = 1000;

class QtProgressWindow final : public ProgressWindow
{
public:
    explicit QtProgressWindow(const QString& text)
        : m_dialog(new QProgressDialog(text, QStringLiteral("Cancel"), 0, kBarSteps, dialogOwner()))
    {
        m_dialog->setWindowTitle(QApplication::applicationDisplayName());
        m_dialog->setWindowModality(Qt::ApplicationModal);
        m_dialog->setAutoClose(false);
        m_dialog->setAutoReset(false);
        m_dialog->setMinimumDuration(0);
        m_text = text;
        m_dialog->show();
        QApplication::processEvents();
        m_sinceEvents.start();
    }
    ~QtProgressWindow() override { delete m_dialog.data(); }

    void setProgress(qint64 done, qint64 total) override
    {
        if (m_dialog.isNull() || (m_sinceEvents.elapsed() < kEventIntervalMs && done < total))
            return;
        m_dialog->setLabelText(m_text + QLatin1Char('\n') +
                               QtProgressWindows::amountText(done, total));
        m_dialog->setValue(total > 0 ? int(std::min(done, total) * kBarSteps / total) : 0);
        QApplication::processEvents();
        m_sinceEvents.restart();
    }
    bool cancelled() const override { return m_dialog.isNull() || m_dialog->wasCanceled(); }

private:
    QPointer<QProgressDialog> m_dialog;
    QString m_text;
    QElapsedTimer m_sinceEvents;
};

} // namespace

QString QtProgressWindows::amountText(qint64 done, qint64 total)
{
    const QLocale locale;
    const auto mb = [&](qint64 bytes) {
        return locale.toString(double(bytes) / (1024.0 * 1024.0), 'f', 1);
    };
    return QStringLiteral("%1 MB of %2 MB").arg(mb(done), mb(total));
}

std::unique_ptr<ProgressWindow> QtProgressWindows::open(const QString& text)
{
    return std::make_unique<QtProgressWindow>(text);
}

} // namespace vantoro
