// Stands in for a file manager in the drag-and-drop test: a window that, when pressed, drags the
// URIs named on its command line (as text/uri-list) offering a copy or a move. It prints on
// stdout "dragging" as the drag starts, then how it ended: "copy", "move", "link" or "ignored".
//   drag_source URI...

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QWidget>

#include <cstdio>

namespace {

class DragSource final : public QWidget
{
public:
    explicit DragSource(QByteArray uriList) : m_uriList(std::move(uriList))
    {
        setWindowTitle(QStringLiteral("Drag source"));
    }

protected:
    void mousePressEvent(QMouseEvent*) override
    {
        auto* mime = new QMimeData;
        mime->setData(QStringLiteral("text/uri-list"), m_uriList);
        auto* drag = new QDrag(this);
        drag->setMimeData(mime);
        std::printf("dragging\n");
        std::fflush(stdout);
        const Qt::DropAction action = drag->exec(Qt::CopyAction | Qt::MoveAction);
        const char* name = action == Qt::CopyAction   ? "copy"
                           : action == Qt::MoveAction ? "move"
                           : action == Qt::LinkAction ? "link"
                                                      : "ignored";
        std::printf("%s\n", name);
        std::fflush(stdout);
    }

private:
    QByteArray m_uriList;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QByteArray uriList;
    for (int i = 1; i < argc; ++i)
        uriList += QByteArray(argv[i]) + "\r\n";
    DragSource window(uriList);
    window.setGeometry(0, 0, 200, 200);
    window.show();
    return QApplication::exec();
}
