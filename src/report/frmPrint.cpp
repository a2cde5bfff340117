// The print form: its print job, page header and preview.
#include "frmPrint.h"

#include "AppError.h"
#include "AppPaths.h"
#include "Dates.h"
#include "FontCopy.h"
#include "PrinterList.h"
#include "PrinterTarget.h"
#include "Questions.h"
#include "Twips.h"
#include "UserAction.h"
#include "UserDialogs.h"
#include "clsAlarm.h"
#include "clsAlarmEvent.h"
#include "clsHistory.h"
#include "clsInterval.h"
#include "clsPowerEvent.h"
#include "clsTroubleEvent.h"
#include "frmSetPrinter.h"
#include "modExport.h"
#include "modGlobals.h"
#include "modMessage.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QPrinter>
#include <QScreen>

namespace qv {

namespace {

QString FailureText(const std::exception& e) {
    if (const auto* app = dynamic_cast<const AppError*>(&e)) return app->text();
    return QString::fromLocal8Bit(e.what());
}

void TellNotPrinted(const std::exception& e) {
    Dialogs().MsgBox(GetMessage(9005, {FailureText(e)}), vbCritical);
}

// The title after the program's name on the page header, by kind.
QString KindTitle(int32_t dataType) {
    static const char* const kTitles[] = {
        " (Interval Trend)", " (Alarm Trend)",   " (Calibration History)", " (Last Calibration)",
        " (Alarm Event)",    " (Trouble Event)", " (Power Event)"};
    if (dataType < 1 || dataType > 7) return QString();
    return QString::fromLatin1(kTitles[dataType - 1]);
}

bool SetsCjk(const QString& family) {
    const QList<QFontDatabase::WritingSystem> systems = QFontDatabase::writingSystems(family);
    for (const auto cjk : {QFontDatabase::Japanese, QFontDatabase::SimplifiedChinese,
                           QFontDatabase::TraditionalChinese, QFontDatabase::Korean})
        if (systems.contains(cjk)) return true;
    return false;
}

// A family of Latin letters only, a common sans one where the machine has it; empty when none.
QString LatinFamily() {
    static const QString found = [] {
        const auto fits = [](const QString& family) {
            return QFontDatabase::writingSystems(family).contains(QFontDatabase::Latin) &&
                   !SetsCjk(family) && QFontDatabase::isSmoothlyScalable(family) &&
                   !QFontDatabase::isFixedPitch(family);
        };
        for (const char* name :
             {"DejaVu Sans", "Liberation Sans", "Noto Sans", "Arial", "Helvetica", "FreeSans"})
            if (QFontDatabase::hasFamily(QString::fromLatin1(name)) &&
                fits(QString::fromLatin1(name)))
                return QString::fromLatin1(name);
        for (const QString& family : QFontDatabase::families(QFontDatabase::Latin))
            if (fits(family)) return family;
        return QString();
    }();
    return found;
}

// The program font for print: where it is a CJK font, Latin runs (digits, identities, dates,
// units) are set in a Latin family ahead of it, for the CJK font's digits that follow letters
// drop out of a PDF's text layer (a serial number could not be searched or copied).
QFont PrintFont(QFont font) {
    if (!SetsCjk(QFontInfo(font).family())) return font;
    const QString latin = LatinFamily();
    if (latin.isEmpty()) return font;
    font.setFamilies(QStringList{latin} + font.families());
    return font;
}

}  // namespace

frmPrint::frmPrint(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(GetMessage(9014));
    picForm = new ui::CanvasWidget(this);
    vtmPrint = new uclVtmGraph(this);
    // Never shown: it only draws on the printer's surface or the form's.
    vtmPrint->hide();
    cmdPrint = new QPushButton(GetMessage(9008), this);
    connect(cmdPrint, &QPushButton::clicked, this, ui::AsUserAction([this] { cmdPrint_Click(); }));
    resize(ui::ToPixelsX(9000), ui::ToPixelsY(12000));
    makeTarget_ = [](QPrinter& printer) -> std::shared_ptr<ui::DrawTarget> {
        // A PDF file is written whole or not at all, never cut short over an older file.
        if (printer.outputFormat() == QPrinter::PdfFormat)
            return std::make_shared<ui::PdfFileTarget>(printer.outputFileName(),
                                                       printer.pageLayout(), printer.resolution());
        return std::make_shared<ui::PrinterTarget>(printer);
    };
    Form_Load();
}

frmPrint::~frmPrint() = default;

// ---- The print job ----------------------------------------------------------------------------

void frmPrint::GoPrinter() {
    if (IsTrend() && printType_ && HasSomethingToPrint()) {
        try {
            SetupTrendGraph();
        } catch (const std::exception& e) {
            TellNotPrinted(e);
            Form_Unload();
            return;
        }
    }
    cmdPrint_Click();
}

bool frmPrint::HasSomethingToPrint() const {
    if (dataType_ == TypeLastCalibration) return tableData_ && tableData_->Rows() > 0;
    if (!RecordHeader()) return false;
    return !IsTrend() || printType_ || tableData_;
}

const clsHeader* frmPrint::RecordHeader() const {
    const clsRecordSet* record = nullptr;
    switch (dataType_) {
        case TypeInterval:
            record = intervalData_.get();
            break;
        case TypeAlarmTrend:
            record = alarmData_.get();
            break;
        case TypeCalHistory:
            record = historyData_.get();
            break;
        case TypeAlarmEvents:
            record = alarmEventData_.get();
            break;
        case TypeTroubleEvents:
            record = troubleData_.get();
            break;
        case TypePowerEvents:
            record = powerData_.get();
            break;
        default:
            break;
    }
    return record ? &record->GasInfo() : nullptr;
}

void frmPrint::cmdPrint_Click() {
    // The form unloads itself however the job ends: closing it (shown or not) runs Form_Unload
    // through closeEvent.
    struct Unload {
        frmPrint& form;
        ~Unload() { form.close(); }
    } unload{*this};

    if (!HasSomethingToPrint()) {
        Dialogs().MsgBox(GetMessage(9004), vbExclamation);
        return;
    }
    const std::optional<QString> chosen =
        frmSetPrinter::ChooseEntry(isVisible() ? this : QApplication::activeWindow());
    if (!chosen) return;
    const QString& entry = *chosen;
    QString pdfFile;
    if (entry == ui::PdfEntryName()) {
        FileDialogRequest request;
        request.Title = entry;
        request.Filter = QStringLiteral("PDF (*.pdf)|*.pdf");
        request.InitDir = SaveFolder();
        request.FileName = JoinPath(request.InitDir, QStringLiteral("Sample.pdf"));
        request.DefaultExt = QStringLiteral("pdf");
        const FileDialogResult file = Dialogs().SaveFile(request);
        if (!file.Accepted || !MayReplaceFile(file.FileName)) return;
        pdfFile = file.FileName;
    }
    ui::SetCurrentPrinter(entry);

    QPrinter printer(QPrinter::HighResolution);
    std::shared_ptr<ui::DrawTarget> target;
    try {
        ui::SelectPrinter(printer, entry, pdfFile);
        // A printer that refuses the orientation prints in its own.
        printer.setPageOrientation(dataType_ == TypeLastCalibration ? QPageLayout::Landscape
                                                                    : QPageLayout::Portrait);
        portrait_ = printer.pageLayout().orientation() == QPageLayout::Portrait;
        target = makeTarget_(printer);
        PrintReport(*target);
        target->EndDoc();
        vtmPrint->SetDrawObj(nullptr);
        if (!pdfFile.isEmpty()) NoteSavedFile(pdfFile);
    } catch (const std::exception& e) {
        vtmPrint->SetDrawObj(nullptr);
        // A document begun is abandoned: no half report is left that looks whole (a PDF file
        // not ended whole never takes the place of the file it was to replace).
        if (printer.printerState() == QPrinter::Active) printer.abort();
        target.reset();
        TellNotPrinted(e);
    }
}

void frmPrint::PrintReport(ui::DrawTarget& target) {
    PrintPageHeader(target);
    const clsHeader* header = RecordHeader();
    if (IsTrend() && printType_) {
        PrintSummary(target, *header);
        // The graph takes the band from 40 % to 85 % of the page's height, 2 % to 97 % of its
        // width, below the header and summary.
        PrintGraph(target, target.ScaleWidth() * 0.02, target.ScaleHeight() * 0.4,
                   target.ScaleWidth() * 0.95, target.ScaleHeight() * 0.45);
        return;
    }
    if (header) PrintSummary(target, *header);
    switch (dataType_) {
        case TypeInterval:
        case TypeAlarmTrend:
            PrintTrendTable(target);
            break;
        case TypeCalHistory:
            PrintCalHistory(target);
            break;
        case TypeLastCalibration:
            PrintLastCalList(target);
            break;
        default:
            PrintEventList(target);
            break;
    }
}

void frmPrint::PrintGraph(ui::DrawTarget& target, double left, double top, double width,
                          double height) {
    vtmPrint->SetDrawLeft(static_cast<float>(left));
    vtmPrint->SetDrawTop(static_cast<float>(top));
    vtmPrint->SetDrawWidth(static_cast<float>(width));
    vtmPrint->SetDrawHeight(static_cast<float>(height));
    vtmPrint->SetDrawObj(&target);
    vtmPrint->Refresh();
}

void frmPrint::PrintPageHeader(ui::DrawTarget& target) {
    target.SetForeColor(0);
    QFont font = target.Font();
    if (target.IsPrinter()) font.setFamilies(this->font().families());
    font.setPointSizeF(12);
    font.setBold(true);
    target.SetFont(font);
    target.SetCurrentX(10);
    target.SetCurrentY(10);
    target.Print(QStringLiteral("QV-4170 Data Logger"), ui::PrintEnd::SameLine);
    target.Print(KindTitle(dataType_), ui::PrintEnd::SameLine);
    font.setPointSizeF(9);
    target.SetFont(font);
    const QString printed = GeneralDate(rt::Now());
    target.SetCurrentX(target.ScaleWidth() - target.TextWidth(printed) - 300);
    target.Print(printed);
    font.setBold(false);
    target.SetFont(font);
}

double frmPrint::FormFontSize() const {
    return font().pointSizeF();
}

void PrintLastCalibrationList(int32_t SeqNo, const ui::TextTable& list) {
    frmPrint form;
    form.SetDataType(TypeLastCalibration);
    form.SetSeqNo(SeqNo);
    form.SetTableData(list);
    form.GoPrinter();
}

// ---- The preview ------------------------------------------------------------------------------

void frmPrint::Form_Load() {
    if (const QScreen* screen = QApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
    redrawAllowed_ = true;
    savedPrinter_ = ui::CurrentPrinter();
    const QFont font = PrintFont(ui::MakeFont(AppFont));
    setFont(font);
    cmdPrint->setFont(font);
    vtmPrint->SetFont(font);
    picForm->Target().SetFont(font);
}

void frmPrint::Form_Activate() {
    if (!IsTrend() && (dataType_ < 3 || dataType_ > 7)) return;
    if (IsTrend() && printType_) {
        vtmPrint->SetDrawObj(&picForm->Target());
        if (HasSomethingToPrint()) SetupTrendGraph();
    } else {
        picForm->update();
    }
}

void frmPrint::Form_Resize() {
    if (windowState() != Qt::WindowNoState || !redrawAllowed_) return;
    redrawAllowed_ = false;
    struct Allow {
        bool& flag;
        ~Allow() { flag = true; }
    } allow{redrawAllowed_};
    // The form takes the proportion of the current printer's sheet.
    QPrinter printer;
    ui::SelectPrinter(printer, ui::CurrentPrinter());
    const QSizeF sheet = printer.pageLayout().fullRect().size();
    if (sheet.width() > 0) resize(width(), qRound(width() * sheet.height() / sheet.width()));
    picForm->setGeometry(rect());
    const double scaleWidth = ui::Width(this);
    ui::Move(cmdPrint, scaleWidth * 3 / 4, 0, scaleWidth / 5, 360);
    cmdPrint->raise();
    picForm->Target().Cls();
    DrawPreview(picForm->Target());
    picForm->update();
}

void frmPrint::DrawPreview(ui::DrawTarget& target) {
    // The report as it prints (the page routines break no pages on the form); without anything
    // to print, the page header alone.
    if (HasSomethingToPrint())
        PrintReport(target);
    else
        PrintPageHeader(target);
}

void frmPrint::Form_Unload() {
    // The printer chosen for this job does not stay current after it.
    if (ui::PrinterChoices().contains(savedPrinter_)) ui::SetCurrentPrinter(savedPrinter_);
}

void frmPrint::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    try {
        Form_Activate();
        Form_Resize();
    } catch (const std::exception& e) {
        Dialogs().MsgBox(FailureText(e), vbCritical);
    }
}

void frmPrint::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (!isVisible()) return;
    try {
        Form_Resize();
    } catch (const std::exception& e) {
        Dialogs().MsgBox(FailureText(e), vbCritical);
    }
}

void frmPrint::closeEvent(QCloseEvent* event) {
    Form_Unload();
    QWidget::closeEvent(event);
}

}  // namespace qv
