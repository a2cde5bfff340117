// The printed reports on a recording surface of the printer's page: page header, line pitch,
// page breaks with the header and column titles repeated, orientation, the printer made current
// again; the printer dialog; the graph's band and status codes; the preview; cancelled, empty and
// failing jobs.
#include "PrintRig.h"

#include <QDir>
#include <QFile>

namespace qv::test {
namespace {

using ui::DrawCall;

bool IsNumber(const QString& text) {
    bool ok = false;
    text.toInt(&ok);
    return ok;
}

QList<int> OneTo(int n) {
    QList<int> all;
    for (int i = 1; i <= n; ++i)
        all << i;
    return all;
}

// Checks every sheet: it opens with the page header (the date right-aligned 300 twips inside
// the edge), a continued sheet has `firstTitle` a tenth of the page width from the top, rows
// stand `pitch` apart within the page, and a sheet ends only after a row passed 95 % of the
// page. Gives the row numbers of the first column, in order.
QList<int> RowsOverSheets(const ui::RecordingTarget& rec, const QString& title,
                          const QString& firstTitle, double pitch) {
    QList<int> rows;
    std::vector<DrawCall> sheet;
    double lastY = 0;
    bool firstRow = true;
    const auto check = [&](bool more) {
        ASSERT_GE(sheet.size(), 3u);
        EXPECT_EQ(sheet[0].text + sheet[1].text, "QV-4170 Data Logger" + title);
        EXPECT_EQ(sheet[0].a, QPointF(10, 10));
        EXPECT_EQ(sheet[2].text, "7/2/2024 9:30:00 AM");
        ui::RecordingTarget measure(1, 1);
        measure.SetFont(sheet[2].font);
        EXPECT_NEAR(sheet[2].a.x() + measure.TextWidth(sheet[2].text), rec.ScaleWidth() - 300,
                    0.01);
        EXPECT_TRUE(!more || lastY + pitch > 0.95 * rec.ScaleHeight()) << lastY;
    };
    for (const DrawCall& c : rec.Calls()) {
        if (c.kind == Kind::NewPage) {
            check(true);
            sheet.clear();
            firstRow = true;
        }
        if (c.kind != Kind::Text) continue;
        sheet.push_back(c);
        if (sheet.size() == 4 && !rows.isEmpty()) {
            EXPECT_EQ(c.text, firstTitle);
            EXPECT_DOUBLE_EQ(c.a.y(), 0.1 * rec.ScaleWidth());
        }
        if (c.a.x() != 0 || !IsNumber(c.text)) continue;
        EXPECT_NEAR(firstRow ? pitch : c.a.y() - lastY, pitch, 0.01) << c.text.toStdString();
        EXPECT_LT(c.a.y() + pitch, rec.ScaleHeight());
        rows << c.text.toInt();
        lastY = c.a.y();
        firstRow = false;
    }
    check(false);
    return rows;
}

TEST_F(PrintRig, PrinterDialogOffersThePdfEntryPreselectsTheCurrentPrinterAndClosingCancels) {
    {
        ui::FixedPrinterList twins{{"Office", "Lab", "Lab"}, "Lab"};
        frmSetPrinter d;
        d.Form_Load();
        ASSERT_EQ(d.cmbList->count(), 4);
        EXPECT_EQ(d.cmbList->itemText(3), ui::PdfEntryName());
        EXPECT_EQ(d.cmbList->currentIndex(), 2);  // the later of two of the same name
        ui::SetCurrentPrinter("Gone");
        d.Form_Load();
        EXPECT_EQ(d.cmbList->currentIndex(), 0);
        Choose("Lab");
        EXPECT_EQ(frmSetPrinter::Choose(), 1);
        dialogs.AnswerModal([](QDialog&) { return QDialog::Rejected; });
        EXPECT_EQ(frmSetPrinter::Choose(), -1);  // closed by its close box: a Cancel
    }
    ui::FixedPrinterList none;
    EXPECT_EQ(ui::PrinterChoices(), QStringList{ui::PdfEntryName()});
    EXPECT_EQ(ui::CurrentPrinter(), ui::PdfEntryName());
}

TEST_F(PrintRig, TheJobPrintsOnTheEntryChosenThoughThePrinterListChangesMeanwhile) {
    auto form = Form(TypePowerEvents, fixture.logs().powerA);
    std::optional<ui::FixedPrinterList> changed;
    dialogs.AnswerModal([&](QDialog& d) {
        auto& dialog = dynamic_cast<frmSetPrinter&>(d);
        dialog.cmbList->setCurrentIndex(dialog.cmbList->findText("Office"));
        dialog.cmdOK->click();
        changed.emplace(QStringList{"Lab", "Office"}, "Lab");  // a printer now comes first
        return d.result();
    });
    QString printedOn;
    form->SetTargetMaker([&](QPrinter&) {
        printedOn = ui::CurrentPrinter();
        rec = std::make_shared<ui::RecordingTarget>(10000, 15000, true);
        return rec;
    });
    form->GoPrinter();
    EXPECT_EQ(printedOn, "Office");
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

TEST_F(PrintRig, EveryTableReportRunsOverSheetsWithItsHeaderRepeated) {
    const FixtureLogs& l = fixture.logs();
    // More calibration dates than a history record once held.
    QList<QDateTime> dates;
    for (int d = 0; d < 320; ++d)
        dates << rt::MakeDate(2016, 1, 1).addDays(7 * d);
    const int32_t history = FixtureBuilder(fixture.path()).AddHistory({"SN9", "S", "U"}, dates);
    ui::TextTable list;  // ten columns: the tenth is not printed
    for (int r = 0; r <= 60; ++r)
        list.rows << QString("%1 SN u s 1 2 3 4 %2 tenth")
                         .arg(r ? QString::number(r) : "No.", r ? "Now" : "Due")
                         .split(' ');
    const struct {
        int32_t type, seqNo;
        const char *title, *firstTitle;
        int rows, pitches;
    } cases[] = {{1, l.intervalA0514, " (Interval Trend)", "No", 100, 1},
                 {2, l.alarmA, " (Alarm Trend)", "No", 731, 1},
                 {3, history, " (Calibration History)", "No", 320, 2},
                 {4, 0, " (Last Calibration)", "No.", 60, 1},
                 {5, l.alarmEventsA, " (Alarm Event)", "No", 12, 1},
                 {6, l.troubleA, " (Trouble Event)", "No", 11, 1},
                 {7, l.powerA, " (Power Event)", "No", 11, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        auto form = Form(c.type, c.seqNo);
        if (c.type == TypeLastCalibration) form->SetTableData(list);
        PrintRecorded(*form);
        ASSERT_TRUE(rec);
        const double pitch = 1.1 * rec->TextHeight("W");
        EXPECT_EQ(RowsOverSheets(*rec, c.title, c.firstTitle, pitch * c.pitches), OneTo(c.rows));
        EXPECT_EQ(rec->ScaleWidth() > rec->ScaleHeight(), c.type == TypeLastCalibration);
        EXPECT_EQ(Texts().contains("Property"), c.type != TypeLastCalibration);
        EXPECT_EQ(rec->Calls(Kind::EndDoc).size(), 1u);
        EXPECT_EQ(ui::CurrentPrinter(), "Lab");  // the former printer is current again
        EXPECT_FALSE(Texts().contains("tenth"));
        const auto& calls = rec->Calls();
        QString word;
        for (size_t i = 0; i < calls.size(); ++i) {
            // Both rows of one calibration stay on one sheet.
            if (calls[i].text == "Before" || calls[i].text == "After") word = calls[i].text;
            EXPECT_TRUE(c.type != TypeCalHistory || calls[i].kind != Kind::NewPage ||
                        word == "After");
            // Only the alarm moment is underlined, right under its row of six cells.
            const DrawCall& next = calls[std::min(i + 6, calls.size() - 1)];
            if (calls[i].kind == Kind::Text && calls[i].a.x() == 0 && IsNumber(calls[i].text) &&
                next.kind == Kind::Line && next.a.y() == next.b.y()) {
                EXPECT_TRUE(c.type == TypeAlarmTrend && calls[i].text == "361")
                    << calls[i].text.toStdString();
                EXPECT_NEAR(next.a.y(), calls[i].a.y() + pitch, 0.01);
            }
        }
    }
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

TEST_F(PrintRig, TrendGraphFillsItsBandBelowTheSummaryOnOneSheet) {
    ConvEnable = true;
    ConvFactor = 2;
    auto form = Form(TypeInterval, fixture.logs().intervalA0514, true);
    PrintRecorded(*form);
    ASSERT_TRUE(rec);
    EXPECT_TRUE(rec->Calls(Kind::NewPage).empty());
    const double w = rec->ScaleWidth(), h = rec->ScaleHeight();
    const auto& calls = rec->Calls();
    auto c = std::find_if(calls.begin(), calls.end(),
                          [](const DrawCall& d) { return d.stroke.Width == 4; });  // under summary
    ASSERT_NE(c, calls.end());
    int graphCalls = 0;
    for (++c; c != calls.end(); ++c)
        if (c->kind == Kind::Line || c->kind == Kind::Text) {
            ++graphCalls;
            EXPECT_TRUE(
                QRectF(0.02 * w - 1, 0.4 * h - 1, 0.95 * w + 2, 0.45 * h + 2).contains(c->a));
        }
    EXPECT_GT(graphCalls, 100);
    // The second unit heads the first gas column and is the first series, converted.
    EXPECT_TRUE(Texts().contains("CH4(vol%)"));
    // Its average (24 %LEL) converted, in the second unit's decimal places.
    EXPECT_TRUE(Texts().contains(" 48.0"));
    EXPECT_EQ(form->vtmPrint->FormatY(0), "##0.0");
    EXPECT_FLOAT_EQ(form->vtmPrint->ValueY(0, 7), 14);
    EXPECT_EQ(form->vtmPrint->TitleBottom(),
              "Sampling Date/Time: 14-May-24 10:00:00 to 14-May-24 11:39:00");
}

TEST_F(PrintRig, IntervalGraphPlotsGas1ConvertedAndTheOthersAtTheirPrintedTexts) {
    // CH4 in %LEL (no decimals) shown in a second unit a twentieth as large: the converted
    // curve keeps its fractions rather than stepping by whole units.
    ConvEnable = true;
    ConvFactor = 0.05f;
    auto log = std::make_shared<clsInterval>();
    log->GasInfo().SetGasPoint(0, 0);
    log->GasInfo().SetGasPoint(4, 2);
    log->GasInfo().SetGasPoint(1, 1);
    // Gas 2 plots its printed text, whole however long it is; a status code plots at 0.
    const struct {
        float reading, gas1, gas2;
    } samples[] = {{7.25f, 7.25f * 0.05f, 7.3f},
                   {12345.6f, 12345.6f * 0.05f, 12345.6f},
                   {-3, 0, 0},
                   {49, 49 * 0.05f, 49},
                   {0, 0, 0},
                   {50, 50 * 0.05f, 50},
                   {12345.6f, 12345.6f * 0.05f, 12345.6f},
                   {7.25f, 7.25f * 0.05f, 7.3f}};
    const int n = static_cast<int>(std::size(samples));
    log->SetDataCount(n);
    for (int i = 0; i < n; ++i) {
        log->SetDateTimes(i, rt::MakeDate(2024, 1, 1).addSecs(60 * i));
        log->SetGasValue(0, i, samples[i].reading);
        log->SetGasValue(1, i, samples[i].reading);
    }
    frmPrint form;
    form.SetDataType(TypeInterval);
    form.SetPrintType(true);
    form.SetIntervalData(log);
    PrintRecorded(form);
    EXPECT_TRUE(dialogs.messages().isEmpty());
    for (int i = 0; i < n; ++i) {
        EXPECT_FLOAT_EQ(form.vtmPrint->ValueY(0, i), samples[i].gas1) << i;
        EXPECT_FLOAT_EQ(form.vtmPrint->ValueY(1, i), samples[i].gas2) << i;
    }
}

TEST_F(PrintRig, PrintedCellsNeverRunIntoTheNextColumn) {
    // Calibration dates in the afternoon are the widest English dates.
    const int32_t history =
        FixtureBuilder(fixture.path())
            .AddHistory({"SN123456789012", "S", "U"}, {rt::MakeDate(2023, 12, 20, 16, 45, 0),
                                                       rt::MakeDate(2023, 11, 28, 22, 45, 59)});
    // Columns the same for every row: each column's texts start at one edge.
    const auto columnsAligned = [&](const QStringList& firstCells) {
        for (const QString& text : firstCells) {
            const auto calls = rec->Texts(text);
            ASSERT_FALSE(calls.empty()) << text.toStdString();
            for (const auto& c : calls)
                EXPECT_DOUBLE_EQ(c.a.x(), calls.front().a.x()) << text.toStdString();
        }
    };
    {
        SCOPED_TRACE("calibration history");
        auto form = Form(TypeCalHistory, history);
        PrintRecorded(*form);
        ASSERT_TRUE(rec);
        EXPECT_EQ(Overlaps(*rec), QStringList());
        columnsAligned({"Before", "After"});
        EXPECT_LE(RightEdge(*rec), rec->ScaleWidth());
    }
    // The list as the calibration history page shows it, dates with their times.
    ui::TextTable list;
    list.rows << QString("No.|SerialNo|UserID|StationID|CH4|OXY|H2S|CO|CH4(vol%)").split('|');
    for (int r = 1; r <= 3; ++r) {
        list.rows << QStringList{QString::number(r), "SN123456789012", "Maintenance", "Station 12"};
        for (int g = 0; g < 5; ++g)
            list.rows.back() << "12/20/2023 4:45:00 PM";
    }
    {
        SCOPED_TRACE("last-calibration list");
        auto form = Form(TypeLastCalibration, 0);
        form->SetTableData(list);
        PrintRecorded(*form);
        ASSERT_TRUE(rec);
        EXPECT_EQ(Overlaps(*rec), QStringList());
        columnsAligned({"SN123456789012", "Maintenance", "Station 12"});
        EXPECT_LE(RightEdge(*rec), rec->ScaleWidth());
    }
    // A list that moving its columns cannot fit takes a smaller font, on every sheet.
    ui::TextTable wide;
    for (int r = 0; r <= 120; ++r) {
        wide.rows << QStringList{QString::number(r)};
        for (int c = 1; c <= 8; ++c)
            wide.rows.back() << QString(18, 'W');
    }
    {
        SCOPED_TRACE("a list too wide");
        auto form = Form(TypeLastCalibration, 0);
        form->SetTableData(wide);
        PrintRecorded(*form);
        ASSERT_TRUE(rec);
        EXPECT_EQ(Overlaps(*rec), QStringList());
        EXPECT_LE(RightEdge(*rec), rec->ScaleWidth());
        // The header row stands again on every further sheet.
        const size_t sheets = rec->Calls(Kind::NewPage).size() + 1;
        EXPECT_GT(sheets, 1u);
        const auto cells = rec->Texts(QString(18, 'W'));
        ASSERT_EQ(cells.size(), 8 * (121 + sheets - 1));
        EXPECT_LT(cells.front().font.pointSizeF(), 9);
        for (const auto& c : cells)
            EXPECT_EQ(c.font.pointSizeF(), cells.front().font.pointSizeF());
    }
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

TEST_F(PrintRig, AlarmGraphPlotsStatusCodesAtTheirLevelsAndALevelThatIsOffAtZero) {
    auto alarm = std::make_shared<clsAlarm>();
    clsHeader& h = alarm->GasInfo();
    h.SetGasFull(0, 100);
    h.SetAlarm(0, 50);
    h.SetWarning(0, -1);  // off: its text is "-----"
    h.SetGasPoint(0, 1);
    const struct {
        float value, plotted;
        const char* flag;
    } samples[] = {{-2, 0, "Norm"},   {5, 5, ""},        {-2, 5, "Norm"},  {-2.5f, 5, "Norm"},
                   {-7, 100, "Over"}, {-3, 0, "Warn"},   {-4, 50, "Alrm"}, {-9, 0, "Fail"},
                   {-14, 0, "CLG"},   {-8, 100, "Cal."}, {-1, 0, ""},      {-0.4f, -0.4f, ""},
                   {40000, 40000, ""}};
    const int n = static_cast<int>(std::size(samples));
    for (int i = 0; i < n; ++i) {
        alarm->SetDateTimes(i, rt::MakeDate(2024, 1, 1).addSecs(i));
        alarm->SetValue(0, i, samples[i].value);
    }
    alarm->SetDataCount(n);
    frmPrint form;
    form.SetDataType(TypeAlarmTrend);
    form.SetPrintType(true);
    form.SetAlarmData(alarm);
    PrintRecorded(form);
    EXPECT_TRUE(dialogs.messages().isEmpty());
    EXPECT_EQ(rec->Calls(Kind::EndDoc).size(), 1u);
    for (int i = 0; i < n; ++i) {
        EXPECT_FLOAT_EQ(form.vtmPrint->ValueY(0, i), samples[i].plotted) << i;
        EXPECT_EQ(form.vtmPrint->EventFlag(0, i), samples[i].flag) << i;
    }
}

TEST_F(PrintRig, PreviewShowsThirtyRowsOnTheFormAndItsButtonPrintsThemAll) {
    auto form = Form(TypeAlarmTrend, fixture.logs().alarmA);
    rec = std::make_shared<ui::RecordingTarget>(9000, 20000);
    form->DrawPreview(*rec);
    EXPECT_EQ(RowsOverSheets(*rec, " (Alarm Trend)", "No", 1.1 * rec->TextHeight("W")), OneTo(30));
    form->show();
    const QSizeF sheet = QPrinter().pageLayout().fullRect().size();
    EXPECT_NEAR(form->height(), form->width() * sheet.height() / sheet.width(), 1);
    EXPECT_NEAR(form->cmdPrint->x(), form->width() * 0.75, 1);
    QDir().mkpath(QV_SCREENSHOT_DIR);
    form->grab().save(QV_SCREENSHOT_DIR "/print_preview.png");
    Record(*form);
    Choose("Office");
    form->cmdPrint->click();
    EXPECT_EQ(RowsOverSheets(*rec, " (Alarm Trend)", "No", 1.1 * rec->TextHeight("W")), OneTo(731));
    EXPECT_FALSE(form->isVisible());
}

TEST_F(PrintRig, CancelIsSilentWhileNothingToPrintAndFailuresAreTold) {
    auto form = Form(TypeInterval, fixture.logs().intervalA0514);
    Record(*form);
    dialogs.AnswerModal([](QDialog&) { return QDialog::Rejected; });
    form->GoPrinter();  // the printer dialog closed
    Choose(ui::PdfEntryName());
    Form(TypePowerEvents, fixture.logs().powerA)->GoPrinter();  // the file dialog cancelled
    EXPECT_FALSE(rec);
    EXPECT_TRUE(dialogs.messages().isEmpty());
    for (int32_t type : {0, 8, 1, 4}) {
        frmPrint empty;  // no record, no table
        empty.SetDataType(type);
        empty.GoPrinter();
    }
    EXPECT_EQ(dialogs.messages(), QStringList(4, "There is nothing to print."));
    EXPECT_EQ(dialogs.asked().size(), 7u);  // no printer dialog for them

    dialogs.clear();
    Choose(ui::PdfEntryName(), "/nonexistent-folder/report.pdf");
    Form(TypePowerEvents, fixture.logs().powerA)->GoPrinter();
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_TRUE(dialogs.messages()[0].startsWith("The report was not printed."));
    EXPECT_FALSE(QFile::exists("/nonexistent-folder/report.pdf"));
}

}  // namespace
}  // namespace qv::test
