#include "clipmanager/TKxFolderDialog.h"

#include "platform/FolderPlaces.h"
#include "platform/Folders.h"
#include "platform/LocaleCode.h"
#include "platform/MessageBoxes.h"
#include "platform/TextInput.h"

#include <QApplication>
#include <QEvent>
#include <QStyle>
#include <QWidget>

namespace vantoro {

namespace {

constexpr int kDefaultNewFolderWidth = 75;
constexpr int kStatusPathLimit = 50;

const QStringList& builtInNewFolderCaptions()
{
    static const QStringList captions{
        QStringLiteral("Default=New folder"), QStringLiteral("0009=New folder"),
        QStringLiteral("0406=Ny mappe"),      QStringLiteral("0407=Neu Mappe"),
        QStringLiteral("0409=New folder"),    QStringLiteral("0413=Nieuwe map"),
    };
    return captions;
}

const QStringList& builtInLabelCaptions()
{
    static const QStringList captions{
        QStringLiteral("Default=Current folder:"), QStringLiteral("0009=Current folder:"),
        QStringLiteral("0406=Valgt mappe:"),       QStringLiteral("0407=Mappe gewählt:"),
        QStringLiteral("0409=Current folder:"),    QStringLiteral("0413=Huidige map"),
    };
    return captions;
}

unsigned browseFlags(TKxFolderDialog::TBrowseInfoFlagSet flags)
{
    unsigned result = 0;
    if (flags & TKxFolderDialog::OnlyComputers)
        result |= FolderBrowseFlag::kBrowseForComputer;
    if (flags & TKxFolderDialog::OnlyPrinters)
        result |= FolderBrowseFlag::kBrowseForPrinter;
    if (flags & TKxFolderDialog::OnlyDomains)
        result |= FolderBrowseFlag::kDontGoBelowDomain;
    if (flags & TKxFolderDialog::OnlyAncestors)
        result |= FolderBrowseFlag::kReturnFsAncestors;
    if (flags & TKxFolderDialog::OnlyFileSystem)
        result |= FolderBrowseFlag::kReturnOnlyFsDirs;
    if (flags & TKxFolderDialog::ShowPath)
        result |= FolderBrowseFlag::kStatusText;
    return result;
}

// Why `name` cannot name a new folder inside another folder; empty when it can. A name with
// '/' names nested folders, each of which may be new; each part must be a name of its own.
QString newFolderNameProblem(const QString& name)
{
    if (name.contains(QChar(u'\0')))
        return QStringLiteral("A folder name cannot contain a NUL character.");
    const QStringList parts = name.split(QLatin1Char('/'));
    for (const QString& part : parts) {
        if (part.isEmpty())
            return QStringLiteral("\"%1\" holds an empty folder name.\rType folder names "
                                  "separated by a single \"/\", to be made inside the selected "
                                  "folder.")
                .arg(name);
        if (part == QLatin1String(".") || part == QLatin1String(".."))
            return QStringLiteral("\"%1\" cannot be the name of a new folder.").arg(part);
    }
    return {};
}

} // namespace

TKxFolderDialog::TKxFolderDialog(const Services& services, QObject* owner)
    : QObject(owner), m_services(services), m_localeCode(processLocaleCode()),
      m_newFolderCaptions(builtInNewFolderCaptions()), m_labelCaptions(builtInLabelCaptions())
{
    m_newFolderCaption = pickCaption(m_newFolderCaptions, m_localeCode);
    m_labelCaption = pickCaption(m_labelCaptions, m_localeCode);
}

TKxFolderDialog::~TKxFolderDialog() = default;

void TKxFolderDialog::setLocaleCode(const QString& code)
{
    m_localeCode = code;
    m_newFolderCaption = pickCaption(m_newFolderCaptions, m_localeCode);
    m_labelCaption = pickCaption(m_labelCaptions, m_localeCode);
}

void TKxFolderDialog::setLabelCaptions(const QStringList& captions)
{
    if (captions.join(QLatin1Char('\n')) == m_labelCaptions.join(QLatin1Char('\n')))
        return;
    m_labelCaptions = captions;
    m_labelCaption = pickCaption(m_labelCaptions, m_localeCode);
}

void TKxFolderDialog::setNewFolderCaptions(const QStringList& captions)
{
    if (captions.join(QLatin1Char('\n')) == m_newFolderCaptions.join(QLatin1Char('\n')))
        return;
    m_newFolderCaptions = captions;
    m_newFolderCaption = pickCaption(m_newFolderCaptions, m_localeCode);
}

void TKxFolderDialog::setNewFolderVisible(bool visible)
{
    m_newFolderVisible = visible;
    // An open dialog follows at once.
    if (m_newFolderButton)
        m_newFolderButton->setVisible(visible);
}

void TKxFolderDialog::setNewFolderEnabled(bool enabled)
{
    m_newFolderEnabled = enabled;
    updateNewFolderButton();
}

void TKxFolderDialog::setNewFolderWidth(int width)
{
    m_newFolderWidth = width > 0 ? width : kDefaultNewFolderWidth;
    placeNewFolderButton();
}

QString TKxFolderDialog::pickCaption(const QStringList& captions, const QString& localeCode)
{
    if (captions.isEmpty())
        return {};
    auto codeOf = [](const QString& entry) { return entry.section(QLatin1Char('='), 0, 0); };
    auto textOf = [](const QString& entry) {
        const qsizetype equals = entry.indexOf(QLatin1Char('='));
        return equals < 0 ? QString() : entry.mid(equals + 1);
    };
    if (!localeCode.isEmpty()) {
        for (const QString& entry : captions) {
            if (codeOf(entry).compare(localeCode, Qt::CaseInsensitive) == 0)
                return textOf(entry);
        }
    }
    for (const QString& entry : captions) {
        if (codeOf(entry).compare(QLatin1String("Default"), Qt::CaseInsensitive) == 0)
            return textOf(entry);
    }
    return textOf(captions.first());
}

QString TKxFolderDialog::CompactPath(const QString& path, int limit)
{
    const QChar slash(u'/');
    if (path.size() <= limit || limit < 6 || !path.contains(slash))
        return path.left(qMax(limit, 0));
    if (path.mid(2).count(slash) < 2)
        return path.left(limit);

    // The first folder stays: "//server/...", "/home/...", "name/...".
    QString prefix;
    QString rest = path;
    if (rest.startsWith(QLatin1String("//"))) {
        prefix = QStringLiteral("//");
        rest.remove(0, 2);
    } else if (rest.startsWith(slash)) {
        prefix = slash;
        rest.remove(0, 1);
    }
    qsizetype p = rest.indexOf(slash);
    prefix += rest.left(p + 1) + QLatin1String("...");
    // Drop leading folders until what is left fits behind the prefix.
    do {
        rest.remove(0, p + 1);
        p = rest.indexOf(slash);
    } while (prefix.size() + rest.size() + 1 > limit && p >= 0);

    const QString compact = prefix + slash + rest;
    if (compact.size() <= limit)
        return compact;
    return compact.left(limit - 3) + QLatin1String("...");
}

QRect TKxFolderDialog::newFolderButtonGeometry(int width, int ppi, int clientHeight,
                                               int captionHeight)
{
    const int h = clientHeight;
    switch (ppi) {
    case 72:
    case 96:
        return {12, h - 36, width, 23};
    case 120:
        return {15, h - 45, width * 5 / 4, 28};
    case 144:
        return {17, h - 56, width * 3 / 2, 35};
    case 192:
        return {20, h - 66, width * 2, 41};
    default:
        return {ppi * 12 / 96, h - captionHeight - 17, width * ppi / 96, ppi * 23 / 96};
    }
}

QSize TKxFolderDialog::newFolderButtonSize(int width, int ppi)
{
    return newFolderButtonGeometry(width, ppi, 0, 0).size();
}

int TKxFolderDialog::specialFolderId(TSHFolders root)
{
    switch (root) {
    case TSHFolders::foDesktop:
        return 0;
    case TSHFolders::foDesktopExpanded:
        return -1;
    case TSHFolders::foPrograms:
        return 2;
    case TSHFolders::foControlPanel:
        return 3;
    case TSHFolders::foPrinters:
        return 4;
    case TSHFolders::foPersonal:
        return 5;
    case TSHFolders::foFavorites:
        return 6;
    case TSHFolders::foStartup:
        return 7;
    case TSHFolders::foRecent:
        return 8;
    case TSHFolders::foSendto:
        return 9;
    case TSHFolders::foRecycleBin:
        return 10;
    case TSHFolders::foStartMenu:
        return 11;
    case TSHFolders::foDesktopFolder:
        return 16;
    case TSHFolders::foMyComputer:
        return 17;
    case TSHFolders::foNetwork:
        return 18;
    case TSHFolders::foNetworkNeighborhood:
        return 19;
    case TSHFolders::foFonts:
        return 20;
    case TSHFolders::foTemplates:
        return 21;
    }
    return -1;
}

bool TKxFolderDialog::Execute()
{
    m_selectedPath = m_folder;
    if (!m_services.folderBrowser)
        return false;

    FolderBrowseSpec spec;
    spec.title = m_labelCaption;
    spec.flags = browseFlags(m_flags);
    // A special folder that has no counterpart here leaves the default tree, as a root the
    // shell cannot find does.
    const int csidl = specialFolderId(m_rootFolder);
    if (csidl >= 0)
        spec.rootPath = specialFolderPath(csidl);

    std::optional<QString> chosen;
    // The new-folder button closes the browser to open it again on the new folder.
    do {
        m_restartBrowse = false;
        m_folder = m_selectedPath;
        chosen = m_services.folderBrowser->browse(spec, *this);
    } while (m_restartBrowse);

    if (!chosen)
        return false;
    m_folder = *chosen;
    m_selectedPath = m_folder;
    return true;
}

void TKxFolderDialog::browserInitialized(FolderBrowserWindow& window)
{
    QWidget* dialog = window.widget();
    if (m_dialogHandle)
        m_dialogHandle->removeEventFilter(this);
    m_dialogHandle = dialog;

    auto* button = new QPushButton(m_newFolderCaption, dialog);
    button->setObjectName(QStringLiteral("NewFolderButton"));
    button->setFont(QApplication::font());
    button->setFocusPolicy(Qt::StrongFocus);
    // Return presses it while it has the focus, OK anywhere else.
    button->setAutoDefault(true);
    m_newFolderButton = button;
    placeNewFolderButton();
    dialog->installEventFilter(this);
    QObject::connect(button, &QPushButton::clicked, this,
                     [this, &window] { newFolderClicked(window); });
    updateNewFolderButton();
    button->setVisible(m_newFolderVisible);

    if (folderExists(m_folder))
        window.selectPath(m_folder);
    Q_EMIT OnInitialized(this, dialog);
}

void TKxFolderDialog::browserSelectionChanged(FolderBrowserWindow& window, const QString& path,
                                              const QString& displayName)
{
    m_selectedPath = path;
    if (m_flags & ShowPath) {
        QString status = CompactPath(m_selectedPath, kStatusPathLimit);
        // An item without a folder of its own (a heading) is named instead.
        if (status.isEmpty())
            status = displayName;
        window.setStatusText(status);
    }
    m_selectionIsFolder = !m_selectedPath.isEmpty();
    window.enableOk(!(m_flags & OnlyFileSystem) || m_selectionIsFolder);
    updateNewFolderButton();
    Q_EMIT OnSelectionChanged(this, window.widget(), path, m_selectedPath);
}

std::optional<QString> TKxFolderDialog::askNewFolderName()
{
    for (;;) {
        const std::optional<QString> answer =
            m_services.textInput->askText(m_newFolderCaption, QString(), QString());
        if (!answer)
            return std::nullopt;
        const QString name = answer->trimmed();
        if (name.isEmpty())
            return std::nullopt; // nothing typed: nothing more to do
        const QString problem = newFolderNameProblem(name);
        if (problem.isEmpty())
            return name;
        if (m_services.messages)
            m_services.messages->error(problem);
    }
}

void TKxFolderDialog::newFolderClicked(FolderBrowserWindow& window)
{
    // The button is disabled on an item without a folder; a click that gets through anyway
    // has nowhere to make the folder.
    if (m_selectedPath.isEmpty() || !m_services.textInput)
        return;
    const std::optional<QString> name = askNewFolderName();
    if (!name)
        return;

    QString path = m_selectedPath;
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    path += *name;
    // Nested names make each folder in turn; those already there are kept.
    int error = 0;
    for (qsizetype slash = path.indexOf(QLatin1Char('/'), path.size() - name->size());
         error == 0 && slash >= 0; slash = path.indexOf(QLatin1Char('/'), slash + 1))
        error = makeFolder(path.left(slash));
    if (error == 0)
        error = makeFolder(path);
    if (error != 0) {
        // Reopened on the folder that was selected, so the user can try another name.
        if (m_services.messages)
            m_services.messages->error(QStringLiteral("The folder \"%1\" could not be made:\r%2")
                                           .arg(path, systemErrorText(error)));
    } else {
        m_selectedPath = path;
    }
    m_restartBrowse = true;
    window.closeAsCancelled();
}

void TKxFolderDialog::placeNewFolderButton()
{
    if (!m_newFolderButton || !m_dialogHandle)
        return;
    QWidget* dialog = m_dialogHandle;
    const int captionHeight = dialog->style()->pixelMetric(QStyle::PM_TitleBarHeight);
    m_newFolderButton->setGeometry(newFolderButtonGeometry(m_newFolderWidth, dialog->logicalDpiX(),
                                                           dialog->height(), captionHeight));
}

void TKxFolderDialog::updateNewFolderButton()
{
    if (m_newFolderButton)
        m_newFolderButton->setEnabled(m_selectionIsFolder && m_newFolderEnabled);
}

bool TKxFolderDialog::eventFilter(QObject* watched, QEvent* event)
{
    // The button keeps to the bottom left when the dialog is resized.
    if (watched == m_dialogHandle && event->type() == QEvent::Resize)
        placeNewFolderButton();
    return QObject::eventFilter(watched, event);
}

} // namespace vantoro
