#pragma once

#include <QOpenGLWidget>

#include <atomic>

struct mpv_render_context;

namespace vantoro {

class MpvSession;

// The video picture: mpv's OpenGL render API drawing into a QOpenGLWidget. Create it only
// when isSupported() answers true (Qt 6.4 crashes showing a QOpenGLWidget on the offscreen
// platform); the session must have been created with renderedVideo and must outlive the
// surface. The render context is made in initializeGL, i.e. when the widget is first shown.
class MpvVideoSurface : public QOpenGLWidget
{
    Q_OBJECT
public:
    // True on a real display platform (xcb, wayland) with a working OpenGL context.
    static bool isSupported();

    explicit MpvVideoSurface(MpvSession& session, QWidget* parent = nullptr);
    ~MpvVideoSurface() override;

    // Whether mpv's render context exists (after the first show).
    bool isRendering() const { return m_render != nullptr; }

protected:
    void initializeGL() override;
    void paintGL() override;

private:
    static void onRenderUpdate(void* context);
    void freeRenderContext();

    MpvSession& m_session;
    mpv_render_context* m_render = nullptr;
    QMetaObject::Connection m_contextGone;
    std::atomic<bool> m_updateQueued{false};
};

} // namespace vantoro
