// The dialogs interface with real Qt boxes and file dialogs.
#pragma once

#include "window/platform/dialogs.h"

#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <string>

namespace vellograph {

enum class TBoxKind { Message, Confirmation, Error };

// A box as the dialogs show it: the program's title and nothing appended,
// its icon, buttons and default button.
std::unique_ptr<QMessageBox> MakeBox(QWidget* parent, TBoxKind kind, const std::string& text);

class TQtDialogs : public TDialogs {
public:
    // Boxes are top-level windows kept above the parent, once one is set.
    void SetParent(QWidget* parent) { parent_ = parent; }
    // Where only the compositor places windows (Wayland), a box is centred
    // over a shown parent and lands anywhere without one: a box asked for
    // before the parent is set (at start-up) shows the window this returns
    // first and takes it for its parent.
    void SetStartupParent(std::function<QWidget*()> showParent) {
        showStartupParent_ = std::move(showParent);
    }

    void ShowMessage(const std::string& text) override;
    bool Confirm(const std::string& text) override;
    void ShowError(const std::string& text) override;
    std::optional<std::string> OpenFileName(const TFileDialogRequest& request) override;
    std::optional<std::string> SaveFileName(const TFileDialogRequest& request) override;

private:
    std::optional<std::string> RunFileDialog(const TFileDialogRequest& request, bool open);
    bool RunBox(TBoxKind kind, const std::string& text);

    std::function<QWidget*()> showStartupParent_;

    QPointer<QWidget> parent_;
    // The filter last chosen in each dialog, by title: a dialog opens first
    // with its first filter, and later with the one the user took last.
    std::map<std::string, QString> selectedFilters_;
};

} // namespace vellograph
