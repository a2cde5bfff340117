// The instrument information page: no instrument, the simulated instrument once read (its due
// days by the clock, a span that did or did not renew a calibration), and a stored log's.
#include "FixtureDatabase.h"
#include "ModelTestLines.h"
#include "SettingsRig.h"
#include "TextFit.h"

#include <QRegularExpression>

namespace qv::test {
namespace {

// Both pages before any instrument was read: the defaults' gases, dashes, nothing to upload,
// and no entry stored (no resolution step to round to).
TEST(InstrumentInfo, WithoutAnInstrumentTheDefaultsShowWithDashes) {
    SettingsRig rig;
    rig.option->ShowOptionGrid();
    EXPECT_EQ(rig.option->vfgOption->TextMatrix(2, 0), "CH4(ppm)");
    EXPECT_EQ(rig.option->cmbInterval->currentText(), "300");
    EXPECT_FALSE(rig.option->cmdOption[0]->isEnabled());
    EXPECT_EQ(Type(*rig.option->vfgOption, 2, 1, "5"), Entry::Refused);
    EXPECT_FALSE(rig.CurInstrument->Change_Warn(0));
    ServiceMode = true;
    rig.info->ShowInstrumentInfo();
    ui::FlexGrid& cal = *rig.info->vfgInst;
    EXPECT_EQ(rig.info->title(), GetMessage(5057));
    EXPECT_TRUE(rig.info->lblInst[7]->text().isEmpty());
    EXPECT_FALSE(rig.info->lblInst[6]->isHidden());
    EXPECT_EQ(cal.columnSpan(0, 1), 5);  // one heading
    EXPECT_EQ(cal.TextMatrix(3, 0), "OXY(%)");
    EXPECT_EQ(cal.TextMatrix(3, 2), "-----");
    EXPECT_TRUE(cal.TextMatrix(3, 5).isEmpty());
    EXPECT_FALSE(Ticked(*rig.info->vfgInstSensor, 2, 1));
}

TEST(InstrumentInfo, TheConnectedInstrumentWithItsDueDays) {
    SettingsRig rig;
    rig.sim.sim.content().reads["GJ"].replace(QRegularExpression("HC  .*$"), QString(18, u'*'));
    rig.ReadInstrument();
    // Calibrated 2014-04-01 09:30 and due 30 days later: two and a half days left.
    FixedClock clock(QDateTime(QDate(2014, 4, 28), QTime(21, 30), Qt::UTC));
    rig.info->ShowInstrumentInfo();
    ui::FlexGrid& cal = *rig.info->vfgInst;
    EXPECT_EQ(rig.info->title(), GetMessage(5059));
    EXPECT_EQ(rig.info->lblInst[7]->text(), "02100");
    EXPECT_TRUE(rig.info->lblInst[7]->isHidden());
    EXPECT_EQ(cal.TextMatrix(2, 5), "2");      // halves to even
    EXPECT_EQ(cal.TextMatrix(6, 5), "-----");  // disabled: no due days
    EXPECT_FALSE(Ticked(*rig.info->vfgInstSensor, 6, 1));
    LimitDays = 3;
    rig.info->ShowInstrumentInfo();
    EXPECT_EQ(cal.TextMatrix(2, 5), GetMessage(5638, {"2"}));
    EXPECT_EQ(ColorAt(cal, 2, 5), ui::RGB(255, 128, 0));

    // During a span: a selected channel whose calibration was not renewed failed.
    rig.CurInstrument->SetCalibDate(1, QDateTime(QDate(2014, 4, 28), QTime(20, 0), Qt::UTC));
    rig.SpanSelected[0] = rig.SpanSelected[1] = true;
    OperationMode = OpSpanCalibration;
    rig.info->ShowInstrumentInfo();
    EXPECT_EQ(cal.TextMatrix(2, 2), "-----");
    EXPECT_EQ(cal.TextMatrix(2, 3), "FAIL");
    EXPECT_EQ(ColorAt(cal, 2, 4), ui::RGB(255, 0, 0));
    EXPECT_EQ(cal.TextMatrix(3, 3), " 20.9");  // renewed an hour and a half ago
    EXPECT_EQ(cal.TextMatrix(6, 2), "    0");  // not selected: the normal row
    OperationMode = OpIdle;

    // After a power-off the link is back at its start: no instrument, whatever is held.
    rig.sim.link->SetStatus(StatusInitial);
    rig.info->ShowInstrumentInfo();
    EXPECT_EQ(rig.info->title(), GetMessage(5057));
}

// The due texts, days left and overdue, in both languages on the page as the window lays it out:
// no cell text is cut.
TEST(InstrumentInfo, DueTextsFitInBothLanguages) {
    SettingsRig rig;
    rig.ReadInstrument();
    rig.info->resize(ui::ToPixelsX(12960), ui::ToPixelsY(9820));
    LimitDays = 3;
    for (const CatalogueLanguage language :
         {CatalogueLanguage::English, CatalogueLanguage::Japanese}) {
        SetCatalogueLanguage(language);
        rig.info->SetCaptions();
        for (const QDate today : {QDate(2014, 4, 29), QDate(2014, 6, 1)}) {
            SCOPED_TRACE(today.toString(Qt::ISODate).toStdString());
            FixedClock clock(QDateTime(today, QTime(9, 0), Qt::UTC));
            rig.info->ShowInstrumentInfo();
            rig.info->LayoutPage();
            EXPECT_EQ(CutCells(*rig.info->vfgInst), QStringList{});
            EXPECT_EQ(CutCells(*rig.info->vfgInstSensor), QStringList{});
        }
    }
}

TEST(InstrumentInfo, AStoredLogsInstrument) {
    SettingsRig rig;
    FixtureDatabase db;
    rig.LogInstrument->LoadDatabase(db.logs().intervalA0514);
    rig.ShowLogInstrument = true;
    rig.info->ShowInstrumentInfo();
    EXPECT_EQ(rig.info->title(), GetMessage(5058));
    EXPECT_EQ(rig.info->lblInst[3]->text(), "SN1001");
    EXPECT_EQ(rig.info->vfgInst->Cols(), 5);
    EXPECT_TRUE(rig.info->vfgInst->TextMatrix(2, 1).isEmpty());  // never calibrated
    EXPECT_EQ(rig.info->vfgInstSensor->TextMatrix(2, 2), rig.LogInstrument->WarnForm(0));
}

}  // namespace
}  // namespace qv::test
