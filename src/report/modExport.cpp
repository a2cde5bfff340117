// The export text of a stored log and the proposed name of a saved export.
#include "modExport.h"

#include "AppPaths.h"
#include "Dates.h"
#include "clsAlarm.h"
#include "clsAlarmEvent.h"
#include "clsHeader.h"
#include "clsHistory.h"
#include "clsInterval.h"
#include "clsPowerEvent.h"
#include "clsTroubleEvent.h"
#include "modGasCommon.h"
#include "modGlobals.h"
#include "modMessage.h"
#include "modModel.h"
#include "modViewSupport.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <initializer_list>
#include <type_traits>
#include <vector>

namespace qv {

namespace {

// Separated lines built into one text; every line ends with CR LF.
class ExportText {
  public:
    explicit ExportText(const QString& separator) : sep_(separator) {}

    ExportText& operator<<(const QString& cell) {
        if (open_) text_ += sep_;
        open_ = true;
        if (NeedsQuotes(cell)) {
            text_ += u'"';
            for (QChar c : cell) {
                if (c == u'"') text_ += u'"';
                text_ += c;
            }
            text_ += u'"';
        } else {
            text_ += cell;
        }
        return *this;
    }
    // A row number (1 and up): digits only, so never quoted.
    ExportText& operator<<(int32_t row) {
        if (open_) text_ += sep_;
        open_ = true;
        char16_t digits[10];
        qsizetype n = 10;
        auto rest = static_cast<uint32_t>(row);
        do {
            digits[--n] = static_cast<char16_t>(u'0' + rest % 10);
            rest /= 10;
        } while (rest > 0 && n > 0);
        text_.append(reinterpret_cast<const QChar*>(digits + n), 10 - n);
        return *this;
    }

    void EndLine() {
        text_ += QLatin1String("\r\n");
        open_ = false;
    }
    void Line(std::initializer_list<QString> cells) {
        for (const QString& cell : cells)
            *this << cell;
        EndLine();
    }
    void Reserve(qsizetype chars) { text_.reserve(chars); }
    QString Take() { return std::move(text_); }

  private:
    bool NeedsQuotes(const QString& cell) const {
        const QChar sep = sep_.size() == 1 ? sep_[0] : QChar(u'"');
        for (QChar c : cell)
            if (c == u'"' || c == u'\r' || c == u'\n' || c == sep) return true;
        return sep_.size() > 1 && cell.contains(sep_);
    }

    const QString& sep_;
    QString text_;
    bool open_ = false;
};

QString Caption(const clsHeader& h, int gas) {
    return GetGasCaption(&h, gas);
}

// Value texts of the four trend columns. With the second unit on, the first column stands for
// channel 4: channel 0's value converted and shown with channel 4's decimal places, as the
// views show it; the other columns are never converted.
class TrendCells {
  public:
    explicit TrendCells(const clsHeader& h) : texts_(h) {}
    const QString& Text(int column, float value) {
        return texts_.Text(value, column, column == 0 && ConvEnable);
    }

