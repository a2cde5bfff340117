// Settings file reader and writer.
#include "modSettings.h"

#include "AppError.h"
#include "AppPaths.h"
#include "AtomicFile.h"
#include "Dates.h"
#include "Runtime.h"
#include "clsToken.h"
#include "modGlobals.h"
#include "modMessage.h"
#include "modModel.h"
#include "modScrambler.h"

#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSet>
#include <QStringList>
#include <QTextStream>
#include <QUrl>
#include <cmath>
#include <optional>

namespace qv {

namespace {

const QString kTab = QStringLiteral("\t");

// The comment line that names the file's maker, and the one that files written before texts
// were kept on lines of their own carried: in those, every value that began with "%" was the
// percent-encoding of the text.
const QString kMakerLine = QStringLiteral(";       Maintained by the QV-4170 station utility (2).");
const QString kEncodedMakerLine =
    QStringLiteral(";       Maintained by the QV-4170 station utility.");
// The key of a line that carries one value of the key line before it exactly: the value's token
// number, then "%" and the value's percent-encoded UTF-8. The reader of the file format skips
// it as an unknown key.
const QString kExactKey = QStringLiteral("Exact Text");

// One value of a key line as it is written. A text the line cannot hold (a "'" or a line break
// in it) is written there with blanks in their place, and exactly on a line of its own.
struct Field {
    Field(QString text) : token(std::move(text)) {}  // NOLINT: plain values convert
    QString token;
    std::optional<QString> exact;
};

// A text value: between "'" where the file quotes it, or where TAB, ";", a comma (the separator
// of a line typed without TABs) or nothing at all would otherwise change the line's tokens.
Field TextField(const QString& text, bool quoted) {
    static const QRegularExpression unholdable(QStringLiteral("['\\r\\n]"));
    static const QRegularExpression separators(QStringLiteral("[\\t;,]"));
    QString line = text;
    line.replace(unholdable, QStringLiteral(" "));
    // Blanks at either end are kept only between quotes: the reader drops them elsewhere.
    const bool blankEnds = !line.isEmpty() && (line.front().isSpace() || line.back().isSpace());
    if (quoted || line.isEmpty() || blankEnds || line.contains(separators))
        line = QStringLiteral("'") + line + QStringLiteral("'");
    Field f(line);
    if (text.contains(unholdable)) f.exact = text;
    return f;
}

QString Bool(bool v) {
    return v ? QStringLiteral("True") : QStringLiteral("False");
}
QString BoolUpper(bool v) {
    return v ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
}
QString Single(float v) {
    return rt::SingleText(v);
}

// The values of one key line; a value the line does not carry leaves its setting alone. A value
// that cannot be used as written is noted, so that the line can be named.
class Values {
  public:
    Values(const QStringList& tokens, bool encoded) : t_(tokens), encoded_(encoded) {}
    bool Has(int i) const { return i < t_.size(); }
    QString Text(int i) const {
        const QString& token = Token(i);
        if (encoded_ && token.startsWith(u'%'))
            return QUrl::fromPercentEncoding(token.mid(1).toLatin1());
        return token;
    }
    bool Bool(int i) const { return Token(i).toUpper() == QLatin1String("TRUE"); }
    // Numbers: not a number gives the default; out of range raises, and Apply skips the value.
    int16_t Int(int i, int16_t def) const { return Num(i) ? rt::CInt(Token(i)) : Default(def); }
    int32_t Long(int i, int32_t def) const { return Num(i) ? rt::CLng(Token(i)) : Default(def); }
    float Sng(int i, float def) const { return Num(i) ? rt::CSng(Token(i)) : Default(def); }
    bool Num(int i) const { return rt::IsNumeric(Token(i)); }

    // Sets one value; one that cannot be used leaves its setting as it was.
    template <class F>
    void Apply(int i, F&& set) const {
        if (!Has(i)) return;
        try {
            set();
        } catch (const AppError&) {
            unused_ = true;
        }
    }
    // The line, or one of its values, could not be used as written.
    void Unused() const { unused_ = true; }
    bool AllUsed() const { return !unused_; }

  private:
    QString Token(int i) const { return t_.value(i); }
    template <class T>
    T Default(T def) const {
        unused_ = true;
        return def;
    }

