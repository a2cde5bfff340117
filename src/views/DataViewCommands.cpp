// The data view page's print, copy, export and summary commands: the log on show as its export
// text (table chosen) or as the graph's picture (graph chosen), printed, put on the clipboard or
// saved to a file.
#include "DataViewPage.h"

#include "AppError.h"
#include "AppPaths.h"
#include "AtomicFile.h"
#include "Questions.h"
#include "TextTable.h"
#include "Twips.h"
#include "UserDialogs.h"
#include "clsAlarm.h"
#include "clsAlarmEvent.h"
#include "clsHistory.h"
#include "clsInterval.h"
#include "clsPowerEvent.h"
#include "clsTroubleEvent.h"
#include "frmPrint.h"
#include "modExport.h"
#include "modGlobals.h"
#include "modMessage.h"

#include <QBuffer>
#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>

namespace qv {

namespace {

QImage GraphPicture(uclVtmGraph& graph) {
    QImage picture = graph.Picture();
    if (picture.isNull()) throw AppError(ErrInvalidCall, GetMessage(9006));
    return picture;
}

}  // namespace

void DataViewPage::cmdBrowse_Click(int Index) {
    switch (Index) {
        case 0:
            PrintLog();
            break;
        case 1:
            CopyLog();
            break;
        case 2:
            if (!ExportLog()) return;
            break;
        case 3:
            vfgSummary->setVisible(vfgSummary->isHidden());
            Form_Resize();
            break;
        default:
            return;
    }
    if (ui::IsShown(vtmGraph)) {
        vtmGraph->Refresh();
        vtmGraph->picGraph->setFocus();
    }
}

void DataViewPage::PrintLog() {
    // A fresh form per job: nothing of an earlier job carries over.
    frmPrint form;
    form.SetPrintType(GraphChosen());
    const int32_t kind = host_->CurDataType;
    form.SetDataType(kind);
    form.SetSeqNo(host_->CurSeqNo);
    switch (kind) {
        case TypeInterval:
            form.SetIntervalData(host_->CurInterval);
            break;
        case TypeAlarmTrend:
            form.SetAlarmData(host_->CurAlarm);
            break;
        case TypeCalHistory:
            form.SetHistoryData(host_->CurHistory);
            break;
        case TypeAlarmEvents:
            form.SetAlarmEventData(host_->CurAlarmEvent);
            break;
        case TypeTroubleEvents:
            form.SetTroubleData(host_->CurTroubleEvent);
            break;
        case TypePowerEvents:
            form.SetPowerData(host_->CurPowerEvent);
            break;
        default:
            break;
    }
    form.SetTableData(ui::GridTexts(*vfgBrowse));
    // The print form tells the user itself when the job fails.
    form.GoPrinter();
}

QString DataViewPage::SampleText(const QString& separator) const {
    const ExportRecords records{host_->CurInterval.get(),     host_->CurAlarm.get(),
                                host_->CurHistory.get(),      host_->CurAlarmEvent.get(),
                                host_->CurTroubleEvent.get(), host_->CurPowerEvent.get()};
    return MakeSampleText(host_->CurDataType, records, separator);
}

QByteArray DataViewPage::GraphBitmap() {
    const QImage picture = GraphPicture(*vtmGraph);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !picture.save(&buffer, "BMP"))
        throw AppError(ErrInvalidCall, GetMessage(9026));
    return bytes;
}

void DataViewPage::ReplaceClipboard(const std::function<std::unique_ptr<QMimeData>()>& build) {
    std::unique_ptr<QMimeData> data = build();
    QGuiApplication::clipboard()->setMimeData(data.release());
}

void DataViewPage::CopyLog() {
    ReplaceClipboard([this] {
        auto data = std::make_unique<QMimeData>();
        if (GraphChosen())
            data->setImageData(GraphPicture(*vtmGraph));
        else
            data->setText(SampleText(QStringLiteral("\t")));
        return data;
    });
}

bool DataViewPage::ExportLog() {
    const bool graph = GraphChosen();
    FileDialogRequest request;
    request.Filter = GetMessage(graph ? 5712 : 5701);
    request.FilterIndex = 1;
    // The last export's name with the view's suffix, in the folder last saved to (a PDF printed
    // since the last export moves it).
    const QString proposed = ProposedExportFile(
        host_->ExportFileName, graph ? QStringLiteral("bmp") : QStringLiteral("csv"), QString());
    request.InitDir = SaveFolder();
    request.FileName = JoinPath(request.InitDir, QFileInfo(proposed).fileName());
    const FileDialogResult chosen = Dialogs().SaveFile(request);
    if (!chosen.Accepted || chosen.FileName.isEmpty()) return false;
    if (!MayReplaceFile(chosen.FileName)) return true;
    // Everything is built before the file is touched, and the old file is replaced only once
    // the new one is whole.
    if (graph) {
        WriteFileAtomically(chosen.FileName, GraphBitmap());
    } else {
        const QString separator =
            chosen.FilterIndex == 2 ? QStringLiteral("\t") : QStringLiteral(",");
        WriteTextAtomically(chosen.FileName, SampleText(separator) + QStringLiteral("\r\n"));
    }
    host_->ExportFileName = chosen.FileName;
    NoteSavedFile(chosen.FileName);
    return true;
}

}  // namespace qv