  private:
    GasValueTexts texts_;
};

void WriteHeader(ExportText& out, const clsHeader& h) {
    static const struct {
        int32_t types;
        const char* title;
    } kTitles[] = {
        {TypeInterval, "QV-4170 Data Sample (Interval Trend)"},
        {TypeAlarmTrend, "QV-4170 Data Sample (Alarm Trend)"},
        {TypeCalHistory, "QV-4170 Data Sample (Calibration Histories)"},
        {TypeAlarmEvents, "QV-4170 Data Sample (Alarm Events)"},
        {TypeTroubleEvents, "QV-4170 Data Sample (Trouble Events)"},
        {TypePowerEvents, "QV-4170 Data Sample (Power Events)"},
    };
    for (const auto& t : kTitles)
        if (t.types == h.Types()) out.Line({QString::fromLatin1(t.title)});
    out.Line({GetMessage(5604), GetMessage(5605)});
    out.Line({GetMessage(5606), h.Names()});

    const bool interval = h.Types() == TypeInterval;
    if (interval || h.Types() == TypeAlarmTrend) {
        out.Line({GetMessage(interval ? 5607 : 5630), GeneralDate(h.Dates())});
        out.Line({GetMessage(5608), h.SerialNo()});
        out.Line({GetMessage(5609), h.StationID()});
        out.Line({GetMessage(5610), h.UserId()});
        out.Line({GetMessage(5611), QString::number(h.DCount())});
        out.Line({GetMessage(5612), QString::number(h.Intervals())});
        if (interval)
            out.Line({QString(), GetMessage(5613), GetMessage(5614), GetMessage(5615)});
        else
            out.Line({h.GasName(0), GetMessage(5617), GetMessage(5618), GetMessage(5619)});

        TrendCells cells(h);
        for (int column = 0; column < 4; ++column) {
            const int gas = ShownChannel(column);
            out << Caption(h, gas);
            if (interval) {
                out << cells.Text(column, h.GasAvr(column)) << cells.Text(column, h.GasMax(column))
                    << cells.Text(column, h.GasMin(column));
            } else if (gas != column) {
                // The second unit has no warning or alarm level of its own to show.
                out << h.GasFullForm(gas) << FormatGasValue(GasNoData, 0)
                    << FormatGasValue(GasNoData, 0);
            } else {
                out << h.GasFullForm(gas) << h.WarnForm(gas) << h.AlarmForm(gas);
            }
            out.EndLine();
        }
    }
    out.EndLine();
}

void WriteTrendTitles(ExportText& out, const clsHeader& h) {
    out << GetMessage(5620) << GetMessage(5621);
    for (int column = 0; column < 4; ++column)
        out << Caption(h, ShownChannel(column));
    out.EndLine();
}

// The interval rows in time order (the data view's rule): an event row shows the sample of
// its moment, when there is one, beside the event's status.
void WriteIntervalRows(ExportText& out, const clsInterval& r) {
    const std::vector<IntervalRow> rows = IntervalRowsInTimeOrder(r);
    // A row of four readings takes about 76 characters.
    out.Reserve(static_cast<qsizetype>(rows.size()) * 80);
    TrendCells cells(r.GasInfo());
    int32_t number = 0;
    for (const IntervalRow& row : rows) {
        out << ++number;
        if (row.event < 0) {
            out << GeneralDate(r.DateTimes(row.sample));
            for (int g = 0; g < 4; ++g)
                out << cells.Text(g, r.GasValue(g, row.sample).toFloat());
        } else {
            out << GeneralDate(r.EventDateTimes(row.event));
            for (int g = 0; g < 4; ++g) {
                const float code = r.GasEvent(g, row.event).toFloat();
                const QString status = cells.Text(g, code);
                if (row.sample < 0) {
                    out << status;
                    continue;
                }
                const QString value = cells.Text(g, r.GasValue(g, row.sample).toFloat());
                out << (code < static_cast<float>(GasNoData) ? status.left(4) + u'(' + value + u')'
                                                             : value);
            }
        }
        out.EndLine();
    }
}

// The rows of the alarm and trouble events: date, the name of the gas or sensor each was stored
// with, short status word.
QString EventText(const MonthlyEventLog& r, const QString& separator, const char* nameTitle) {
    ExportText out(separator);
    WriteHeader(out, r.GasInfo());
    out.Line({QStringLiteral("DateTime"), QString::fromLatin1(nameTitle), QStringLiteral("Event")});
    for (int32_t i = 0; i < r.DataCount(); ++i)
        out.Line({GeneralDate(r.Dates(i)), r.Gas(i).Name, GetStatusWord(r.Events(i))});
    return out.Take();
}

}  // namespace

QString MakeSampleHeader(const clsHeader& header, const QString& separator) {
    ExportText out(separator);
    WriteHeader(out, header);
    return out.Take();
}

QString MakeSampleText(const clsInterval& record, const QString& separator) {
    ExportText out(separator);
    WriteHeader(out, record.GasInfo());
    WriteTrendTitles(out, record.GasInfo());
    WriteIntervalRows(out, record);
    return out.Take();
}

QString MakeSampleText(const clsAlarm& record, const QString& separator) {
    ExportText out(separator);
    const clsHeader& h = record.GasInfo();
    WriteHeader(out, h);
    WriteTrendTitles(out, h);
    TrendCells cells(h);
    for (int i = 0; i < record.DataCount(); ++i) {
        out << i + 1 << GeneralDate(record.DateTimes(i));
        for (int g = 0; g < 4; ++g)
            out << cells.Text(g, record.Value(g, i));
        out.EndLine();
    }
    return out.Take();
}

QString MakeSampleText(const clsHistory& record, const QString& separator) {
    ExportText out(separator);
    WriteHeader(out, record.GasInfo());
    const QString before = GetMessage(5633), after = GetMessage(5634);
    // The column titles again above a calibration stored with other gases than the one before.
    WalkHistory(
        record,
        [&](const QStringList& captions) {
            out << GetMessage(5620) << GetMessage(5621) << QString();
            for (const QString& caption : captions)
                out << caption;
            out.EndLine();
        },
        [&](int i) {
            out << i + 1 << GeneralDate(record.Dates(i)) << before;
            for (int g = 0; g < 5; ++g)
                out << record.BeforeForm(g, i);
            out.EndLine();
            out << QString() << QString() << after;
            for (int g = 0; g < 5; ++g)
                out << record.AfterForm(g, i);
            out.EndLine();
        });
    return out.Take();
}

QString MakeSampleText(const clsAlarmEvent& record, const QString& separator) {
    return EventText(record, separator, "Gas");
}

QString MakeSampleText(const clsTroubleEvent& record, const QString& separator) {
    return EventText(record, separator, "Sensor/System");
}

QString MakeSampleText(const clsPowerEvent& record, const QString& separator) {
    ExportText out(separator);
    WriteHeader(out, record.GasInfo());
    out.Line({QStringLiteral("DateTime"), QStringLiteral("Power")});
    for (int32_t i = 0; i < record.DataCount(); ++i)
        out.Line({GeneralDate(record.Dates(i)),
                  record.Flags(i) ? QStringLiteral("ON") : QStringLiteral("OFF")});
    return out.Take();
}

QString MakeSampleText(int32_t dataType, const ExportRecords& records, const QString& separator) {
    // A record object never created exports as an empty one of its kind.
    const auto text = [&](const auto* record) {
        using Record = std::remove_cv_t<std::remove_pointer_t<decltype(record)>>;
        if (record) return MakeSampleText(*record, separator);
        return MakeSampleText(Record(), separator);
    };
    switch (dataType) {
        case TypeInterval:
            return text(records.CurInterval);
        case TypeAlarmTrend:
            return text(records.CurAlarm);
        case TypeCalHistory:
            return text(records.CurHistory);
        case TypeAlarmEvents:
            return text(records.CurAlarmEvent);
        case TypeTroubleEvents:
            return text(records.CurTroubleEvent);
        case TypePowerEvents:
            return text(records.CurPowerEvent);
        default:
            return QString();
    }
}

QString ProposedExportFile(const QString& lastExportFile, const QString& extension,
                           const QString& folder) {
    if (lastExportFile.isEmpty()) return JoinPath(folder, QStringLiteral("Sample.") + extension);
    const qsizetype nameStart = lastExportFile.lastIndexOf(u'/') + 1;
    const qsizetype dot = lastExportFile.lastIndexOf(u'.');
    if (dot < nameStart) return lastExportFile + u'.' + extension;
    if (lastExportFile.mid(dot + 1).compare(extension, Qt::CaseInsensitive) == 0)
        return lastExportFile;
    return lastExportFile.left(dot + 1) + extension;
}

namespace {
QString lastSaveFolder;
}

QString SaveFolder() {
    return lastSaveFolder.isEmpty() ? QDir::homePath() : lastSaveFolder;
}

void NoteSavedFile(const QString& fileName) {
    lastSaveFolder = fileName.isEmpty() ? QString() : QFileInfo(fileName).absolutePath();
}

}  // namespace qv
