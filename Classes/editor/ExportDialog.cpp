#include "editor/ExportDialog.h"

#include "base/Screen.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

ExportDialog::ExportDialog(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("exportScreen"));
    // A shade over the whole editor that takes every click; the panel sits in its middle.
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("#exportScreen { background: rgba(0, 0, 0, 110); }"
                                 "#exportPanel { background: rgb(40, 42, 48); border-radius: 8px; }"
                                 "#exportPanel QLabel, #exportPanel QCheckBox { color: white; }"));
    setGeometry(0, 0, kScreenWidth, kScreenHeight);

    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("exportPanel"));
    panel->setAttribute(Qt::WA_StyledBackground);
    panel->setGeometry(60, 40, kScreenWidth - 120, kScreenHeight - 80);
    pages_ = new QStackedWidget(panel);
    auto* outer = new QVBoxLayout(panel);
    outer->setContentsMargins(12, 10, 12, 10);
    auto* title = new QLabel(QStringLiteral("Export"), panel);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    outer->addWidget(title);
    outer->addWidget(pages_);

    // What and where.
    auto* choices = new QWidget;
    auto* form = new QFormLayout(choices);
    form->setContentsMargins(0, 0, 0, 0);
    format_ = new QComboBox;
    format_->addItem(QStringLiteral("Video (MP4)"), int(ExportFormat::Mp4));
    format_->addItem(QStringLiteral("Animated GIF"), int(ExportFormat::Gif));
    format_->addItem(QStringLiteral("Pictures (PNG)"), int(ExportFormat::Png));
    size_ = new QComboBox;
    size_->addItem(QStringLiteral("960 × 640"), QSize(960, 640));
    size_->addItem(QStringLiteral("480 × 320"), QSize(480, 320));
    path_ = new QLineEdit;
    auto* browse = new QToolButton;
    browse->setText(QStringLiteral("…"));
    browse->setToolTip(QStringLiteral("Choose where"));
    auto* where = new QHBoxLayout;
    where->addWidget(path_);
    where->addWidget(browse);
    dither_ = new QCheckBox(QStringLiteral("Dither colours"));
    dither_->setChecked(true);
    form->addRow(QStringLiteral("Format"), format_);
    form->addRow(QStringLiteral("Size"), size_);
    form->addRow(QStringLiteral("Save as"), where);
    form->addRow(QString(), dither_);
    export_ = new QPushButton(QStringLiteral("Export"));
    export_->setDefault(true);
    auto* dismiss = new QPushButton(QStringLiteral("Cancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(dismiss);
    buttons->addWidget(export_);
    form->addRow(buttons);
    pages_->addWidget(choices);

    // Progress.
    auto* running = new QWidget;
    auto* runningLayout = new QVBoxLayout(running);
    status_ = new QLabel;
    progress_ = new QProgressBar;
    cancel_ = new QPushButton(QStringLiteral("Cancel"));
    runningLayout->addStretch();
    runningLayout->addWidget(status_);
    runningLayout->addWidget(progress_);
    runningLayout->addWidget(cancel_, 0, Qt::AlignRight);
    runningLayout->addStretch();
    pages_->addWidget(running);

    // How it ended.
    auto* ended = new QWidget;
    auto* endedLayout = new QVBoxLayout(ended);
    result_ = new QLabel;
    result_->setWordWrap(true);
    close_ = new QPushButton(QStringLiteral("Close"));
    endedLayout->addStretch();
    endedLayout->addWidget(result_);
    endedLayout->addWidget(close_, 0, Qt::AlignRight);
    endedLayout->addStretch();
    pages_->addWidget(ended);

    connect(format_, &QComboBox::currentIndexChanged, this, [this] { formatChanged(); });
    connect(browse, &QToolButton::clicked, this, [this] { choosePath(); });
    connect(export_, &QPushButton::clicked, this, [this] {
        if (onExport)
            onExport(options());
    });
    connect(path_, &QLineEdit::returnPressed, export_, &QPushButton::click);
    connect(cancel_, &QPushButton::clicked, this, [this] {
        if (onCancel)
            onCancel();
    });
    for (QPushButton* b : {dismiss, close_})
        connect(b, &QPushButton::clicked, this, [this] {
            if (onClose)
                onClose();
        });
}

void ExportDialog::showChoices(const QString& folder, const QString& baseName) {
    const auto format = ExportFormat(format_->currentData().toInt());
    path_->setText(QDir(folder).filePath(baseName + formatExtension(format)));
    formatChanged();
    pages_->setCurrentIndex(0);
    show();
    raise();
    path_->setFocus();
}

void ExportDialog::showProgress(int done, int total) {
    pages_->setCurrentIndex(1);
    status_->setText(QStringLiteral("Exporting to %1").arg(QFileInfo(path_->text()).fileName()));
    progress_->setRange(0, std::max(total, 1));
    progress_->setValue(done);
}

void ExportDialog::showResult(bool ok, const QString& message) {
    pages_->setCurrentIndex(2);
    result_->setText(ok ? message : QStringLiteral("Export failed: %1").arg(message));
    close_->setFocus();
}

bool ExportDialog::isRunningPage() const {
    return isVisible() && pages_->currentIndex() == 1;
}

ExportOptions ExportDialog::options() const {
    ExportOptions o;
    o.format = ExportFormat(format_->currentData().toInt());
    o.size = size_->currentData().toSize();
    o.output = path_->text().trimmed();
    o.dither = dither_->isChecked();
    return o;
}

void ExportDialog::formatChanged() {
    const auto format = ExportFormat(format_->currentData().toInt());
    dither_->setEnabled(format == ExportFormat::Gif);
    // The name follows the format: "Fight.mp4", "Fight.gif", the folder "Fight".
    QString path = path_->text();
    for (ExportFormat f : {ExportFormat::Mp4, ExportFormat::Gif})
        if (path.endsWith(formatExtension(f), Qt::CaseInsensitive))
            path.chop(formatExtension(f).size());
    if (!path.isEmpty())
        path_->setText(path + formatExtension(format));
}

void ExportDialog::choosePath() {
    auto* picker = new QFileDialog(this, QStringLiteral("Export to"), path_->text());
    picker->setAcceptMode(QFileDialog::AcceptSave);
    picker->setOption(QFileDialog::DontUseNativeDialog);
    picker->setAttribute(Qt::WA_DeleteOnClose);
    connect(picker, &QFileDialog::fileSelected, this, [this](const QString& file) {
        path_->setText(file);
        formatChanged();
    });
    picker->open();
}
