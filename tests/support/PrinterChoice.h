// Scripts the printer dialog of a print job: its next showing chooses an entry and takes it.
// For the tests that print through the print form (they link the report library).
#pragma once

#include "ScriptedDialogs.h"
#include "frmSetPrinter.h"

namespace qv::test {

inline void ChoosePrinterEntry(ScriptedDialogs& dialogs, const QString& entry) {
    dialogs.AnswerModal([entry](QDialog& d) {
        auto& dialog = dynamic_cast<frmSetPrinter&>(d);
        dialog.cmbList->setCurrentIndex(dialog.cmbList->findText(entry));
        dialog.cmdOK->click();
        return d.result();
    });
}

}  // namespace qv::test