    const QStringList& t_;
    bool encoded_;
    mutable bool unused_ = false;
};

// The number of a channel or catalogue entry from 1 to `last`, as an index; nothing when the
// value is no such number.
std::optional<int> Index(const Values& v, int i, int last) {
    if (!v.Num(i)) return std::nullopt;
    const double n = rt::ToDouble(v.Text(i));
    if (!(std::abs(n) < 32767)) return std::nullopt;
    const int index = rt::CInt(n) - 1;
    if (index < 0 || index >= last) return std::nullopt;
    return index;
}

void ApplyGasInst(const Values& v) {
    const std::optional<int> index = Index(v, 1, 6);
    if (!index) return v.Unused();
    const int channel = *index;
    clsInstrument& inst = *DefaultInstrument();
    const size_t c = static_cast<size_t>(channel);
    v.Apply(2, [&] { inst.SetGasName(channel, v.Text(2)); });
    v.Apply(3, [&] { inst.SetGasEnabled(channel, v.Bool(3)); });
    v.Apply(4, [&] { GasLocked[c] = v.Bool(4); });
    v.Apply(5, [&] { inst.SetGasPoint(channel, v.Int(5, 0)); });
    v.Apply(6, [&] { inst.SetGasUnit(channel, v.Text(6)); });
    v.Apply(7, [&] { inst.SetWarning(channel, v.Sng(7, 0)); });
    v.Apply(8, [&] { inst.SetAlarm(channel, v.Sng(8, 0)); });
    v.Apply(9, [&] { inst.SetStel(channel, v.Sng(9, 0)); });
    v.Apply(10, [&] { inst.SetTwa(channel, v.Sng(10, 0)); });
    v.Apply(11, [&] { inst.SetGasDesit(channel, v.Sng(11, 0)); });
    v.Apply(12, [&] { inst.SetGasFullScale(channel, v.Sng(12, 0)); });
    v.Apply(13, [&] { inst.SetAutoCalib(channel, v.Sng(13, 0)); });
    v.Apply(14, [&] { inst.SetZero(channel, v.Int(14, 0)); });
    v.Apply(15, [&] { FactAutoCal[c] = v.Sng(15, 0); });
    v.Apply(16, [&] { GraphColor[c] = v.Long(16, 0); });
}

void ApplyChgGas(const Values& v) {
    const std::optional<int> slot = Index(v, 1, 6);
    const std::optional<int> alternative = Index(v, 2, 9);
    if (!slot || !alternative) return v.Unused();
    const int g = *slot;
    const int a = *alternative;
    GasDefinition& d = GasTable[static_cast<size_t>(g)][static_cast<size_t>(a)];
    v.Apply(3, [&] { d.Name = v.Text(3); });
    v.Apply(4, [&] { d.Enabled = v.Bool(4); });
    v.Apply(5, [&] { d.Locked = v.Bool(5); });
    v.Apply(6, [&] { d.Points = v.Int(6, 0); });
    v.Apply(7, [&] { d.Unit = v.Text(7); });
    v.Apply(8, [&] { d.Warning = v.Sng(8, 0); });
    v.Apply(9, [&] { d.Alarm = v.Sng(9, 0); });
    v.Apply(10, [&] { d.Stel = v.Sng(10, 0); });
    v.Apply(11, [&] { d.Twa = v.Sng(11, 0); });
    v.Apply(12, [&] { d.Desit = v.Sng(12, 0); });
    v.Apply(13, [&] { d.FullScale = v.Sng(13, 0); });
    v.Apply(14, [&] { d.AutoCal = v.Sng(14, 0); });
    v.Apply(15, [&] { d.TailZero = v.Int(15, 0) != 0; });
}

void ApplyLine(const QString& key, const Values& v) {
    clsInstrument& inst = *DefaultInstrument();
    MainFormSettings& form = MainForm();
    if (key == QLatin1String("EXECUTE COUNT")) {
        v.Apply(1, [&] { ExecuteCount = v.Long(1, 0); });
    } else if (key == QLatin1String("SERIAL LOG FILE")) {
        v.Apply(1, [&] { SerialLogOn = v.Text(1).toUpper() == QLatin1String("ON"); });
    } else if (key == QLatin1String("IRCOMM NUM")) {
        v.Apply(1, [&] { CommPortNo = v.Int(1, 4); });
    } else if (key == QLatin1String("AUTO LOAD MODE")) {
        v.Apply(1, [&] { AutoCalibMode = v.Bool(1); });
        v.Apply(2, [&] { AutoLoad = v.Bool(2); });
        v.Apply(3, [&] { AutoRemoveData = v.Bool(3); });
    } else if (key == QLatin1String("FONT")) {
        v.Apply(1, [&] { AppFont.Name = v.Text(1); });
        v.Apply(2, [&] { AppFont.Size = v.Sng(2, 9); });
        v.Apply(3, [&] { AppFont.Bold = v.Bool(3); });
        v.Apply(4, [&] { AppFont.Italic = v.Bool(4); });
        v.Apply(5, [&] { AppFont.Underline = v.Bool(5); });
    } else if (key == QLatin1String("GRAPH COLOR")) {
        v.Apply(1, [&] { form.ScaleColor = v.Long(1, 1); });
        v.Apply(2, [&] { form.BackColor = v.Long(2, 15790320); });
        v.Apply(3, [&] { form.CursorColor = v.Long(3, 16728128); });
    } else if (key == QLatin1String("LIMITDAYS")) {
        v.Apply(1, [&] { LimitDays = v.Int(1, 0); });
    } else if (key == QLatin1String("CALIB. RANGE")) {
        for (int i = 1; i <= 5; ++i)
            v.Apply(i, [&] { CalibRange[static_cast<size_t>(i - 1)] = v.Int(i, 0); });
    } else if (key == QLatin1String("DEFAULTVALUE1")) {
        v.Apply(1, [&] { inst.SetCalLimit(v.Int(1, 90)); });
        v.Apply(2, [&] { inst.SetLcdBackLight(v.Int(2, 30)); });
        v.Apply(3, [&] { inst.SetLcdContrast(v.Int(3, 8)); });
        v.Apply(4, [&] { inst.SetHcMode(v.Int(4, 0)); });
        v.Apply(5, [&] { inst.SetAlarmMode(v.Int(5, 1)); });
        v.Apply(6, [&] { inst.SetIntervals(v.Int(6, 5)); });
        v.Apply(7, [&] { inst.SetDispID(v.Bool(7)); });
        v.Apply(8, [&] { inst.SetDispCalLimit(v.Bool(8)); });
        v.Apply(9, [&] { inst.SetCalCheck(v.Int(9, 0)); });
    } else if (key == QLatin1String("DEFAULTVALUE2")) {
        v.Apply(1, [&] { inst.SetLunchBreak(v.Int(1, 0)); });
        v.Apply(2, [&] { inst.SetConfermation(v.Int(2, 0)); });
        v.Apply(3, [&] { inst.SetAlarmSilence(v.Int(3, 1)); });
        v.Apply(4, [&] { inst.SetLogOverWrite(v.Int(4, 1)); });
        v.Apply(5, [&] { inst.SetFlowValue(v.Int(5, 128)); });
    } else if (key == QLatin1String("GAS INST")) {
        ApplyGasInst(v);
    } else if (key == QLatin1String("CONV PARAM")) {
        v.Apply(1, [&] { ConvFactor = v.Sng(1, 0.2f); });
        v.Apply(2, [&] { ConvEnable = v.Bool(2); });
    } else if (key == QLatin1String("GASCOMB")) {
        const QString letters = v.Text(1);
        if (!v.Has(1) || letters.size() != 32) return v.Unused();
        for (int k = 0; k < 32; ++k)
            GasComb[static_cast<size_t>(k)] = letters[k] == u'T';
    } else if (key == QLatin1String("CHGGAS")) {
        ApplyChgGas(v);
    } else if (key == QLatin1String("CALUNITONWAIT")) {
        v.Apply(1, [&] { CalUnitOnWait = v.Int(1, 120); });
    } else if (key == QLatin1String("CALSPANONWAIT")) {
        v.Apply(1, [&] { CalSpanOnWait = v.Int(1, 120); });
    } else if (key == QLatin1String("CALSPANOFFWAIT")) {
        v.Apply(1, [&] { CalSpanOffWait = v.Int(1, 30); });
    } else if (key == QLatin1String("DATA SELECT")) {
        for (int i = 1; i <= 3; ++i)
            v.Apply(i, [&] { form.chkLog[static_cast<size_t>(i - 1)] = v.Bool(i) ? 1 : 0; });
    } else if (key == QLatin1String("SIZE VALUES")) {
        v.Apply(1, [&] { form.WindowState = v.Int(1, 1); });
        v.Apply(2, [&] { form.Width = v.Sng(2, 7680); });
        v.Apply(3, [&] { form.Height = v.Sng(3, 5760); });
    } else if (key == QLatin1String("PRT WIDTH")) {
        v.Apply(1, [&] { PrtWidth[0] = v.Sng(1, 1); });
        v.Apply(2, [&] { PrtWidth[1] = v.Sng(2, 1); });
    } else if (key == QLatin1String("ATCOMMANDVERSION")) {
        v.Apply(1, [&] { AtCommandVersion = v.Long(1, 0); });
    } else if (key == QLatin1String("QV-4170")) {
        v.Apply(1, [&] { UserPassword = DecodeText(DecodeText(v.Text(1))); });
    } else if (key == QLatin1String("DATALOCATION")) {
        v.Apply(1, [&] { DataLocation = v.Text(1); });
    } else if (key != QLatin1String("COMM SETTINGS")) {
        // Written and never read, that key is no mistake; any other unknown key may be one.
        v.Unused();
    }
}

// The line with the blanks removed that stand at either end of a value outside quotes, so that
// every value reads without them and a blank after a quoted text makes no value of its own.
QString WithoutValueBlanks(const QString& line, QChar separator) {
    QString out;
    QString blanks;
    bool quoted = false;
    bool valueStart = true;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted) {
            out += c;
            quoted = c != u'\'';
        } else if (c == separator) {
            blanks.clear();
            out += c;
            valueStart = true;
        } else if (c.isSpace()) {
            if (!valueStart) blanks += c;
        } else if (c == u';') {
            return out + blanks + line.mid(i);
        } else {
            out += blanks + c;
            blanks.clear();
            quoted = c == u'\'';
            valueStart = false;
        }
    }
    return out;
}

