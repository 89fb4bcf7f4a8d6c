#include "player/MpvSoftwareSurface.h"

#include "player/MpvSession.h"

#include <QGuiApplication>
#include <QMetaObject>
#include <QPainter>

#include <mpv/render.h>

namespace vantoro {

namespace {

// QImage::Format_RGB32 holds blue, green, red and an unused byte, in this order in memory.
constexpr const char* kFrameFormat = "bgr0";

} // namespace

bool MpvSoftwareSurface::isSupported()
{
    const QString platform = QGuiApplication::platformName();
    return platform == u"xcb" || platform == u"wayland";
}

MpvSoftwareSurface::MpvSoftwareSurface(MpvSession& session, QWidget* parent)
    : QWidget(parent), m_session(session)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // No advanced control, as with the OpenGL surface: mpv's decoder must never wait for this
    // thread.
    int advancedControl = 0;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_SW)},
        {MPV_RENDER_PARAM_ADVANCED_CONTROL, &advancedControl},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    const int status = m_session.api().render_context_create(&m_render, m_session.handle(), params);
    if (status < 0) {
        m_render = nullptr;
        m_error = QString::fromUtf8(m_session.api().error_string(status));
        return;
    }
    m_session.api().render_context_set_update_callback(m_render,
                                                       &MpvSoftwareSurface::onRenderUpdate, this);
}

MpvSoftwareSurface::~MpvSoftwareSurface()
{
    if (m_render == nullptr)
        return;
    m_session.api().render_context_set_update_callback(m_render, nullptr, nullptr);
    m_session.api().render_context_free(m_render);
    m_render = nullptr;
}

// Runs on mpv's threads: it only asks the GUI thread to draw.
void MpvSoftwareSurface::onRenderUpdate(void* context)
{
    auto* self = static_cast<MpvSoftwareSurface*>(context);
    if (self->m_updateQueued.exchange(true))
        return;
    QMetaObject::invokeMethod(
        self,
        [self] {
            self->m_updateQueued.store(false);
            if (self->m_render == nullptr)
                return;
            // Drawn even without a new frame, for the reason MpvVideoSurface gives.
            self->m_session.api().render_context_update(self->m_render);
            self->renderFrame();
            self->update();
        },
        Qt::QueuedConnection);
}

void MpvSoftwareSurface::renderFrame()
{
    const qreal ratio = devicePixelRatioF();
    const QSize size(qMax(1, qRound(width() * ratio)), qMax(1, qRound(height() * ratio)));
    if (m_frame.size() != size) {
        m_frame = QImage(size, QImage::Format_RGB32);
        m_frame.fill(Qt::black);
    }
    int frameSize[2] = {size.width(), size.height()};
    size_t stride = static_cast<size_t>(m_frame.bytesPerLine());
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_SW_SIZE, frameSize},
        {MPV_RENDER_PARAM_SW_FORMAT, const_cast<char*>(kFrameFormat)},
        {MPV_RENDER_PARAM_SW_STRIDE, &stride},
        {MPV_RENDER_PARAM_SW_POINTER, m_frame.bits()},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    m_session.api().render_context_render(m_render, params);
    m_frame.setDevicePixelRatio(ratio);
}

void MpvSoftwareSurface::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    const QSize wanted(qRound(width() * devicePixelRatioF()),
                       qRound(height() * devicePixelRatioF()));
    if (m_render != nullptr && m_frame.size() != wanted)
        renderFrame(); // a new size: mpv draws again at once
    if (m_frame.isNull())
        painter.fillRect(rect(), Qt::black);
    else
        painter.drawImage(rect(), m_frame);
}

} // namespace vantoro
