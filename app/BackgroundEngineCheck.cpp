#include "app/BackgroundEngineCheck.h"

#include "platform/MpvLibrary.h"
#include "platform/MpvMediaPlayerCheck.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>

namespace vantoro {

BackgroundEngineCheck::BackgroundEngineCheck(QObject* parent) : QObject(parent) {}

void BackgroundEngineCheck::start()
{
    if (m_answer.valid() || m_taken)
        return;
    QPointer<BackgroundEngineCheck> self(this);
    m_answer = std::async(std::launch::async, [self] {
        const bool installed = MpvMediaPlayerCheck(MpvLibrary::shared()).mediaPlayerInstalled();
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self] {
                if (self)
                    Q_EMIT self->known();
            },
            Qt::QueuedConnection);
        return installed;
    });
}

BackgroundEngineCheck::~BackgroundEngineCheck()
{
    if (m_answer.valid())
        m_answer.wait();
}

bool BackgroundEngineCheck::isKnown() const
{
    return m_taken || (m_answer.valid() &&
                       m_answer.wait_for(std::chrono::seconds(0)) == std::future_status::ready);
}

bool BackgroundEngineCheck::mediaPlayerInstalled()
{
    if (!m_taken) {
        start();
        m_installed = m_answer.get();
        m_taken = true;
    }
    return m_installed;
}

} // namespace vantoro