// The tokens of one line as the reader takes them. Values are separated by TABs; a line without
// a TAB, as one is typed by hand after the file's own header ("Delimiter is tab,comma"), by
// commas. A comma on a line with TABs is part of its value.
QStringList LineTokens(const QString& line) {
    const QChar separator = line.contains(u'\t') ? u'\t' : u',';
    clsToken token;
    token.AddComments(QStringLiteral(";"));
    token.AddDelimiters(QString(separator));
    token.AddStrings(QStringLiteral("'"));
    token.SetSource(WithoutValueBlanks(line, separator));
    QStringList tokens;
    for (int i = 0; i < token.TokenCount(); ++i)
        tokens << token.Tokens(i);
    return tokens;
}

// What one line is to the reader: nothing (a comment or an empty line), an exact-text line, or a
// key line with the name that tells it from the file's other lines ("GAS INST#0" for channel 1);
// a key line whose channel or entry number is no such number has no name.
struct LineKind {
    bool keyLine = false;
    bool exact = false;
    QString id;
};

LineKind KindOf(const QString& line) {
    const QStringList tokens = LineTokens(line);
    if (tokens.isEmpty()) return {};
    const QString key = tokens[0].toUpper();
    if (key == kExactKey.toUpper()) return {true, true, {}};
    const Values v(tokens, false);
    const auto numbered = [&](std::initializer_list<std::pair<int, int>> entries) {
        QString id = key;
        for (const auto& [token, last] : entries) {
            const std::optional<int> index = Index(v, token, last);
            if (!index) return LineKind{true, false, {}};
            id += u'#' + QString::number(*index);
        }
        return LineKind{true, false, id};
    };
    if (key == QLatin1String("GAS INST")) return numbered({{1, 6}});
    if (key == QLatin1String("CHGGAS")) return numbered({{1, 6}, {2, 9}});
    return {true, false, key};
}

