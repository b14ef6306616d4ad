// "Сохранить скрин как...": the surface's whole picture as a Windows bitmap file.
#include "window/form/main_form.h"

#include "engine/format/drawing.h"
#include "engine/format/running.h"
#include "engine/io/error.h"
#include "engine/raster/bitmap_file.h"
#include "window/form/file_messages.h"
#include "window/form/image_screen.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace vellograph {

namespace {

// The name as the user should read it in the error box: a full path, the
// links and dots left as they were typed.
std::string FullPath(const std::string& fileName) {
    std::error_code error;
    const std::filesystem::path full = std::filesystem::absolute(fileName, error);
    return error ? fileName : full.string();
}

} // namespace

void TMainForm::MMSaveScreenAsClick() {
    if (!ExecuteSave(dialogs_, SaveImageDialog)) {
        return;
    }
    const std::string fileName = SaveImageDialog.FileName;
    if (FileExists(fileName) && !dialogs_.Confirm(MsgOverwrite)) {
        dialogs_.ShowMessage(MsgNotSaved);
        return;
    }
    const TFileIdentity chosen = IdentifyFile(fileName);
    // The canvas is white from the start, so a surface nothing was painted on
    // yet is written as the blank picture it shows. Panels and the label are
    // widgets of their own and never part of it.
    const TFileResult written = SaveBitmapFile(ImageScreen->Canvas(), fileName);
    if (!written) {
        throw UserError(CannotCreateFileText(FullPath(fileName), written.reason));
    }
    // The later write wins, whichever writer made it: a drawing save of the
    // same file still pumping leaves the picture in place.
    FileReplaced(chosen, FileSizeOnDisk(fileName), nullptr);
}

} // namespace vellograph
