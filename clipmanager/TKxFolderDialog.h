#pragma once

#include "platform/FolderBrowser.h"
#include "platform/Services.h"

#include <QObject>
#include <QPointer>
#include <QPushButton>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

namespace vantoro {

// Asks for a folder with the platform's folder browser, centred on the screen, with a
// "New folder" button at its bottom left and the label and button texts taken from caption
// lists keyed by the user's locale ("0407=Neu Mappe").
class TKxFolderDialog : public QObject, private FolderBrowserCallbacks
{
    Q_OBJECT
public:
    enum TBrowseInfoFlag {
        OnlyComputers = 0x01,
        OnlyPrinters = 0x02,
        OnlyDomains = 0x04,
        OnlyAncestors = 0x08,
        OnlyFileSystem = 0x10,
        ShowPath = 0x20,
    };
    Q_DECLARE_FLAGS(TBrowseInfoFlagSet, TBrowseInfoFlag)

    enum class TSHFolders {
        foDesktop,
        foDesktopExpanded,
        foPrograms,
        foControlPanel,
        foPrinters,
        foPersonal,
        foFavorites,
        foStartup,
        foRecent,
        foSendto,
        foRecycleBin,
        foStartMenu,
        foDesktopFolder,
        foMyComputer,
        foNetwork,
        foNetworkNeighborhood,
        foFonts,
        foTemplates,
    };

    // Uses the services' folderBrowser, textInput and messages. The locale code is read from
    // the process locale.
    explicit TKxFolderDialog(const Services& services, QObject* owner = nullptr);
    ~TKxFolderDialog() override;

    // Shows the browser modally; true when a folder was chosen with OK, then Folder() holds it.
    bool Execute();

    QString Folder() const { return m_folder; }
    void setFolder(const QString& folder) { m_folder = folder; }
    TBrowseInfoFlagSet Flags() const { return m_flags; }
    void setFlags(TBrowseInfoFlagSet flags) { m_flags = flags; }
    TSHFolders RootFolder() const { return m_rootFolder; }
    void setRootFolder(TSHFolders root) { m_rootFolder = root; }
    bool NewFolderVisible() const { return m_newFolderVisible; }
    void setNewFolderVisible(bool visible);
    bool NewFolderEnabled() const { return m_newFolderEnabled; }
    void setNewFolderEnabled(bool enabled);
    int NewFolderWidth() const { return m_newFolderWidth; }
    void setNewFolderWidth(int width);
    QStringList LabelCaptions() const { return m_labelCaptions; }
    void setLabelCaptions(const QStringList& captions);
    QStringList NewFolderCaptions() const { return m_newFolderCaptions; }
    void setNewFolderCaptions(const QStringList& captions);
    QString Version() const { return QStringLiteral("1.30.00.00"); }
    void setVersion(const QString&) {}

    QString LabelCaption() const { return m_labelCaption; }
    QString NewFolderCaption() const { return m_newFolderCaption; }
    QString SelectedPath() const { return m_selectedPath; }
    bool SelectionIsFolder() const { return m_selectionIsFolder; }
    bool RestartBrowse() const { return m_restartBrowse; }
    QString LocaleCode() const { return m_localeCode; }
    // Replaces the locale code read at construction and picks both captions again.
    void setLocaleCode(const QString& code);
    // The open dialog's window (the last one after it closed); null before the first showing.
    QWidget* DialogHandle() const { return m_dialogHandle; }
    QPushButton* NewFolderButton() const { return m_newFolderButton; }

    // Shortens a path for the status line: "/home/.../My Videos/Holiday 2002".
    static QString CompactPath(const QString& path, int limit);
    // The caption for `localeCode` from a list of "code=text" entries.
    static QString pickCaption(const QStringList& captions, const QString& localeCode);
    // Width and height of the new-folder button at `ppi` logical pixels per inch.
    static QSize newFolderButtonSize(int width, int ppi);
    // Where the new-folder button sits in a dialog whose client area is `clientHeight` high;
    // `captionHeight` (a window caption's height) places it at unusual densities.
    static QRect newFolderButtonGeometry(int width, int ppi, int clientHeight, int captionHeight);
    // The special-folder number (CSIDL) a root stands for; -1 for the default tree.
    static int specialFolderId(TSHFolders root);

Q_SIGNALS:
    void OnInitialized(TKxFolderDialog* sender, QWidget* dialogHandle);
    void OnSelectionChanged(TKxFolderDialog* sender, QWidget* dialogHandle, const QString& itemPath,
                            const QString& folder);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void browserInitialized(FolderBrowserWindow& window) override;
    void browserSelectionChanged(FolderBrowserWindow& window, const QString& path,
                                 const QString& displayName) override;
    void newFolderClicked(FolderBrowserWindow& window);
    // Asks for the new folder's name until it is one that can be made inside the selected
    // folder ("a/b" names nested folders); nullopt when the user cancels or answers nothing.
    std::optional<QString> askNewFolderName();
    void placeNewFolderButton();
    void updateNewFolderButton();

    Services m_services;
    QPointer<QWidget> m_dialogHandle;
    QPointer<QPushButton> m_newFolderButton;
    QString m_labelCaption;
    QString m_folder;
    QString m_selectedPath;
    TBrowseInfoFlagSet m_flags = ShowPath;
    TSHFolders m_rootFolder = TSHFolders::foDesktopExpanded;
    bool m_newFolderVisible = true;
    bool m_newFolderEnabled = true;
    QString m_newFolderCaption;
    int m_newFolderWidth = 75;
    bool m_restartBrowse = false;
    bool m_selectionIsFolder = true;
    QString m_localeCode;
    QStringList m_newFolderCaptions;
    QStringList m_labelCaptions;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TKxFolderDialog::TBrowseInfoFlagSet)

} // namespace vantoro
