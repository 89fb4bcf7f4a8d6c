#pragma once

#include "fileops/FileOperationQuestions.h"

#include <QMessageBox>
#include <QPointer>
#include <QWidget>

namespace vantoro {

// The engine's questions as message boxes, over the window that is modal at the time (the
// progress window while it shows, so the question is its child, on top of it and takes the
// mouse), else over `parent`.
class QtFileOperationQuestions final : public FileOperationQuestions
{
public:
    explicit QtFileOperationQuestions(QWidget* parent = nullptr);

    bool confirmDelete(const QStringList& paths, bool toTrash) override;
    bool confirmCreateFolder(const QString& folder) override;
    CollisionAnswer askCollision(const QString& name, const QString& folder) override;
    bool confirmPermanentDelete(const QString& path, const QString& reason) override;
    PermanentDeleteAnswer confirmReplacePermanently(const QString& path,
                                                    const QString& reason) override;
    ErrorChoice askError(const FileOperationError& error) override;
    void operationStarts(FileOperationCode operation) override;
    void cancelOpenQuestion() override;

    // The texts, for the boxes and for tests.
    static QString deleteText(const QStringList& paths, bool toTrash);
    static QString collisionText(const QString& name, const QString& folder,
                                 FileOperationCode operation = FileOperationCode::Copy);
    static QString createFolderText(const QString& folder);
    static QString permanentDeleteText(const QString& path, const QString& reason);
    static QString replacePermanentlyText(const QString& path, const QString& reason);
    static QString errorText(const FileOperationError& error);

private:
    QWidget* owner() const;
    // Shows `box` modally and answers its exec() result; it is the open question meanwhile.
    int ask(QMessageBox& box);

    QPointer<QWidget> m_parent;
    QPointer<QMessageBox> m_open;
    FileOperationCode m_operation = FileOperationCode::Copy;
};

} // namespace vantoro
