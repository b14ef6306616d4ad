// The modal boxes and file dialogs, behind one interface so that tests can
// script the answers.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vellograph {

// What a file dialog is asked with. Filter is "Description|pattern|..."
// pairs; FileName is the name the dialog starts with.
struct TFileDialogRequest {
    std::string Title;
    std::string Filter;
    std::string DefaultExt;
    std::string FileName;
};

class TDialogs {
public:
    virtual ~TDialogs() = default;
    // The text, no icon, one OK button, titled "Vellograph".
    virtual void ShowMessage(const std::string& text) = 0;
    // Question icon, titled "Confirm", Yes (the default) and Cancel. True
    // only for Yes.
    virtual bool Confirm(const std::string& text) = 0;
    // Error icon, titled "Vellograph"; the text is shown as given.
    virtual void ShowError(const std::string& text) = 0;
    // The chosen path, or nothing when the user cancelled. Neither dialog
    // asks before overwriting or insists that the file exists.
    virtual std::optional<std::string> OpenFileName(const TFileDialogRequest& request) = 0;
    virtual std::optional<std::string> SaveFileName(const TFileDialogRequest& request) = 0;
};

// The state of one of the window's file dialogs between two runs.
struct TFileDialog {
    std::string Title;
    std::string Filter;
    std::string DefaultExt;
    std::string FileName; // the last confirmed name
};

// Runs the dialog starting from its file name; on OK the chosen name becomes
// its file name. False when the user cancelled.
bool ExecuteOpen(TDialogs& dialogs, TFileDialog& dialog);
bool ExecuteSave(TDialogs& dialogs, TFileDialog& dialog);

// The error box's text: a full stop is added when the last character sorts
// after ".". Texts are UTF-8; a multi-byte character counts as its code
// point, which sorts after "." exactly as every Cyrillic letter of the 8-bit
// code page did, so comparing the last byte gives the same answer.
std::string ErrorBoxText(const std::string& text);

// One "Description (patterns)" entry per pair of the filter, the form file
// dialogs list them in. "*.*" means every file here, as it does in the
// filters the program is given.
std::vector<std::string> NameFilters(const std::string& filter);

} // namespace vellograph
