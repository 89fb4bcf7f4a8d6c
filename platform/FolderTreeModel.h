#pragma once

#include <QAbstractItemModel>
#include <QCollator>
#include <QIcon>
#include <QString>

#include <memory>
#include <vector>

namespace vantoro {

// A tree of folders only, listed one level at a time: a folder's sub-folders are read when the
// view first asks for them (on expanding, or when a path is looked up), never ahead, so a
// folder of ten thousand entries costs one directory read when it is opened and nothing before.
//
// The default tree has two headings without a folder of their own, "Places" (home and the
// desktop's usual folders) and "Devices" (the root folder and the mounted volumes); with a
// root folder set, that folder is the single top item. Symbolic links to folders are followed;
// a folder that is one of its own ancestors (a link or a bind mount back up the tree) is shown
// but has no sub-folders, so the tree never loops. Hidden folders are left out unless asked for.
class FolderTreeModel final : public QAbstractItemModel
{
    Q_OBJECT
public:
    enum Role {
        PathRole = Qt::UserRole + 1, // QString: the folder's path; empty for a heading
        WritableRole,                // bool: the user may create files in the folder
        LoopRole,                    // bool: the folder is one of its own ancestors
    };

    explicit FolderTreeModel(QObject* parent = nullptr);
    ~FolderTreeModel() override;

    // Builds the tree anew: the default tree for an empty or missing `rootPath`.
    void setRootFolder(const QString& rootPath);
    bool showsHidden() const { return m_showHidden; }
    // Builds the tree anew with or without hidden folders.
    void setShowHidden(bool show);

    // The item of the folder at the absolute `path`, listing the levels down to it as needed;
    // invalid when the tree cannot show it (not below a top item, missing, hidden while hidden
    // folders are left out, or below a loop).
    QModelIndex indexForPath(const QString& path);
    // Where a view without a selection starts: the home folder, or the root folder.
    QModelIndex startIndex() const;
    QString pathOf(const QModelIndex& index) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    struct Node;

    Node* nodeOf(const QModelIndex& index) const;
    QModelIndex indexOf(const Node* node) const;
    // Reads the node's sub-folders once; the view is told of the rows added.
    void list(Node* node);
    bool isWritable(const Node* node) const;
    QIcon iconOf(const Node* node) const;

    std::unique_ptr<Node> m_root; // invisible; its children are the top items
    QString m_rootPath;
    bool m_showHidden = false;
    QCollator m_collator;
    QIcon m_folderIcon;
    QIcon m_lockedFolderIcon;
    QIcon m_homeIcon;
    QIcon m_driveIcon;
};

} // namespace vantoro
