#pragma once

#include "export/ExportOptions.h"

#include <QWidget>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QStackedWidget;

// The export screen over the editor: what to make (format, size, dithering for a GIF) and
// where, then the progress of making it with Cancel, then how it ended. It covers the whole
// editor, so nothing is edited while an export runs, but the stage behind keeps being drawn.
class ExportDialog : public QWidget {
public:
    explicit ExportDialog(QWidget* parent);

    // The choices page, suggesting `baseName` plus the format's extension in `folder`.
    void showChoices(const QString& folder, const QString& baseName);
    void showProgress(int done, int total);
    // The last page: what was made, or why nothing was.
    void showResult(bool ok, const QString& message);

    ExportOptions options() const;

    // Export pressed on the choices page.
    std::function<void(const ExportOptions&)> onExport;
    // Cancel pressed while the export runs.
    std::function<void()> onCancel;
    // Closed from the choices or the result page.
    std::function<void()> onClose;

    QComboBox* formatBox() const { return format_; }
    QComboBox* sizeBox() const { return size_; }
    QLineEdit* pathEdit() const { return path_; }
    QCheckBox* ditherBox() const { return dither_; }
    QPushButton* exportButton() const { return export_; }
    QPushButton* cancelButton() const { return cancel_; }
    QPushButton* closeButton() const { return close_; }
    QProgressBar* progressBar() const { return progress_; }
    QLabel* statusLabel() const { return status_; }
    QLabel* resultLabel() const { return result_; }
    bool isRunningPage() const;

private:
    void formatChanged();
    void choosePath();

    QStackedWidget* pages_ = nullptr;
    QComboBox* format_ = nullptr;
    QComboBox* size_ = nullptr;
    QLineEdit* path_ = nullptr;
    QCheckBox* dither_ = nullptr;
    QPushButton* export_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* close_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* result_ = nullptr;
};
