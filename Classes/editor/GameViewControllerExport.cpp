// The editor's export: the Export action, its screen and the export running beside the editor.

#include "editor/ExportDialog.h"
#include "editor/GameViewController.h"
#include "export/Exporter.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>

namespace {

// Rendering slices: short enough that the editor draws and answers between them.
constexpr int kExportSliceMs = 6;
constexpr int kExportPumpIntervalMs = 4;

QString defaultExportFolder() {
    const QString movies = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
    if (!movies.isEmpty() && QDir(movies).exists())
        return movies;
    return QDir::homePath();
}

} // namespace

namespace {

bool posing(const FrameLayer* stage) {
    // The stage is built after the actions are first asked about.
    return stage && stage->editingHuman();
}

} // namespace

void GameViewController::declareExportActions() {
    actions_.declare(EditorActions::Export, {QStringLiteral("Export"),
                                             QStringLiteral("icon-export.png"),
                                             {Qt::CTRL | Qt::Key_E},
                                             [this](QObject*) { showExport(); },
                                             [this] {
                                                 return !isPlaying_ && !posing(frameLayer_.get()) &&
                                                        !isExporting();
                                             }});
}

bool GameViewController::isExporting() const {
    return exporter_ && exporter_->isRunning();
}

void GameViewController::showExport() {
    if (isPlaying_ || posing(frameLayer_.get()) || isExporting())
        return;
    if (!exportDialog_) {
        exportDialog_ = new ExportDialog(view());
        exportDialog_->onExport = [this](const ExportOptions& o) {
            startExport(o);
        };
        exportDialog_->onCancel = [this] {
            cancelExport();
        };
        exportDialog_->onClose = [this] {
            exportDialog_->hide();
            actions_.refreshEnabled();
        };
    }
    frameLayer_->frameSwitched(); // drops the selection and its handle
    const QString name =
        animation_.name().isEmpty() ? QStringLiteral("Kelvora animation") : animation_.name();
    exportDialog_->showChoices(defaultExportFolder(), name);
}

void GameViewController::startExport(const ExportOptions& options) {
    if (isExporting())
        return;
    if (exportDialog_)
        exportDialog_->showProgress(0, 1);
    whenAllFramesRead([this, options] {
        exporter_ =
            std::make_shared<Exporter>(animation_.frames(), animation_.animationSpeed(), options);
        const bool started = exporter_->start();
        actions_.refreshEnabled();
        if (!started) {
            if (exportDialog_)
                exportDialog_->showResult(false, exporter_->error());
            return;
        }
        if (!exportTimer_) {
            exportTimer_ = new QTimer(this);
            exportTimer_->setInterval(kExportPumpIntervalMs);
            connect(exportTimer_, &QTimer::timeout, this, [this] { pumpExport(); });
        }
        exportTimer_->start();
    });
}

void GameViewController::pumpExport() {
    if (!exporter_)
        return;
    const bool more = exporter_->pump(kExportSliceMs);
    if (exportDialog_ && more)
        exportDialog_->showProgress(exporter_->progressDone(), exporter_->progressTotal());
    if (more)
        return;
    exportTimer_->stop();
    if (exportDialog_) {
        if (exporter_->state() == Exporter::State::Done)
            exportDialog_->showResult(
                true, QStringLiteral("Exported to %1").arg(exporter_->options().output));
        else
            exportDialog_->showResult(false, exporter_->error());
    }
    actions_.refreshEnabled();
}

void GameViewController::cancelExport() {
    if (!isExporting())
        return;
    exportTimer_->stop();
    exporter_->cancel();
    if (exportDialog_)
        exportDialog_->showResult(false, QStringLiteral("cancelled; nothing was written."));
    actions_.refreshEnabled();
}
