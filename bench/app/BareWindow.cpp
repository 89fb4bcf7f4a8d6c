// The start-up benchmark's baseline: a bare Qt Widgets window with five push buttons, of the size
// given, built from Qt alone (none of the program's libraries), shown until it is ended.
//   vantoro_bare_window WIDTH HEIGHT
#include <QApplication>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstdlib>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    for (const char* caption : {"New", "Load", "Edit", "Delete", "Close"})
        layout->addWidget(new QPushButton(QString::fromLatin1(caption)));
    if (argc > 2)
        window.resize(std::atoi(argv[1]), std::atoi(argv[2]));
    window.show();
    return QApplication::exec();
}
