// Real message, confirmation and error boxes, and the file dialogs.
#include "qt_dialogs.h"

#include "path_bytes.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace vellograph {

namespace {

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

int RunBox(QWidget* parent, QMessageBox::Icon icon, const char* title, const std::string& text,
           QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton) {
    QMessageBox box(icon, QString::fromUtf8(title), FromUtf8(text), buttons, parent);
    box.setDefaultButton(defaultButton);
    return box.exec();
}

} // namespace

void TQtDialogs::ShowMessage(const std::string& text) {
    RunBox(parent_, QMessageBox::NoIcon, "Vellograph", text, QMessageBox::Ok, QMessageBox::Ok);
}

bool TQtDialogs::Confirm(const std::string& text) {
    // Cancel, Esc and closing the box all answer Cancel.
    return RunBox(parent_, QMessageBox::Question, "Confirm", text,
                  QMessageBox::Yes | QMessageBox::Cancel, QMessageBox::Yes) == QMessageBox::Yes;
}

void TQtDialogs::ShowError(const std::string& text) {
    RunBox(parent_, QMessageBox::Critical, "Vellograph", text, QMessageBox::Ok, QMessageBox::Ok);
}

std::optional<std::string> TQtDialogs::OpenFileName(const TFileDialogRequest& request) {
    return RunFileDialog(request, true);
}

std::optional<std::string> TQtDialogs::SaveFileName(const TFileDialogRequest& request) {
    return RunFileDialog(request, false);
}

std::optional<std::string> TQtDialogs::RunFileDialog(const TFileDialogRequest& request, bool open) {
    QFileDialog dialog(parent_, FromUtf8(request.Title));
    // The same dialog everywhere; the callers ask about overwriting and check
    // that the file exists themselves.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    QStringList filters;
    for (const std::string& entry : NameFilters(request.Filter)) {
        filters << FromUtf8(entry);
    }
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        const auto last = selectedFilters_.find(request.Title);
        dialog.selectNameFilter(last != selectedFilters_.end() && filters.contains(last->second)
                                    ? last->second
                                    : filters.front());
    }
    if (!request.DefaultExt.empty()) {
        dialog.setDefaultSuffix(FromUtf8(request.DefaultExt));
    }
    // Paths are bytes, and a name that is no UTF-8 shows with replacement
    // characters: taken unchanged, the name the dialog started with is
    // returned as it came.
    const QFileInfo start(QFile::decodeName(QByteArray::fromStdString(request.FileName)));
    if (!request.FileName.empty()) {
        dialog.setDirectory(start.absolutePath());
        dialog.selectFile(start.fileName());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    if (!filters.isEmpty()) {
        selectedFilters_[request.Title] = dialog.selectedNameFilter();
    }
    const QString chosen = dialog.selectedFiles().front();
    if (!request.FileName.empty() && chosen.contains(QChar(QChar::ReplacementCharacter)) &&
        chosen == start.absoluteFilePath()) {
        return request.FileName;
    }
    return PathBytes(chosen);
}

} // namespace vellograph
