// Qt's translations for the catalogue's language.
#include "QtTranslations.h"

#include "modMessage.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace qv {

bool InstallQtTranslations() {
    static QTranslator* installed = nullptr;
    if (installed || CurrentLanguage() != CatalogueLanguage::Japanese) return installed;
    auto translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QStringLiteral("qtbase_ja"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return false;
    }
    installed = translator;
    return true;
}

}  // namespace qv
