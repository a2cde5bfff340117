// The data view page's set-up by kind, its gas, event, cursor and zoom controls (user actions
// only: values set from code run no handler), the unit menu, a failed set-up, screenshots of the
// table and the graph in both catalogues; then the main window after a download from the
// instrument simulator, a stored log opened by a double click and saved as comma-separated text.
#include "DataViewRig.h"
#include "Dates.h"
#include "InstrumentSimulator.h"
#include "ShellFixture.h"
#include "modGasCommon.h"

#include <QCoreApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QScrollBar>

namespace qv::test {
namespace {

using DataViewControls = DataViewRig;

// The records of an RFC 4180 text (CR LF line ends; a quoted field may hold commas, doubled
// quotes and line breaks).
QList<QStringList> ReadCsv(const QString& text) {
    QList<QStringList> records{{QString()}};
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'"' && quoted && text.mid(i + 1, 1) == "\"") {
            records.back().back() += text[i++];
        } else if (c == u'"') {
            quoted = !quoted;
        } else if (!quoted && c == u',') {
            records.back() << QString();
        } else if (!quoted && text.mid(i, 2) == "\r\n") {
            records << QStringList{QString()};
            ++i;
        } else {
            records.back().back() += c;
        }
    }
    records.removeLast();  // what follows the last line end
    return records;
}

TEST_F(DataViewControls, OpeningSetsTheControlsByKind) {
    int32_t fourSamples = 0;
    {
        FixtureBuilder b(DatabasePath);
        fourSamples = b.AddInterval(FixtureDatabase::A(), "short", rt::MakeDate(2024, 8, 1), 4);
    }
    const struct {
        int32_t kind, seqNo;
        bool graph, eventOnly;
        QStringList zoom;
        const char* title;
    } cases[] = {
        // clang-format off
        {1, logs().intervalA0514, true, true, {"1", "3", "5"}, "Data View(Interval Trend)"},
        {1, logs().intervalB, true, true, {"1"}, "Data View(Interval Trend)"},
        {2, logs().alarmA, true, true, {"1", "3", "5", "10", "20", "30", "50"}, "Data View(Alarm Trend)"},
        {1, fourSamples, false, true, {}, "Data View(Interval Trend)"},
        {3, logs().historyA, false, false, {}, "Data View(Calibration History)"},
        {7, logs().powerB, false, false, {}, "Data View(Power Events)"},
        // clang-format on
    };
    for (const auto& c : cases) {
        page.optBrowse[1]->setChecked(page.optBrowse[1]->isEnabled());  // "Graph" where it can
        calls.clear();
        Open(c.kind, c.seqNo);
        const std::string what = c.title + std::to_string(c.seqNo);
        EXPECT_EQ(calls, QStringList{"page 3"}) << what;
        EXPECT_EQ(page.title(), c.title) << what;
        EXPECT_EQ(page.optBrowse[1]->isEnabled(), c.graph) << what;
        EXPECT_EQ(page.optBrowse[0]->isChecked(), !c.graph) << what;  // else "Graph" stays
        EXPECT_EQ(page.vtmGraph->isHidden(), !c.graph) << what;
        EXPECT_EQ(page.chkEvent->isEnabled(), c.eventOnly) << what;
        EXPECT_TRUE(page.cmdBrowse[3]->isEnabled()) << what;
        if (c.graph) {
            QStringList zoom;
            for (int i = 0; i < page.cmbBrowse->count(); ++i)
                zoom << page.cmbBrowse->itemText(i);
            EXPECT_EQ(zoom, c.zoom) << what;
        }
    }

    // Nothing chosen: a message; the page is not opened.
    calls.clear();
    Open(0, 0);
    EXPECT_TRUE(calls.isEmpty());
    EXPECT_EQ(dialogs.messages(), QStringList{GetMessage(5301)});
    page.ShowDataView();
    EXPECT_FALSE(page.cmdBrowse[0]->isEnabled());
    EXPECT_EQ(page.title(), "Data View");
}

TEST_F(DataViewControls, PlottableSamplesAreReadingsAndOverOfTheEnabledGases) {
    const struct {
        std::array<float, 4> value;  // of every sample
        bool gas2Enabled;
        int count;
    } cases[] = {{{GasOver, 0, 2, 3}, true, 6},
                 // A gas that failed throughout leaves the others to be drawn.
                 {{1, GasFailSensor, 2, 3}, true, 6},
                 {{GasNormal, GasFailSensor, GasNoData, GasCalib}, true, 0},
                 {{GasNormal, GasFailSensor, GasNoData, GasCalib}, false, 0}};
    for (const auto& c : cases) {
        clsInterval r;
        for (int g = 0; g < 4; ++g) {
            r.GasInfo().SetGasEnable(g, g != 1 || c.gas2Enabled);
            for (int i = 0; i < 6; ++i)
                r.AddValue(g, rt::MakeDate(2024, 5, 1, 10, i, 0), c.value[static_cast<size_t>(g)]);
        }
        EXPECT_EQ(DataViewPage::CountValidSamples(r), c.count);
    }
}

