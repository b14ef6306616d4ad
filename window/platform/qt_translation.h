// Qt's own texts (file dialog, standard buttons) in the language of the program's captions.
#pragma once

#include <QTranslator>

#include <memory>

namespace vellograph {

// Qt's Russian translation (qt6-translations-l10n), loaded and ready to
// install; null when it is not installed, and Qt's texts then stay English.
std::unique_ptr<QTranslator> LoadQtTranslation();

} // namespace vellograph