// One line the writer writes, under the name of the key line it belongs to (the key line and
// its exact-text lines); comments and empty lines have none.
struct WrittenLine {
    QString id;
    QString text;
};

// What the file's last reading left for the writer.
struct FileState {
    // The lines the program did not take, as written, in file order; each with the exact-text
    // lines that belong to it.
    QList<QStringList> kept;
    // A LIMITDAYS line was taken: the value is written back.
    bool limitDays = false;
    // The program's key lines as the settings stood when the file was last read or written, by
    // name: a line that differs now holds a setting changed since.
    QMap<QString, QStringList> written;
};

FileState& State() {
    static FileState state;
    return state;
}

const QString kLineEnd = QStringLiteral("\r\n");

QStringList HeaderLines() {
    return {QStringLiteral(";"),
            QStringLiteral(";       QV-4170 Data logger program (Beta edition)"),
            QStringLiteral(";      Last update = ") + GeneralDate(rt::Now()),
            QStringLiteral(";         Delimiter is tab,comma(,) character"),
            QStringLiteral(";           This file is changed set menu"),
            QStringLiteral(";"),
            kMakerLine,
            QStringLiteral(";"),
            QString()};
}

// Every line the writer writes after the header: the settings as they stand, with the comments
// that explain each block.
QList<WrittenLine> ProgramLines() {
    const clsInstrument& inst = *DefaultInstrument();
    const MainFormSettings& form = MainForm();
    QList<WrittenLine> l;
    auto key = [&](const QString& name, const QList<Field>& values) {
        QStringList tokens;
        for (const Field& f : values)
            tokens << f.token;
        const QString text = name + kTab + tokens.join(kTab);
        const QString id = KindOf(text).id;
        l.append({id, text});
        for (qsizetype i = 0; i < values.size(); ++i)
            if (values[i].exact)
                l.append({id, kExactKey + kTab + QString::number(i + 1) + kTab +
                                  QStringLiteral("%") +
                                  QString::fromLatin1(QUrl::toPercentEncoding(*values[i].exact))});
    };
    auto comment = [&](std::initializer_list<const char*> lines) {
        for (const char* s : lines)
            l.append({QString(), QString::fromUtf8(s)});
    };
    // Kept within its 32-bit range, so that the next reading does not stop at the first line.
    key(QStringLiteral("Execute Count"),
        {QString::number(std::min<qint64>(qint64(ExecuteCount) + 1, INT32_MAX))});
    key(QStringLiteral("Serial Log File"),
        {SerialLogOn ? QStringLiteral("ON") : QStringLiteral("OFF")});
    key(QStringLiteral("IrCOMM Num"), {QString::number(CommPortNo)});
    key(QStringLiteral("COMM Settings"), {TextField(CommSettings, false)});
    comment(
        {"", ";", "; Formats = Auto calibration, Autoload enable, Auto remove data enable", ";"});
    key(QStringLiteral("Auto Load Mode"),
        {Bool(AutoCalibMode), Bool(AutoLoad), Bool(AutoRemoveData)});
    comment({"", ";", "; Formats = Name , Size , Bold , Italic , Underline (Font setting)", ";"});
    key(QStringLiteral("Font"),
        {TextField(AppFont.Name, true), rt::DoubleText(rt::RoundHalfAway(AppFont.Size, 4)),
         Bool(AppFont.Bold), Bool(AppFont.Italic), Bool(AppFont.Underline)});
    comment({"", ";", "; Formats = Scale , Back , Cursor (RGB) (Color datas)", ";"});
    key(QStringLiteral("Graph Color"),
        {QString::number(form.ScaleColor), QString::number(form.BackColor),
         QString::number(form.CursorColor)});
    // Written only where the technician set it: its absence means a warning window of 0 days.
    if (State().limitDays) {
        comment({"", ";", "; Days before a calibration due date from which it is flagged", ";"});
        key(QStringLiteral("LIMITDAYS"), {QString::number(LimitDays)});
    }
    comment({"", ";", "; Formats = Gas1...Gas5 (Calibration Range ... Serial Value Format)", ";"});
    QList<Field> range;
    for (int i = 0; i < 5; ++i)
        range << Single(CalibRange[static_cast<size_t>(i)]);
    key(QStringLiteral("Calib. Range"), range);
    comment({"", ";", "; Gas Instrument Information.", ";",
             "; CalibLimit, BackLightTime, Lcd Contrant,  HC Range,   AlarmPattern,   "
             "IntervalCycle,  ID "
             "Display, Cal Disp,   Cal Proc"});
    key(QStringLiteral("DefaultValue1"),
        {QString::number(inst.Header().CalLimit()), QString::number(inst.LcdBackLight()),
         QString::number(inst.LcdContrast()), QString::number(inst.HcMode()),
         QString::number(inst.AlarmMode()), QString::number(inst.Header().Intervals()),
         Bool(inst.DispID()), Bool(inst.DispCalLimit()), QString::number(inst.CalCheck())});
    comment({"; LunchBreak, Confermation, AlarmSilence, Overwrite, FlowDA"});
    key(QStringLiteral("DefaultValue2"),
        {QString::number(inst.LunchBreak()), QString::number(inst.Confermation()),
         QString::number(inst.AlarmSilence()), QString::number(inst.LogOverWrite()),
         QString::number(inst.FlowValue())});
    comment({";", "; Gas Instrument Information.",
             "; Format = No , Name , Enabled , Locked , Points , Unit , Warning , Alarm , STEL , "
             "TWA , Desit , "
             "FullSacle , AutoCal , Tail Zero , Fact AutoCal. , GraphColor",
             ";"});
    for (int c = 0; c < 5; ++c) {
        const size_t i = static_cast<size_t>(c);
        key(QStringLiteral("Gas Inst"),
            {QString::number(c + 1), TextField(inst.GasName(c), true),
             BoolUpper(inst.GasEnabled(c)), Bool(GasLocked[i]), QString::number(inst.GasPoint(c)),
             TextField(inst.GasUnit(c), true), Single(inst.Warning(c)), Single(inst.Alarm(c)),
             Single(inst.Stel(c)), Single(inst.Twa(c)), Single(inst.GasDesit(c)),
             Single(inst.GasFullScale(c)), Single(inst.AutoCalib(c)), QString::number(inst.Zero(c)),
             Single(FactAutoCal[i]), QString::number(GraphColor[i])});
    }
    comment({""});
    key(QStringLiteral("Conv Param"), {Single(ConvFactor), Bool(ConvEnable)});
    comment({"", ";", "; Formats = Gas1...Gas4 bit List to Boolean(T,F)",
             ";  | Gas5| Gas4| Gas3| Gas2| Gas1| Result", ";------------------------------------",
             "; 0| OFF | OFF | OFF | OFF | OFF | FALSE(F)",
             "; 1| OFF | OFF | OFF | OFF |  ON | FALSE(F)",
             "; 2| OFF | OFF | OFF |  ON | OFF | FALSE(F)",
             "; 3| OFF | OFF | OFF |  ON |  ON | FALSE(F)",
             "; 4| OFF | OFF |  ON | OFF | OFF | FALSE(F)", ";                :",
             ";                :", ";29|  ON |  ON |  ON | OFF |  ON | TRUE (T)",
             ";30|  ON |  ON |  ON |  ON | OFF | TRUE (T)",
             ";31|  ON |  ON |  ON |  ON |  ON | TRUE (T)", ";"});
    QString letters;
    for (int k = 0; k < 32; ++k)
        letters += GasComb[static_cast<size_t>(k)] ? u'T' : u'F';
    key(QStringLiteral("GasComb"), {letters});
    comment({";", ";Changed Gas Lists",
             "; Format = GasNo , No , Name , Enabled , Locked , Points , Unit , Warning , Alarm , "
             "STEL , TWA , Desit "
             ", FullSacle , AutoCal , Tail Zero",
             ";"});
    for (int g = 1; g <= 5; ++g) {
        l.append({QString(), QStringLiteral("; GasNo ") + QString::number(g)});
        for (int a = 1; a <= 8; ++a) {
            const GasDefinition& d =
                GasTable[static_cast<size_t>(g - 1)][static_cast<size_t>(a - 1)];
            key(QStringLiteral("ChgGas"),
                {QString::number(g), QString::number(a), TextField(d.Name, true),
                 BoolUpper(d.Enabled), Bool(d.Locked), QString::number(d.Points),
                 TextField(d.Unit, true), Single(d.Warning), Single(d.Alarm), Single(d.Stel),
                 Single(d.Twa), Single(d.Desit), Single(d.FullScale), Single(d.AutoCal),
                 d.TailZero ? QStringLiteral("1") : QStringLiteral("0")});
        }
    }
    comment({";", "; Calibration Timer 1 : Cal.Unit On After Zero Calib, Bitween wait time."});
    key(QStringLiteral("CalUnitOnWait"), {QString::number(CalUnitOnWait)});
    comment({"; Calibration Timer 2 : Span Gas valve On To Span Calib, Bitween wait time."});
    key(QStringLiteral("CalSpanOnWait"), {QString::number(CalSpanOnWait)});
    comment({"; Calibration Timer 3 : Span valve Off After Cal.Unit Off, Bitween wait time."});
    key(QStringLiteral("CalSpanOffWait"), {QString::number(CalSpanOffWait)});
    comment({"", "; ", "; Format = SerialNo,StationID,UserID"});
    key(QStringLiteral("Data Select"),
        {Bool(form.chkLog[0] == 1), Bool(form.chkLog[1] == 1), Bool(form.chkLog[2] == 1)});
    comment({"", ";", "; Formats = Form status , Form width , Form height (Twips value)", ";"});
    key(QStringLiteral("Size Values"),
        {QString::number(form.WindowState), Single(form.Width), Single(form.Height)});
    comment({"", ";", "; Formats = Printing Data Line Width, Printing Scale Line Width", ";"});
    key(QStringLiteral("Prt Width"), {Single(PrtWidth[0]), Single(PrtWidth[1])});
    comment({"", ";", "; AT Command Not Supported Program No", ";"});
    key(QStringLiteral("AtCommandVersion"), {QString::number(AtCommandVersion)});
    l.append({QString(), QString()});
    l.append({QString(), QStringLiteral(";") + EncodeText(EncodeText(QStringLiteral("TSM"))) +
                             QStringLiteral("-") +
                             EncodeText(EncodeText(QStringLiteral("TESSALY")))});
    key(QStringLiteral("QV-4170"), {EncodeText(EncodeText(UserPassword))});
    comment({";"});
    key(QStringLiteral("DataLocation"), {TextField(DataLocation, false)});
    return l;
}

