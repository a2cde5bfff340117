// A window test at the window's default size in a chosen catalogue, for checks that no text
// shows cut.
#pragma once

#include "ShellFixture.h"
#include "TextFit.h"

#include <QCoreApplication>

namespace qv::test {

class TextFit : public ShellTest {
  protected:
    // The window as a first start opens it, in the given catalogue.
    std::unique_ptr<frmMain> Start(CatalogueLanguage language) {
        SetCatalogueLanguage(language);
        auto main = StartMain();
        main->show();
        main->Form_Resize();
        QCoreApplication::processEvents();
        return main;
    }
    static const char* Name(CatalogueLanguage language) {
        return language == CatalogueLanguage::Japanese ? "Japanese" : "English";
    }
};

}  // namespace qv::test
