// Qt's own texts (file dialog, standard buttons) in the language of the program's captions.
#include "window/platform/qt_translation.h"

#include <QLibraryInfo>

namespace vellograph {

std::unique_ptr<QTranslator> LoadQtTranslation() {
    // The captions are Russian whatever the user's locale, so Qt's file
    // dialog and buttons follow them, not the locale: a Russian title over
    // English labels reads as a half-translated program.
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QStringLiteral("qtbase_ru"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        return nullptr;
    }
    return translator;
}

} // namespace vellograph
