// The export text of a stored log: its header block and the rows of its kind as separated text
// with CR LF line ends, for the clipboard and for saved files; and the name and folder a save
// proposes.
#pragma once

#include <QString>
#include <cstdint>

namespace qv {

class clsAlarm;
class clsAlarmEvent;
class clsHeader;
class clsHistory;
class clsInterval;
class clsPowerEvent;
class clsTroubleEvent;

// A cell that holds the separator, a double quote, CR or LF is wrapped in double quotes with
// its inner quotes doubled, so that a reader still finds every cell; all other cells are
// written as they are, leading blanks included.
QString MakeSampleHeader(const clsHeader& header, const QString& separator);

// The whole export of one record object: its header block, then its rows.
QString MakeSampleText(const clsInterval& record, const QString& separator);
QString MakeSampleText(const clsAlarm& record, const QString& separator);
QString MakeSampleText(const clsHistory& record, const QString& separator);
QString MakeSampleText(const clsAlarmEvent& record, const QString& separator);
QString MakeSampleText(const clsTroubleEvent& record, const QString& separator);
QString MakeSampleText(const clsPowerEvent& record, const QString& separator);

// The main window's loaded record objects; one that was never created is null and exports as
// an empty record of its kind.
struct ExportRecords {
    const clsInterval* CurInterval = nullptr;
    const clsAlarm* CurAlarm = nullptr;
    const clsHistory* CurHistory = nullptr;
    const clsAlarmEvent* CurAlarmEvent = nullptr;
    const clsTroubleEvent* CurTroubleEvent = nullptr;
    const clsPowerEvent* CurPowerEvent = nullptr;
};
// The export of the record of kind `dataType`; the empty text for no kind (0) or a kind that
// is never stored.
QString MakeSampleText(int32_t dataType, const ExportRecords& records, const QString& separator);

// The file name a save proposes: "Sample.<extension>" in `folder` when nothing was saved yet;
// else the last saved name, whose suffix (after the last dot of its file name, compared
// case-blind) becomes `extension`, or gets it appended when the file name has no dot.
QString ProposedExportFile(const QString& lastExportFile, const QString& extension,
                           const QString& folder);

// The folder a save dialog for an export or a PDF starts in: the folder of the file last saved
// by either in this run, the user's home folder before the first. NoteSavedFile records a file
// once it is saved; an empty name forgets the folder.
QString SaveFolder();
void NoteSavedFile(const QString& fileName);

}  // namespace qv
