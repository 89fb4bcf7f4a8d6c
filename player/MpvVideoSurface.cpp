#include "player/MpvVideoSurface.h"

#include "player/MpvSession.h"

#include <QGuiApplication>
#include <QMetaObject>
#include <QOffscreenSurface>
#include <QOpenGLContext>

#include <mpv/render_gl.h>

namespace vantoro {

namespace {

void* procAddress(void* /*context*/, const char* name)
{
    QOpenGLContext* current = QOpenGLContext::currentContext();
    return current != nullptr ? reinterpret_cast<void*>(current->getProcAddress(name)) : nullptr;
}

} // namespace

bool MpvVideoSurface::isSupported()
{
    const QString platform = QGuiApplication::platformName();
    if (platform != u"xcb" && platform != u"wayland")
        return false;
    QOpenGLContext context;
    if (!context.create())
        return false;
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!surface.isValid() || !context.makeCurrent(&surface))
        return false;
    context.doneCurrent();
    return true;
}

MpvVideoSurface::MpvVideoSurface(MpvSession& session, QWidget* parent)
    : QOpenGLWidget(parent), m_session(session)
{
    setFocusPolicy(Qt::NoFocus);
}

MpvVideoSurface::~MpvVideoSurface()
{
    disconnect(m_contextGone);
    makeCurrent();
    freeRenderContext();
    doneCurrent();
}

void MpvVideoSurface::freeRenderContext()
{
    if (m_render == nullptr)
        return;
    m_session.api().render_context_set_update_callback(m_render, nullptr, nullptr);
    m_session.api().render_context_free(m_render);
    m_render = nullptr;
}

void MpvVideoSurface::initializeGL()
{
    // The GL context can be replaced (re-parenting); mpv's context must go with the old one,
    // and a new one is made for the new context.
    if (m_render != nullptr)
        return;
    disconnect(m_contextGone);
    m_contextGone = connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, [this] {
        if (m_render == nullptr)
            return;
        makeCurrent();
        freeRenderContext();
        doneCurrent();
    });
    mpv_opengl_init_params glInit{&procAddress, nullptr};
    // No advanced control: with it mpv's decoder may wait for this (the GUI) thread to hand
    // out frame buffers, and then any synchronous mpv call made here, such as queueing the
    // next entry while a picture decodes, waits for ever.
    int advancedControl = 0;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_OPENGL)},
        {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &glInit},
        {MPV_RENDER_PARAM_ADVANCED_CONTROL, &advancedControl},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    if (m_session.api().render_context_create(&m_render, m_session.handle(), params) < 0) {
        m_render = nullptr;
        return;
    }
    m_session.api().render_context_set_update_callback(m_render, &MpvVideoSurface::onRenderUpdate,
                                                       this);
}

// Runs on mpv's threads: it only asks the GUI thread to repaint.
void MpvVideoSurface::onRenderUpdate(void* context)
{
    auto* self = static_cast<MpvVideoSurface*>(context);
    if (self->m_updateQueued.exchange(true))
        return;
    QMetaObject::invokeMethod(
        self,
        [self] {
            self->m_updateQueued.store(false);
            if (self->m_render == nullptr)
                return;
            // Repainted even when mpv reports no new frame: mpv waits only a moment for a
            // frame to be rendered and then makes it its current one without a word, so when
            // this thread comes late (mpv's core held it up), only a render shows it.
            self->m_session.api().render_context_update(self->m_render);
            self->update();
        },
        Qt::QueuedConnection);
}

void MpvVideoSurface::paintGL()
{
    if (m_render == nullptr)
        return;
    const qreal ratio = devicePixelRatioF();
    mpv_opengl_fbo fbo{static_cast<int>(defaultFramebufferObject()),
                       static_cast<int>(width() * ratio), static_cast<int>(height() * ratio), 0};
    int flipY = 1;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
        {MPV_RENDER_PARAM_FLIP_Y, &flipY},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    m_session.api().render_context_render(m_render, params);
}

} // namespace vantoro
