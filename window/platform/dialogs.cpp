// The toolkit-free parts of the dialogs: dialog state, the error box's full
// stop and the filter format.
#include "window/platform/dialogs.h"
#include "window/form/guarded.h"

namespace vellograph {

namespace {

bool Execute(TDialogs& dialogs, TFileDialog& dialog, bool open) {
    const TFileDialogRequest request{dialog.Title, dialog.Filter, dialog.DefaultExt,
                                     dialog.FileName};
    std::optional<std::string> chosen =
        open ? dialogs.OpenFileName(request) : dialogs.SaveFileName(request);
    if (!chosen) {
        return false;
    }
    dialog.FileName = std::move(*chosen);
    return true;
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string::size_type start = 0;
    for (;;) {
        const auto end = text.find(separator, start);
        parts.push_back(
            text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) {
            return parts;
        }
        start = end + 1;
    }
}

// "*.a;*.b" becomes "*.a *.b"; "*.*" becomes "*", since names need no dot here.
std::string Patterns(const std::string& patterns) {
    std::string result;
    for (const std::string& p : Split(patterns, ';')) {
        if (p.empty()) {
            continue;
        }
        if (!result.empty()) {
            result += ' ';
        }
        result += p == "*.*" ? "*" : p;
    }
    return result.empty() ? "*" : result;
}

} // namespace

bool ExecuteOpen(TDialogs& dialogs, TFileDialog& dialog) {
    return Execute(dialogs, dialog, true);
}
bool ExecuteSave(TDialogs& dialogs, TFileDialog& dialog) {
    return Execute(dialogs, dialog, false);
}

std::string ErrorBoxText(const std::string& text) {
    if (!text.empty() &&
        static_cast<unsigned char>(text.back()) > static_cast<unsigned char>('.')) {
        return text + ".";
    }
    return text;
}

std::vector<std::string> NameFilters(const std::string& filter) {
    std::vector<std::string> entries;
    if (filter.empty()) {
        return entries;
    }
    const std::vector<std::string> parts = Split(filter, '|');
    for (std::size_t i = 0; i < parts.size(); i += 2) {
        const std::string& description = parts[i];
        const std::string raw = i + 1 < parts.size() ? parts[i + 1] : std::string();
        const std::string patterns = Patterns(raw);
        // A description that already shows its patterns is kept as it is,
        // unless they need translating.
        if (raw == patterns && description.find("(" + raw + ")") != std::string::npos) {
            entries.push_back(description);
        } else {
            entries.push_back(description + " (" + patterns + ")");
        }
    }
    return entries;
}

void ReportHandlerError(TDialogs& dialogs, const char* text) noexcept {
    try {
        dialogs.ShowError(ErrorBoxText(text ? text : ""));
    } catch (...) {
        // Nothing is left to tell the user with; the program goes on.
    }
}

} // namespace vellograph