TEST_F(DataViewControls, GasEventCursorAndZoomControls) {
    page.show();
    Open(1, logs().intervalA0514);
    page.optBrowse[1]->click();
    uclVtmGraph& g = graph();
    ASSERT_FALSE(g.isHidden());
    // The instrument enables no gas; the log's header enables all four.
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(page.chkBrowse[static_cast<size_t>(i)]->isChecked() &&
                    !page.chkBrowse[static_cast<size_t>(i)]->isHidden());

    page.chkBrowse[1]->setChecked(false);  // from code: no handler
    EXPECT_TRUE(g.SampleVisible(1));
    page.chkBrowse[1]->click();  // ticks it again: shown, its marks with "Event"
    EXPECT_TRUE(g.SampleVisible(1) && g.EventVisible(1));
    page.chkBrowse[1]->click();
    EXPECT_FALSE(g.SampleVisible(1) || g.EventVisible(1));
    page.chkBrowse[4]->click();  // "Event" off: every series' marks, a cleared gas's too
    EXPECT_FALSE(g.EventVisible(0) || g.EventVisible(3) || g.EventVisible(1000));
    page.chkBrowse[4]->click();
    EXPECT_TRUE(g.EventVisible(1) && g.EventVisible(1000));

    page.chkBrowse[5]->click();  // the cursor, moved by the keys
    ASSERT_TRUE(g.CursorVisible());
    EXPECT_TRUE(g.lblMsg->text().startsWith("[10:00:00]"));
    for (int key : {Qt::Key_Right, Qt::Key_Right, Qt::Key_Left}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(g.picGraph, &press);
    }
    EXPECT_TRUE(g.lblMsg->text().startsWith("[10:01:00]"));

    page.cmbBrowse->setCurrentIndex(1);
    emit page.cmbBrowse->activated(1);
    EXPECT_EQ(g.Zoom(), 3);
    EXPECT_FALSE(g.hslWidth->isHidden());
    page.cmbBrowse->clear();  // from code: nothing runs
    page.cmbBrowse_Click();   // with no entry chosen nothing happens
    EXPECT_EQ(g.Zoom(), 3);
    Open(2, logs().alarmA);  // the list is filled anew at zoom 1
    EXPECT_EQ(page.cmbBrowse->currentText(), "1");
    EXPECT_EQ(g.Zoom(), 1);

    page.optBrowse[0]->click();
    EXPECT_TRUE(g.isHidden());
    page.chkEvent->click();  // "Event Only": the table of the events
    Open(1, logs().intervalA0514);
    EXPECT_EQ(table().Rows(), 4);

    // The unit menu of gas 1: a right button on a trend's table or summary.
    calls.clear();
    page.vfgSummary_MouseUp(ui::LeftButton, 0, 100, 100);
    page.vfgBrowse_MouseUp(ui::RightButton, 0, 100, 100);
    Open(5, logs().alarmEventsA);
    page.vfgSummary_MouseUp(ui::RightButton, 0, 100, 100);
    EXPECT_EQ(calls, (QStringList{"units 1", "page 3"}));
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

TEST_F(DataViewControls, AFailedSetUpLeavesAnEmptyPage) {
    Open(1, logs().intervalA0514);
    Database(DatabasePath).execute("Drop Table Interval_Event");
    EXPECT_THROW(page.ShowDataView(), std::exception);
    EXPECT_EQ(table().Rows(), 1);
    EXPECT_EQ(table().TextMatrix(0, 0), "");
    EXPECT_EQ(graph().SampleCount(), 0);
    EXPECT_TRUE(summary().isHidden());
}

TEST_F(DataViewControls, ScreenshotsOfTheTableAndTheGraph) {
    QDir().mkpath(QV_SCREENSHOT_DIR);
    GraphColor = {ui::RGB(255, 255, 0), ui::RGB(0, 128, 255), ui::RGB(128, 64, 64),
                  ui::RGB(255, 0, 0),   ui::RGB(128, 0, 255), 0};
    graph().SetDrawObj(nullptr);
    page.show();
    for (const auto language : {CatalogueLanguage::English, CatalogueLanguage::Japanese}) {
        SetCatalogueLanguage(language);
        page.SetCaptions();
        const QString suffix = language == CatalogueLanguage::English ? "en" : "ja";
        page.optBrowse[0]->click();
        Open(1, logs().intervalA0514);
        page.vfgSummary->show();
        table().SetTopRow(20);
        page.LayoutPage();
        QCoreApplication::processEvents();
        const QString tablePath = QV_SCREENSHOT_DIR "/dataview-table-" + suffix + ".png";
        EXPECT_TRUE(page.grab().save(tablePath, "PNG")) << tablePath.toStdString();
        page.optBrowse[1]->click();
        page.LayoutPage();
        graph().Refresh();
        QCoreApplication::processEvents();
        const QString graphPath = QV_SCREENSHOT_DIR "/dataview-graph-" + suffix + ".png";
        EXPECT_TRUE(page.grab().save(graphPath, "PNG")) << graphPath.toStdString();
    }
}

TEST_F(ShellTest, AStoredLogDownloadedFromTheSimulatorOpensOnADoubleClick) {
    sim::InstrumentSimulator sim;
    QString error;
    ASSERT_TRUE(sim.Start(&error)) << error.toStdString();
    auto main = MakeMain({sim.Path()});
    ASSERT_TRUE(main->Form_Load());
    main->resize(ui::ToPixelsX(15000), ui::ToPixelsY(10000));
    main->show();
    main->Form_Activate();
    ASSERT_TRUE(WaitFor([&] { return main->uclQV4170.Connected(); }));
    main->pageDownload->cmdDown_Click(0);
    main->cmdInst_Click(2);
    BrowserPage& browser = *main->pageBrowser;
    QString category;
    for (const QString& folder : browser.tvwLog->ChildKeys(browser.tvwLog->RootKey()))
        for (const QString& child : browser.tvwLog->ChildKeys(folder))
            if (child.endsWith(" I") && category.isEmpty()) category = child;
    ASSERT_FALSE(category.isEmpty());
    browser.tvwLog_NodeClick(category);
    ASSERT_GT(browser.lvwLog->Count(), 0);

    // A double click on the first stored log, as the mouse gives it.
    ui::KeyedList& list = *browser.lvwLog;
    const QString log = list.Keys().front();
    list.scrollToItem(list.Item(log));
    const QPoint at = list.visualItemRect(list.Item(log)).center();
    const QPoint global = list.viewport()->mapToGlobal(at);
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                    QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, at, global, Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(list.viewport(), &event);
    }
    DataViewPage& view = *main->pageDataView;
    ASSERT_TRUE(view.isVisible());
    EXPECT_FALSE(browser.isVisible());
    EXPECT_EQ(view.vfgBrowse->Rows(),
              1 + main->CurInterval->DataCount() + main->CurInterval->EventCount());
    EXPECT_EQ(view.vfgBrowse->TextMatrix(1, 0), "1");
    EXPECT_TRUE(view.vfgBrowse->isVisible());

    // Saved as "Comma csv", it reads back as CSV: the header block up to an empty record, the
    // column titles, one numbered record of six fields per time of a sample or event, and the
    // empty record of the file's last line end.
    const QString csv = home_.filePath("log.csv");
    dialogs_->AnswerFile({true, csv, 1});
    view.cmdBrowse[2]->click();
    const QList<QStringList> records = ReadCsv(ReadText(csv));
    const qsizetype titles = records.indexOf(QStringList{""}) + 1;
    ASSERT_GT(titles, 3);
    EXPECT_EQ(records[2], (QStringList{"Name", main->CurInterval->GasInfo().Names()}));
    EXPECT_EQ(records[titles].mid(0, 2), (QStringList{"No", "Date/Time"}));
    EXPECT_EQ(records.back(), QStringList{""});
    const QList<QStringList> rows = records.mid(titles + 1, records.size() - titles - 2);
    EXPECT_GE(rows.size(), main->CurInterval->DataCount());
    EXPECT_LE(rows.size(), main->CurInterval->DataCount() + main->CurInterval->EventCount());
    for (qsizetype r = 0; r < rows.size(); ++r)
        EXPECT_EQ(rows[r].size() == 6 ? rows[r][0] : "?", QString::number(r + 1));

    view.optBrowse[1]->click();
    EXPECT_TRUE(view.vtmGraph->isVisible());
    EXPECT_FALSE(view.vfgBrowse->isVisible());
    EXPECT_EQ(view.vtmGraph->SampleCount(), main->CurInterval->DataCount());
    EXPECT_GT(view.vtmGraph->SampleCount(), 5);

    // Opened again with its rows gone from the database: a message, an empty page.
    main->cmdInst_Click(2);
    Database(DatabasePath).execute("Drop Table Interval_Data");
    const qsizetype before = dialogs_->messages().size();
    browser.cmdDetail->click();
    EXPECT_EQ(dialogs_->messages().size(), before + 1);
    EXPECT_TRUE(browser.isVisible());
    EXPECT_EQ(view.vtmGraph->SampleCount(), 0);
    main->Form_Unload();
}

}  // namespace
}  // namespace qv::test
