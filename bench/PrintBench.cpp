// Printing a full interval log's table (4,097 samples) to the PDF entry, as the print job does
// it, beside drawing the same texts and rules with bare QPainter calls on a QPdfWriter. The
// counter "per_page" is the time of one sheet.
#include "Dates.h"
#include "FixtureDatabase.h"
#include "PrinterList.h"
#include "PrinterTarget.h"
#include "RecordingTarget.h"
#include "ScriptedDialogs.h"
#include "WidgetBench.h"
#include "clsInterval.h"
#include "frmPrint.h"
#include "frmSetPrinter.h"
#include "modGlobals.h"
#include "modMessage.h"
#include "modModel.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QPdfWriter>
#include <QPrinter>
#include <cstdlib>

namespace qv {
namespace {

constexpr int kSamples = 4097;

struct Fixture {
    test::ScratchDatabase scratch;
    std::shared_ptr<clsInterval> log;
    ui::TextTable table;
    QString pdf;
    int pages = 0;
    // The job's drawing calls, in twips, as a bare painter replays them.
    std::vector<ui::DrawCall> calls;

    Fixture() {
        int32_t seqNo = 0;
        {
            test::FixtureBuilder b(scratch.path());
            seqNo = b.AddInterval({"SN1001", "ST-1", "Alice"}, "full", rt::MakeDate(2024, 5, 1),
                                  kSamples, 60, 10);
        }
        // A record takes the database path when it is made.
        log = std::make_shared<clsInterval>();
        log->SetSeqNo(seqNo);
        log->ReLoad();
        // The data view's table: header row, then number, date and time and four gas values.
        QStringList head{"No", "Date/Time"};
        for (int g = 0; g < 4; ++g)
            head << GetGasCaption(log.get(), g);
        table.rows << head;
        for (int i = 0; i < log->DataCount(); ++i) {
            QStringList row{QString::number(i + 1), GeneralDate(log->DateTimes(i))};
            for (int g = 0; g < 4; ++g)
                row << log->GasValueForm(g, i);
            table.rows << row;
        }
        pdf = scratch.folder() + QStringLiteral("/report.pdf");
    }

    std::unique_ptr<frmPrint> Form() const {
        auto form = std::make_unique<frmPrint>();
        form->SetDataType(TypeInterval);
        form->SetIntervalData(log);
        form->SetTableData(table);
        return form;
    }
};

Fixture& Shared() {
    static Fixture fixture;
    return fixture;
}

// The job chooses the PDF entry and names a new file: the run before left its file, which the
// job would otherwise ask to replace.
void AnswerPdf(ScriptedDialogs& dialogs, const QString& path) {
    QFile::remove(path);
    dialogs.AnswerModal([](QDialog& d) {
        auto& dialog = dynamic_cast<frmSetPrinter&>(d);
        dialog.cmbList->setCurrentIndex(dialog.cmbList->findText(ui::PdfEntryName()));
        dialog.cmdOK->click();
        return d.result();
    });
    dialogs.AnswerFile({true, path, 1});
}

// Records what the job draws (on the printer's own metrics) and counts its sheets.
void RecordJob(Fixture& f) {
    if (!f.calls.empty()) return;
    ScriptedDialogs dialogs;
    ui::FixedPrinterList printers;
    auto form = f.Form();
    std::unique_ptr<ui::PrinterTarget> page;
    std::shared_ptr<ui::RecordingTarget> rec;
    form->SetTargetMaker([&](QPrinter& p) {
        page = std::make_unique<ui::PrinterTarget>(p);
        rec = std::make_shared<ui::RecordingTarget>(*page);
        return rec;
    });
    AnswerPdf(dialogs, f.pdf);
    form->GoPrinter();
    f.calls = rec->Calls();
    rec.reset();
    page.reset();
    f.pages = 1 + static_cast<int>(std::count_if(f.calls.begin(), f.calls.end(), [](const auto& c) {
                  return c.kind == ui::DrawCall::Kind::NewPage;
              }));
}

void BM_PrintTableToPdf(benchmark::State& state) {
    Fixture& f = Shared();
    RecordJob(f);
    ScriptedDialogs dialogs;
    ui::FixedPrinterList printers;
    for (auto _ : state) {
        auto form = f.Form();
        AnswerPdf(dialogs, f.pdf);
        form->GoPrinter();
    }
    // A job that asked or told anything did not print as timed.
    if (!dialogs.messages().isEmpty() || !QFile::exists(f.pdf))
        state.SkipWithError(
            ("the job failed: " + dialogs.messages().join(u'|')).toStdString().c_str());
    state.counters["pages"] = f.pages;
    state.counters["per_page"] = benchmark::Counter(
        f.pages, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_PrintTableToPdf)->Unit(benchmark::kMillisecond);

// The same texts and rules drawn straight on a PDF writer of the same page and resolution.
void BM_BarePainterPdf(benchmark::State& state) {
    Fixture& f = Shared();
    RecordJob(f);
    QPrinter printer(QPrinter::HighResolution);
    const QPageLayout layout = printer.pageLayout();
    const double k = printer.resolution() / 1440.0;
    using Kind = ui::DrawCall::Kind;
    for (auto _ : state) {
        QPdfWriter writer(f.pdf);
        writer.setResolution(printer.resolution());
        writer.setPageLayout(layout);
        QPainter p(&writer);
        QFont font;
        double ascent = 0;
        for (const ui::DrawCall& c : f.calls) {
            if (c.kind == Kind::Text) {
                if (c.font != font) {
                    font = c.font;
                    p.setFont(font);
                    ascent = QFontMetricsF(font, &writer).ascent();
                }
                p.setPen(QColor(Qt::black));
                p.drawText(QPointF(c.a.x() * k, c.a.y() * k + ascent), c.text);
            } else if (c.kind == Kind::Line) {
                p.setPen(QPen(Qt::black, c.stroke.Width * 4.0));
                p.drawLine(QPointF(c.a.x() * k, c.a.y() * k), QPointF(c.b.x() * k, c.b.y() * k));
            } else if (c.kind == Kind::NewPage) {
                writer.newPage();
            }
        }
        p.end();
    }
    state.counters["pages"] = f.pages;
    state.counters["per_page"] = benchmark::Counter(
        f.pages, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_BarePainterPdf)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qv

int main(int argc, char** argv) {
    return qv::bench::RunWidgetBenchmarks(argc, argv);
}
