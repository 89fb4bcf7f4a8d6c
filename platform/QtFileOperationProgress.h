#pragma once

#include "fileops/FileOperationQuestions.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>

class QLabel;
class QProgressBar;
class QPushButton;

namespace vantoro {

// The progress window of a file operation: the item being worked on (with the destination
// folder of a copy or move), bytes done of the total and a Cancel button. Application-modal while
// it shows; it shows only once the operation has run for `kShowDelayMs` with no question open,
// so that quick operations flash nothing and a question a person is reading is never covered
// (and blocked) by it.
class QtFileOperationProgress final : public FileOperationProgress
{
public:
    static constexpr int kShowDelayMs = 500;

    explicit QtFileOperationProgress(QWidget* parent = nullptr);
    ~QtFileOperationProgress() override;

    void begin(const QString& title, FileOperationCode operation) override;
    void update(const QString& currentPath, qint64 bytesDone, qint64 bytesTotal, int itemsDone,
                int itemCount) override;
    bool cancelRequested() const override { return m_cancelRequested; }
    void end() override;
    void setDestination(const QString& folder) override;
    void setQuestionOpen(bool open) override;

    // The window while an operation runs (null before the first one), for tests.
    QDialog* window() const { return m_window.data(); }

    static QString sizeText(qint64 bytes);

private:
    void buildWindow();

    QPointer<QWidget> m_parent;
    QPointer<QDialog> m_window;
    QLabel* m_action = nullptr;
    QLabel* m_item = nullptr;
    QLabel* m_amount = nullptr;
    QProgressBar* m_bar = nullptr;
    QPushButton* m_cancel = nullptr;
    QElapsedTimer m_clock;
    FileOperationCode m_operation = FileOperationCode::Copy;
    QString m_destination;
    bool m_cancelRequested = false;
    bool m_questionOpen = false;
};

} // namespace vantoro
