// Real message, confirmation and error boxes, and the file dialogs.
#include "window/platform/qt_dialogs.h"

#include "window/platform/path_bytes.h"
#include "window/platform/wayland_dialog.h"

#include "engine/io/error.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QUrl>

#include <utility>

namespace vellograph {

namespace {

constexpr double TitlePointSize = 11;

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The bytes of the file a dialog chose. A portal's dialog hands over URIs
// whose percent-encoding keeps every byte; Qt's own dialog and GTK's decode
// names as UTF-8 first, so that bytes that are no UTF-8 come back as U+FFFD,
// and the file is then looked up by the name shown for it. A name that still
// holds U+FFFD and names no file stands for bytes the dialog lost (two files
// shown alike, a folder it could not start in): it is refused, rather than
// taken for a file of another name.
std::string ChosenPathBytes(const QUrl& url) {
    if (!url.isLocalFile()) {
        throw UserError("\"" + url.toDisplayString().toStdString() + "\" is not a local file");
    }
    const QByteArray bytes =
        QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    const QString shown = QString::fromUtf8(bytes);
    if (!shown.contains(QChar(QChar::ReplacementCharacter)) || shown.toUtf8() != bytes) {
        return bytes.toStdString();
    }
    bool ambiguous = false;
    std::string path = PathBytes(shown, &ambiguous);
    if (ambiguous || (!PathExists(path) && path.find("\xEF\xBF\xBD") != std::string::npos)) {
        throw UserError("Cannot tell which file \"" + shown.toStdString() +
                        "\" is: its name is not valid UTF-8 and the dialog did not give its bytes");
    }
    return path;
}

// Room for the whole title as window managers draw it: a bold title font
// no smaller than GNOME's and KDE's 11 points (their boxes otherwise cut it
// to "Vell" or hide it), centred between a block of three buttons on
// either side, as the widest decorations have.
int TitleBarWidth(const QString& title) {
    QFont font = QApplication::font("QMdiSubWindowTitleBar");
    font.setBold(true);
    if (font.pointSizeF() < TitlePointSize) {
        font.setPointSizeF(TitlePointSize);
    }
    const QFontMetrics metrics(font);
    const int buttons = 3 * 2 * metrics.height();
    return metrics.horizontalAdvance(title) + 2 * buttons;
}

} // namespace

std::unique_ptr<QMessageBox> MakeBox(QWidget* parent, TBoxKind kind, const std::string& text) {
    struct Look {
        QMessageBox::Icon icon;
        const char* title;
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton defaultButton;
    };
    static const Look looks[] = {
        {QMessageBox::NoIcon, "Vellograph", QMessageBox::Ok, QMessageBox::Ok},
        {QMessageBox::Question, "Confirm", QMessageBox::Yes | QMessageBox::Cancel,
         QMessageBox::Yes},
        {QMessageBox::Critical, "Vellograph", QMessageBox::Ok, QMessageBox::Ok},
    };
    const Look& look = looks[static_cast<int>(kind)];
    auto box = std::make_unique<QMessageBox>(look.icon, QString::fromUtf8(look.title),
                                             FromUtf8(text), look.buttons, parent);
    box->setDefaultButton(look.defaultButton);
    // The boxes' buttons are the program's own: Qt's Russian translation,
    // loaded for its file dialog, must not rename them.
    for (QAbstractButton* button : box->buttons()) {
        switch (box->standardButton(button)) {
        case QMessageBox::Ok:
            button->setText("OK");
            break;
        case QMessageBox::Yes:
            button->setText("&Yes");
            break;
        case QMessageBox::Cancel:
            button->setText("Cancel");
            break;
        default:
            break;
        }
    }
    // The box takes its size from its layout when shown: a strut across its
    // bottom row makes it as wide as the title bar needs, whatever the text.
    if (auto* grid = qobject_cast<QGridLayout*>(box->layout())) {
        grid->addItem(new QSpacerItem(TitleBarWidth(box->windowTitle()), 0, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
    return box;
}

bool TQtDialogs::RunBox(TBoxKind kind, const std::string& text) {
    if (!parent_ && showStartupParent_ && QGuiApplication::platformName() == "wayland") {
        parent_ = std::exchange(showStartupParent_, nullptr)();
    }
    const std::unique_ptr<QMessageBox> box = MakeBox(parent_, kind, text);
    if (parent_) {
        ShowAsDialogOfParent(*box);
    }
    return box->exec() == QMessageBox::Yes;
}

void TQtDialogs::ShowMessage(const std::string& text) {
    RunBox(TBoxKind::Message, text);
}

bool TQtDialogs::Confirm(const std::string& text) {
    // Cancel, Esc and closing the box all answer Cancel.
    return RunBox(TBoxKind::Confirmation, text);
}

void TQtDialogs::ShowError(const std::string& text) {
    RunBox(TBoxKind::Error, text);
}

std::optional<std::string> TQtDialogs::OpenFileName(const TFileDialogRequest& request) {
    return RunFileDialog(request, true);
}

std::optional<std::string> TQtDialogs::SaveFileName(const TFileDialogRequest& request) {
    return RunFileDialog(request, false);
}

std::optional<std::string> TQtDialogs::RunFileDialog(const TFileDialogRequest& request, bool open) {
    QFileDialog dialog(parent_, FromUtf8(request.Title));
    // The desktop's own dialog where its platform theme has one (GTK's, KDE's,
    // a portal's), Qt's otherwise. The callers ask about overwriting and check
    // that the file exists themselves; only a portal's save dialog asks too,
    // since its interface has no way to turn that off.
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
    if (dialog.exec() != QDialog::Accepted || dialog.selectedUrls().isEmpty()) {
        return std::nullopt;
    }
    if (!filters.isEmpty() && filters.contains(dialog.selectedNameFilter())) {
        selectedFilters_[request.Title] = dialog.selectedNameFilter();
    }
    const QUrl chosen = dialog.selectedUrls().front();
    if (!request.FileName.empty() &&
        chosen.toLocalFile().contains(QChar(QChar::ReplacementCharacter)) &&
        chosen.toLocalFile() == start.absoluteFilePath()) {
        return request.FileName;
    }
    return ChosenPathBytes(chosen);
}

} // namespace vellograph
