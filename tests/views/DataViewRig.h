// Test rig of the data view page on its own: the shared fixture database, scripted dialogs, the
// English catalogue, the window's state the page reaches through its host, and the graph drawn
// on a recording surface.
#pragma once

#include "DataViewPage.h"
#include "DataViewState.h"
#include "FixtureDatabase.h"
#include "RecordingTarget.h"
#include "ScriptedDialogs.h"
#include "Twips.h"
#include "modGlobals.h"
#include "modMessage.h"

#include <gtest/gtest.h>

#include <memory>

namespace qv::test {

class DataViewRig : public ::testing::Test, public DataViewState {
  protected:
    void SetUp() override {
        ResetGlobals();
        fixture_ = std::make_unique<FixtureDatabase>();
        SetCatalogueLanguage(CatalogueLanguage::English);
        ConvFactor = 0.05f;
        page.Bind(ViewHost([this](const QString& tag) { calls << "units " + tag; },
                           [this](int index) {
                               calls << QString("page %1").arg(index);
                               page.LayoutPage();
                           }));
        // The window's layout pass lays out the page on show.
        page.Form_Resize = [this] { page.LayoutPage(); };
        page.SetCaptions();
        page.resize(ui::ToPixelsX(15000), ui::ToPixelsY(9000));
        page.LayoutPage();
        uclVtmGraph& graph = *page.vtmGraph;
        graph.SetDrawObj(&rec);
        graph.SetDrawWidth(12000);
        graph.SetDrawHeight(6000);
    }
    void TearDown() override {
        fixture_.reset();
        FollowSystemLanguage();
        ResetGlobals();
    }

    const FixtureLogs& logs() const { return fixture_->logs(); }
    // Opens a stored log as the stored-data page's Detail does.
    void Open(int32_t kind, int32_t seqNo) {
        CurDataType = kind;
        CurSeqNo = seqNo;
        page.cmdDetail_Click();
    }
    static QStringList Texts(const ui::FlexGrid& grid, int row) {
        QStringList texts;
        for (int c = 0; c < grid.Cols(); ++c)
            texts << grid.TextMatrix(row, c);
        return texts;
    }
    static QString Row(const ui::FlexGrid& grid, int row) { return Texts(grid, row).join(u'|'); }
    static std::vector<int32_t> Colors(const ui::FlexGrid& grid, int row) {
        std::vector<int32_t> colors;
        for (int c = 0; c < grid.Cols(); ++c)
            colors.push_back(grid.CellBackColor(row, c));
        return colors;
    }
    ui::FlexGrid& table() { return *page.vfgBrowse; }
    ui::FlexGrid& summary() { return *page.vfgSummary; }
    uclVtmGraph& graph() { return *page.vtmGraph; }

    std::unique_ptr<FixtureDatabase> fixture_;
    ScriptedDialogs dialogs;
    QStringList calls;
    DataViewPage page;
    ui::RecordingTarget rec{12000, 6000};
};

}  // namespace qv::test
