#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

#include <atomic>

struct mpv_render_context;

namespace vantoro {

class MpvSession;

// The video picture where the display offers no usable OpenGL: mpv's software renderer draws
// each frame into an image on the GUI thread, which the widget paints. Slower than
// MpvVideoSurface, but the picture is seen. The session must have been created with
// renderedVideo and must outlive the surface.
class MpvSoftwareSurface : public QWidget
{
    Q_OBJECT
public:
    // True on a real display platform (xcb, wayland): elsewhere there is no screen to draw on.
    static bool isSupported();

    explicit MpvSoftwareSurface(MpvSession& session, QWidget* parent = nullptr);
    ~MpvSoftwareSurface() override;

    // Whether mpv's render context exists; when it does not, error() says why.
    bool isRendering() const { return m_render != nullptr; }
    const QString& error() const { return m_error; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    static void onRenderUpdate(void* context);
    void renderFrame();

    MpvSession& m_session;
    mpv_render_context* m_render = nullptr;
    QString m_error;
    QImage m_frame;
    std::atomic<bool> m_updateQueued{false};
};

} // namespace vantoro