// The key lines of `lines` by name, each with its exact-text lines.
QMap<QString, QStringList> ById(const QList<WrittenLine>& lines) {
    QMap<QString, QStringList> byId;
    for (const WrittenLine& line : lines)
        if (!line.id.isEmpty()) byId[line.id] << line.text;
    return byId;
}

void Write(const QStringList& lines) {
    WriteTextAtomically(SettingsFilePath(), lines.join(kLineEnd) + kLineEnd);
}

}  // namespace

QString SettingsFilePath() {
    return ProgramFile(QStringLiteral("QV4170.ini"));
}

QList<SettingsLine> LoadSettings() {
    FileState& state = State();
    state.kept.clear();
    state.limitDays = false;
    // Whatever is read, the settings in force are what a write compares with from now on.
    const auto noteWritten = qScopeGuard([&state] { state.written = ById(ProgramLines()); });
    QFile file(SettingsFilePath());
    if (!file.exists() || !file.open(QIODevice::ReadOnly)) return {};
    QTextStream in(&file);
    bool encoded = false;
    // The lines not read as written, by number, each once.
    QMap<int, QString> unused;
    // Applies one key line; false when it, or one of its values, could not be used.
    const auto apply = [&state](const QStringList& tokens, bool encodedValues) {
        const Values values(tokens, encodedValues);
        const QString key = tokens[0].toUpper();
        try {
            ApplyLine(key, values);
        } catch (const AppError&) {
            values.Unused();
        }
        if (values.AllUsed() && key == QLatin1String("LIMITDAYS")) state.limitDays = true;
        return values.AllUsed();
    };
    // The last key line, which the exact-text lines right after it amend; `amendable` is the
    // number an exact-text line must have to belong to it. An exact-text line anywhere else
    // (also one kept among other kept lines) belongs to no line.
    QStringList last;
    int lastNumber = 0;
    QString lastLine;
    int amendable = 0;
    // The exact-text lines each key line took, by the key line's number: kept with it.
    QMap<int, QStringList> amendments;
    for (int number = 1; !in.atEnd(); ++number) {
        const QString line = in.readLine();
        if (line == kEncodedMakerLine) encoded = true;
        QStringList tokens = LineTokens(line);
        if (tokens.isEmpty()) continue;
        // Each line on its own: what one cannot use leaves the lines after it to be read.
        if (tokens[0].toUpper() != kExactKey.toUpper()) {
            last = std::move(tokens);
            lastNumber = number;
            lastLine = line;
            amendable = number + 1;
            if (!apply(last, encoded)) unused.insert(number, line);
            continue;
        }
        const int index = tokens.value(1).toInt();
        const QString exact = tokens.value(2);
        if (number != amendable || index < 1 || index >= last.size() || !exact.startsWith(u'%')) {
            unused.insert(number, line);
            continue;
        }
        ++amendable;
        amendments[lastNumber] << line;
        last[index] = QUrl::fromPercentEncoding(exact.mid(1).toLatin1());
        if (!apply(last, false)) unused.insert(lastNumber, lastLine);
    }
    QList<SettingsLine> named;
    for (auto it = unused.cbegin(); it != unused.cend(); ++it) {
        named.append({it.key(), it.value()});
        state.kept << (QStringList{it.value()} + amendments.value(it.key()));
    }
    return named;
}

