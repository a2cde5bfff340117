// Qt's own texts (the standard buttons of message boxes: Yes, No, Cancel) in the language of
// the message catalogue.
#pragma once

namespace qv {

// Loads Qt's Japanese translations when the catalogue is Japanese and installs them in the
// application; true when they are in use. Without the translation files the standard buttons
// stay in English.
bool InstallQtTranslations();

}  // namespace qv
