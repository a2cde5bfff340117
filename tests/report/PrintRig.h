// Print jobs on the shared fixture database: logs loaded as the data views load them with the
// data view's table texts, scripted printer and file dialogs, a fixed clock and a Latin font
// (CJK digits do not come back out of a PDF).
#pragma once

#include "FixtureDatabase.h"
#include "PrinterChoice.h"
#include "PrinterList.h"
#include "RecordingTarget.h"
#include "ScriptedDialogs.h"
#include "frmPrint.h"
#include "frmSetPrinter.h"

#include "Dates.h"
#include "clsAlarm.h"
#include "clsAlarmEvent.h"
#include "clsHistory.h"
#include "clsInterval.h"
#include "clsPowerEvent.h"
#include "clsTroubleEvent.h"
#include "modExport.h"
#include "modGlobals.h"
#include "modMessage.h"
#include "modModel.h"

#include <gtest/gtest.h>
#include <QPrinter>
#include <algorithm>
#include <map>

namespace qv::test {

using Kind = ui::DrawCall::Kind;

class PrintRig : public ::testing::Test {
  protected:
    struct FixedNow : rt::Clock {
        QDateTime now() const override { return rt::MakeDate(2024, 7, 2, 9, 30, 0); }
    };

    FixtureDatabase fixture;
    ScriptedDialogs dialogs;
    ui::FixedPrinterList printers{{"Office", "Lab"}, "Lab"};
    std::shared_ptr<ui::RecordingTarget> rec;

    void SetUp() override {
        rt::SetClock(std::make_shared<FixedNow>());
        SetCatalogueLanguage(CatalogueLanguage::English);
        AppFont.Name = "DejaVu Sans";
        AppFont.Size = 9;
        PrtWidth = {4, 1, 0};
        GraphColor = {0xFF0000, 0x00A000, 0x4040A0, 0xFF0080, 0, 0};
        NoteSavedFile({});
    }
    void TearDown() override {
        NoteSavedFile({});
        ResetGlobals();
        FollowSystemLanguage();
        rt::SetClock(nullptr);
    }

    // The printer dialog chooses the entry of that name; for the PDF entry the save dialog
    // answers `pdf`, or is cancelled when none is given.
    void Choose(const QString& entry, const QString& pdf = {}) {
        ChoosePrinterEntry(dialogs, entry);
        if (entry == ui::PdfEntryName())
            dialogs.AnswerFile(pdf.isEmpty() ? FileDialogResult{} : FileDialogResult{true, pdf, 1});
    }

    // A fresh form for a stored log of the kind, loaded as the data view loads it; a trend comes
    // with the data view's table (header row, then number, date and time, four gas values).
    std::unique_ptr<frmPrint> Form(int32_t type, int32_t seqNo, bool graph = false) {
        auto f = std::make_unique<frmPrint>();
        f->SetDataType(type);
        f->SetSeqNo(seqNo);
        f->SetPrintType(graph);
        const auto load = [&](auto record) {
            record->SetSeqNo(seqNo);
            record->ReLoad();
            return record;
        };
        const auto table = [&](const auto& r, auto value) {
            ui::TextTable t;
            t.rows << QStringList{"No", "Date/Time"};
            for (int g = 0; g < 4; ++g)
                t.rows[0] << GetGasCaption(&r, g);
            for (int i = 0; i < r.DataCount(); ++i) {
                t.rows << QStringList{QString::number(i + 1), GeneralDate(r.DateTimes(i))};
                for (int g = 0; g < 4; ++g)
                    t.rows.back() << value(g, i);
            }
            f->SetTableData(t);
        };
        if (type == TypeInterval) {
            f->SetIntervalData(load(std::make_shared<clsInterval>()));
            const clsInterval& r = *f->IntervalData();
            table(r, [&](int g, int i) { return r.GasValueForm(g, i); });
        } else if (type == TypeAlarmTrend) {
            f->SetAlarmData(load(std::make_shared<clsAlarm>()));
            const clsAlarm& r = *f->AlarmData();
            table(r, [&](int g, int i) { return r.ValueForm(g, i); });
        } else if (type == TypeCalHistory) {
            f->SetHistoryData(load(std::make_shared<clsHistory>()));
        } else if (type == TypeAlarmEvents) {
            f->SetAlarmEventData(load(std::make_shared<clsAlarmEvent>()));
        } else if (type == TypeTroubleEvents) {
            f->SetTroubleData(load(std::make_shared<clsTroubleEvent>()));
        } else if (type == TypePowerEvents) {
            f->SetPowerData(load(std::make_shared<clsPowerEvent>()));
        }
        return f;
    }

    // The job draws on a recording surface of the printable area of the printer it set up.
    void Record(frmPrint& form) {
        form.SetTargetMaker([this](QPrinter& printer) {
            const QRectF area = printer.pageLayout().paintRect(QPageLayout::Point);
            rec =
                std::make_shared<ui::RecordingTarget>(area.width() * 20, area.height() * 20, true);
            return rec;
        });
    }
    void PrintRecorded(frmPrint& form) {
        Record(form);
        Choose("Office");
        form.GoPrinter();
    }
    // Texts of one sheet and line that run into the next text on that line, as "a|b".
    static QStringList Overlaps(const ui::RecordingTarget& target) {
        QStringList out;
        std::map<std::pair<int, double>, std::vector<ui::DrawCall>> lines;
        int sheet = 0;
        for (const ui::DrawCall& c : target.Calls()) {
            if (c.kind == Kind::NewPage) ++sheet;
            if (c.kind == Kind::Text) lines[{sheet, c.a.y()}].push_back(c);
        }
        ui::RecordingTarget measure(1, 1);
        for (auto& [at, texts] : lines) {
            std::sort(texts.begin(), texts.end(),
                      [](const auto& l, const auto& r) { return l.a.x() < r.a.x(); });
            for (size_t i = 1; i < texts.size(); ++i) {
                measure.SetFont(texts[i - 1].font);
                if (texts[i - 1].a.x() + measure.TextWidth(texts[i - 1].text) >
                    texts[i].a.x() + 0.01)
                    out << texts[i - 1].text + "|" + texts[i].text;
            }
        }
        return out;
    }
    // The right edge of the widest line.
    static double RightEdge(const ui::RecordingTarget& target) {
        double right = 0;
        ui::RecordingTarget measure(1, 1);
        for (const ui::DrawCall& c : target.Calls(Kind::Text)) {
            measure.SetFont(c.font);
            right = std::max(right, c.a.x() + measure.TextWidth(c.text));
        }
        return right;
    }
    QStringList Texts() const {
        QStringList out;
        for (const auto& c : rec->Calls(Kind::Text))
            out << c.text;
        return out;
    }
};

}  // namespace qv::test