void SaveSettings() {
    FileState& state = State();
    const QList<WrittenLine> program = ProgramLines();
    QStringList lines = HeaderLines();
    // Before the program's own lines, which hold the settings in force: a kept line of a key the
    // program writes is read first, and the program's line after it wins.
    if (!state.kept.isEmpty()) {
        lines << QStringLiteral("; Lines not read as written, kept to be corrected (each is named")
              << QStringLiteral(
                     "; at start-up; the lines further down hold the settings in force):");
        for (const QStringList& group : state.kept) {
            // A comment between keeps a line of exact text from amending the kept line before it.
            if (KindOf(group.front()).exact) lines << QStringLiteral(";");
            lines << group;
        }
        lines << QString();
    }
    for (const WrittenLine& line : program)
        lines << line.text;
    Write(lines);
    state.written = ById(program);
}

void SaveChangedSettings() {
    FileState& state = State();
    const QList<WrittenLine> program = ProgramLines();
    const QMap<QString, QStringList> now = ById(program);
    QStringList changed;
    for (auto it = now.cbegin(); it != now.cend(); ++it)
        if (state.written.value(it.key()) != it.value()) changed << it.key();
    if (changed.isEmpty()) return;
    QFile file(SettingsFilePath());
    if (!file.exists()) return SaveSettings();
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(ErrPermission, GetMessage(9003, {file.fileName(), file.errorString()}));
    QStringList lines;
    QTextStream in(&file);
    while (!in.atEnd())
        lines << in.readLine();
    file.close();

    // Each changed setting takes the place of the line the reader would take last for it; a
    // line the reader did not take stays, as does every other line of the file as it stands
    // (also one edited by hand since it was read).
    QSet<QString> notTaken;
    for (const QStringList& group : state.kept)
        notTaken.insert(group.front());
    QList<LineKind> kinds;
    QMap<QString, qsizetype> taken;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        kinds << KindOf(lines[i]);
        if (!kinds[i].id.isEmpty() && !notTaken.contains(lines[i])) taken[kinds[i].id] = i;
    }
    QStringList out;
    bool replaced = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const LineKind& kind = kinds[i];
        // The exact-text lines of a replaced line go with it.
        if (kind.exact && replaced) continue;
        if (kind.keyLine && !kind.exact) replaced = false;
        if (changed.contains(kind.id) && taken.value(kind.id, -1) == i) {
            out << now.value(kind.id);
            replaced = true;
            continue;
        }
        out << lines[i];
    }
    // A changed setting the file has no line for is added in the writer's order.
    QStringList added;
    for (const WrittenLine& line : program)
        if (changed.contains(line.id) && !taken.contains(line.id)) added << line.text;
    Write(out + added);
    state.written = now;
}

}  // namespace qv
