// Settings file reader and writer.
#include "modSettings.h"

#include "AppError.h"
#include "AppPaths.h"
#include "AtomicFile.h"
#include "Dates.h"
#include "Runtime.h"
#include "modGlobals.h"
#include "modMessage.h"
#include "modModel.h"
#include "modScrambler.h"

#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSet>
#include <QStringList>
#include <algorithm>
#include <cctype>
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

// The file is read as UTF-8. A byte that is no part of a UTF-8 character (a note an editor saved
// in Latin-1 or Shift-JIS) is held as the code unit U+DC00 plus the byte, which no UTF-8 text
// gives, so that a line the program rewrites keeps every such byte it does not change.
bool IsHeldByte(QStringView text, qsizetype i) {
    const char16_t c = text[i].unicode();
    return c >= 0xDC80 && c <= 0xDCFF && (i == 0 || !text[i - 1].isHighSurrogate());
}

QString TextOfBytes(QByteArrayView bytes) {
    QString text;
    text.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size();) {
        const auto b = static_cast<uchar>(bytes[i]);
        if (b < 0x80) {
            text += QChar(b);
            ++i;
            continue;
        }
        const qsizetype length = b >= 0xF0 && b < 0xF8 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 0;
        const char32_t least = length == 4 ? 0x10000 : length == 3 ? 0x800 : 0x80;
        char32_t code = b & (0x7F >> length);
        bool whole = length > 0 && i + length <= bytes.size() && b < 0xF8;
        for (qsizetype k = 1; whole && k < length; ++k) {
            const auto next = static_cast<uchar>(bytes[i + k]);
            whole = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        if (whole && code >= least && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF)) {
            text += QString::fromUcs4(&code, 1);
            i += length;
        } else {
            text += QChar(char16_t(0xDC00 + b));
            ++i;
        }
    }
    return text;
}

QByteArray BytesOfText(QStringView text) {
    QByteArray bytes;
    qsizetype from = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!IsHeldByte(text, i)) continue;
        bytes += text.mid(from, i - from).toUtf8();
        bytes += static_cast<char>(text[i].unicode() - 0xDC00);
        from = i + 1;
    }
    return bytes + text.mid(from).toUtf8();
}

// A text as the program shows and uses it: each byte that is no part of a UTF-8 character is
// the replacement character U+FFFD.
QString ShownText(QString text) {
    for (qsizetype i = 0; i < text.size(); ++i)
        if (IsHeldByte(text, i)) text[i] = QChar::ReplacementCharacter;
    return text;
}

// The percent-encoding of an exact text, and back.
QString PercentEncoded(const QString& text) {
    return QString::fromLatin1(BytesOfText(text).toPercentEncoding());
}
QString PercentDecoded(const QString& text) {
    return TextOfBytes(QByteArray::fromPercentEncoding(BytesOfText(text)));
}

// A value of a file in the old form: one that begins with "%" holds the percent-encoding of its
// text after it. Only "%" and two hexadecimal digits were that form's escapes, and it wrote the
// form only for a text that needed one: a value with no escape after its first "%" (a unit
// "%VOL" typed by hand) is a text as it stands.
std::optional<QString> OldFormText(const QString& token) {
    if (!token.startsWith(u'%')) return std::nullopt;
    const QByteArray bytes = BytesOfText(QStringView(token).mid(1));
    const auto hex = [&](qsizetype i) {
        return i < bytes.size() && std::isxdigit(static_cast<uchar>(bytes[i]));
    };
    QByteArray text;
    bool escaped = false;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '%' && hex(i + 1) && hex(i + 2)) {
            text += static_cast<char>(bytes.mid(i + 1, 2).toInt(nullptr, 16));
            i += 2;
            escaped = true;
        } else {
            text += bytes[i];
        }
    }
    if (!escaped) return std::nullopt;
    return TextOfBytes(text);
}

// One value of a key line as it is written. A text the line cannot hold (a "'" or a line break
// in it) is written there with blanks in their place, and exactly on a line of its own.
struct Field {
    Field(QString text) : token(text), value(std::move(text)) {}  // NOLINT: plain values convert
    QString token;
    // The setting's value that the token stands for.
    QString value;
    std::optional<QString> exact;
    // Written alike: the value is written the same way.
    bool operator==(const Field& other) const {
        return token == other.token && exact == other.exact;
    }
};

const QRegularExpression& Unholdable() {
    static const QRegularExpression unholdable(QStringLiteral("['\\r\\n]"));
    return unholdable;
}

// The text a key line holds in place of a text it cannot hold.
QString HeldText(QString text) {
    return text.replace(Unholdable(), QStringLiteral(" "));
}

// A text value: between "'" where the file quotes it, or where TAB, ";", a comma (the separator
// of a line typed without TABs) or nothing at all would otherwise change the line's tokens.
Field TextField(const QString& text, bool quoted) {
    static const QRegularExpression separators(QStringLiteral("[\\t;,]"));
    QString line = HeldText(text);
    // Blanks at either end are kept only between quotes: the reader drops them elsewhere.
    const bool blankEnds = !line.isEmpty() && (line.front().isSpace() || line.back().isSpace());
    if (quoted || line.isEmpty() || blankEnds || line.contains(separators))
        line = QStringLiteral("'") + line + QStringLiteral("'");
    Field f(line);
    f.value = text;
    if (text.contains(Unholdable())) f.exact = text;
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
    explicit Values(const QStringList& tokens) : t_(tokens) {}
    bool Has(int i) const { return i < t_.size(); }
    QString Text(int i) const { return Token(i); }
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

// One value of a line as the reader takes it, and where it stands in the line: from its first
// character to its last, a quoted text's quotes included.
struct LineToken {
    QString text;
    qsizetype start = 0;
    qsizetype end = 0;
};

// A line as the reader takes it: its tokens (the key first), their separator, where its comment
// begins (the first ";" outside quotes, or the line's end), and where its note begins: the blanks
// and separators after the last token, then the comment. A rewrite of the line keeps the note at
// its end as written.
struct SplitLine {
    QList<LineToken> tokens;
    QChar separator;
    qsizetype commentStart = 0;
    qsizetype noteStart = 0;
};

// Values are separated by TABs; a line without a TAB before its comment, as one is typed by hand
// after the file's own header ("Delimiter is tab,comma"), by commas, and a comma on a line with
// TABs is part of its value. A run of separators counts as one, and blanks at either end of a
// value count only between quotes. The text between two "'" is one value, also when empty, and
// what stands before the opening "'" in the same value is dropped. The value right before the
// comment is taken also where no separator parts them.
SplitLine Split(const QString& line) {
    SplitLine split;
    split.commentStart = line.size();
    for (qsizetype i = 0, quotes = 0; i < line.size(); ++i) {
        if (line[i] == u'\'') {
            ++quotes;
        } else if (quotes % 2 == 0 && line[i] == u';') {
            split.commentStart = i;
            break;
        }
    }
    split.separator = QStringView(line).left(split.commentStart).contains(u'\t') ? u'\t' : u',';
    // The value being read outside quotes, from `start` to `end`; the blanks after it belong to it
    // only where more of it follows.
    QString pending;
    qsizetype start = 0;
    qsizetype end = 0;
    QString blanks;
    bool valueStart = true;
    bool quoted = false;
    const auto take = [&] {
        if (!pending.isEmpty()) split.tokens.append({pending, start, end});
        pending.clear();
    };
    for (qsizetype i = 0; i < split.commentStart; ++i) {
        const QChar c = line[i];
        if (quoted) {
            if (c == u'\'') {
                split.tokens.append({pending, start, i + 1});
                pending.clear();
                quoted = false;
            } else {
                pending += c;
            }
        } else if (c == split.separator) {
            take();
            blanks.clear();
            valueStart = true;
        } else if (c.isSpace()) {
            if (!valueStart) blanks += c;
        } else if (c == u'\'') {
            pending.clear();
            blanks.clear();
            start = i;
            quoted = true;
            valueStart = false;
        } else {
            if (pending.isEmpty()) start = i - blanks.size();
            pending += blanks + c;
            blanks.clear();
            end = i + 1;
            valueStart = false;
        }
    }
    // A quote left open runs to the line's end.
    if (quoted) end = split.commentStart;
    take();
    split.noteStart = split.tokens.isEmpty() ? 0 : split.tokens.back().end;
    return split;
}

// The tokens of one line as the reader takes them.
QStringList LineTokens(const QString& line) {
    QStringList tokens;
    for (const LineToken& token : Split(line).tokens)
        tokens << token.text;
    return tokens;
}

// The name that tells a key line from the file's other key lines ("GAS INST#0" for channel 1),
// from the line's tokens. A key line whose channel or entry number is no such number has none,
// and neither has an exact-text line.
QString IdOf(const QStringList& tokens) {
    if (tokens.isEmpty()) return {};
    const QString key = tokens[0].toUpper();
    if (key == kExactKey.toUpper()) return {};
    const Values v(tokens);
    const auto numbered = [&](std::initializer_list<std::pair<int, int>> entries) {
        QString id = key;
        for (const auto& [token, last] : entries) {
            const std::optional<int> index = Index(v, token, last);
            if (!index) return QString();
            id += u'#' + QString::number(*index);
        }
        return id;
    };
    if (key == QLatin1String("GAS INST")) return numbered({{1, 6}});
    if (key == QLatin1String("CHGGAS")) return numbered({{1, 6}, {2, 9}});
    return key;
}

bool IsExactLine(const QString& line) {
    const QStringList tokens = LineTokens(line);
    return !tokens.isEmpty() && tokens[0].toUpper() == kExactKey.toUpper();
}

const QString kCountId = QStringLiteral("EXECUTE COUNT");

// One line the writer writes: a comment or an empty line, or a key line with its values under
// the name that tells it from the others.
struct ProgramLine {
    QString id;    // empty for a comment or an empty line
    QString text;  // the comment, or the key as written
    QList<Field> values;
};

// A key line as written, followed by a line of exact text for each value it cannot hold.
QStringList KeyLineTexts(const QString& key, const QList<Field>& values) {
    QStringList tokens{key};
    for (const Field& f : values)
        tokens << f.token;
    QStringList lines{tokens.join(kTab)};
    for (qsizetype i = 0; i < values.size(); ++i)
        if (values[i].exact)
            lines << kExactKey + kTab + QString::number(i + 1) + kTab + QStringLiteral("%") +
                         PercentEncoded(*values[i].exact);
    return lines;
}

QStringList Texts(const ProgramLine& line) {
    return line.id.isEmpty() ? QStringList{line.text} : KeyLineTexts(line.text, line.values);
}

// What the file's last reading, and the writes since, left for the writer.
struct FileState {
    // The file was there at the last reading (also where it could not be read), or has been
    // written since: a write that finds it gone does not make it whole again.
    bool known = false;
    // The lines the program did not take, as written, in file order; each with the exact-text
    // lines that belong to it.
    QList<QStringList> kept;
    // The lines of the block of kept lines that read as written: each takes the place of the
    // line of its key further down at the next write.
    QStringList corrected;
    // Exact-text lines whose key line was edited since: the next write drops them.
    bool stale = false;
    // The file carries values in the form that percent-encoded every value beginning with "%":
    // the next write puts them in the form of today.
    bool encoded = false;
    // A LIMITDAYS line was taken: the value is written back.
    bool limitDays = false;
    // The program's key lines as the settings stood when the file was last read or written, by
    // name: a value that differs now is a setting changed since.
    QMap<QString, QList<Field>> written;
};

FileState& State() {
    static FileState state;
    return state;
}

const QString kLineEnd = QStringLiteral("\r\n");
const QByteArray kByteOrderMark("\xEF\xBB\xBF");
// The first two lines of the block in which a whole write keeps the lines it could not read;
// the block ends with an empty line.
const QString kKeptHeader =
    QStringLiteral("; Lines not read as written, kept to be corrected (each is named");
const QString kKeptHeader2 =
    QStringLiteral("; at start-up; the lines further down hold the settings in force):");

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

// What a line of the file is to the reader.
enum class Role {
    Other,       // a comment or an empty line
    Key,         // a key line
    Exact,       // the exact text of one value of the key line before it
    StaleExact,  // an exact text whose key line no longer holds what the writer made of it
    LooseExact,  // an exact-text line that belongs to no key line
};

struct FileLine {
    QByteArray raw;  // as on disk, without its line end (the first also without a byte-order mark)
    QByteArray end;  // "\r\n", "\n", or nothing at the end of the file
    QString text;
    Role role = Role::Other;
    // Key lines: their name, and their tokens as the reader takes them (with the exact texts
    // put in, and values of the old encoded form decoded).
    QString id;
    QStringList tokens;
    bool amended = false;
    bool encodedValues = false;
    // Exact-text lines: the key line they belong to.
    qsizetype owner = -1;
    // Within the block of lines kept to be corrected.
    bool inBlock = false;
};

// The settings file as it stands, line by line.
struct SettingsDocument {
    bool byteOrderMark = false;
    bool encoded = false;
    QList<FileLine> lines;
    // The line end of lines added: the file's own.
    QByteArray LineEnd() const {
        for (const FileLine& line : lines)
            if (!line.end.isEmpty()) return line.end;
        return kLineEnd.toLatin1();
    }
};

// Gives every line its role. An exact-text line belongs to the key line right before it (or
// before the exact-text lines that follow that one), and stands for the value only while that
// line still holds the text the writer made of the value: a key line edited since wins.
void Classify(SettingsDocument& doc) {
    bool inBlock = false;
    qsizetype last = -1;
    qsizetype amendable = -1;
    for (qsizetype i = 0; i < doc.lines.size(); ++i) {
        FileLine& line = doc.lines[i];
        if (line.text == kKeptHeader) inBlock = true;
        line.inBlock = inBlock;
        if (inBlock && line.text.trimmed().isEmpty()) inBlock = false;
        if (line.text == kEncodedMakerLine) doc.encoded = true;
        QStringList tokens = LineTokens(line.text);
        if (tokens.isEmpty()) continue;
        if (tokens[0].toUpper() != kExactKey.toUpper()) {
            if (doc.encoded)
                for (qsizetype t = 1; t < tokens.size(); ++t)
                    if (std::optional<QString> text = OldFormText(tokens[t])) {
                        tokens[t] = *text;
                        line.encodedValues = true;
                    }
            line.role = Role::Key;
            line.id = IdOf(tokens);
            line.tokens = std::move(tokens);
            last = i;
            amendable = i + 1;
            continue;
        }
        const int index = tokens.value(1).toInt();
        const QString exact = tokens.value(2);
        if (i != amendable || index < 1 || index >= doc.lines[last].tokens.size() ||
            !exact.startsWith(u'%')) {
            line.role = Role::LooseExact;
            continue;
        }
        ++amendable;
        line.owner = last;
        FileLine& key = doc.lines[last];
        const QString text = PercentDecoded(exact.mid(1));
        if (key.tokens[index] != HeldText(text)) {
            line.role = Role::StaleExact;
            continue;
        }
        line.role = Role::Exact;
        key.tokens[index] = text;
        key.amended = true;
    }
}

SettingsDocument ParseDocument(QByteArray bytes) {
    SettingsDocument doc;
    if (bytes.startsWith(kByteOrderMark)) {
        doc.byteOrderMark = true;
        bytes.remove(0, kByteOrderMark.size());
    }
    for (qsizetype start = 0; start < bytes.size();) {
        FileLine line;
        const qsizetype newline = bytes.indexOf('\n', start);
        if (newline < 0) {
            line.raw = bytes.mid(start);
            start = bytes.size();
        } else {
            line.raw = bytes.mid(start, newline - start);
            line.end = "\n";
            start = newline + 1;
            if (line.raw.endsWith('\r')) {
                line.raw.chop(1);
                line.end = "\r\n";
            }
        }
        line.text = TextOfBytes(line.raw);
        doc.lines << line;
    }
    Classify(doc);
    return doc;
}

enum class FileRead { Missing, Unreadable, Read };

// Reads the file as it stands. Something in its place that cannot be read, a link that leads
// nowhere included, is no missing file.
FileRead ReadDocument(SettingsDocument& doc, QString& reason) {
    const QString path = SettingsFilePath();
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) return FileRead::Missing;
    QFile file(path);
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly)) bytes = file.readAll();
    if (!file.isOpen() || file.error() != QFileDevice::NoError) {
        reason = file.errorString();
        return FileRead::Unreadable;
    }
    doc = ParseDocument(bytes);
    return FileRead::Read;
}

// Every line the writer writes after the header: the settings as they stand, with the comments
// that explain each block.
QList<ProgramLine> ProgramLines() {
    const clsInstrument& inst = *DefaultInstrument();
    const MainFormSettings& form = MainForm();
    QList<ProgramLine> l;
    auto key = [&](const QString& name, const QList<Field>& values) {
        QStringList tokens{name};
        for (const Field& f : values)
            tokens << f.value;
        l.append({IdOf(tokens), name, values});
    };
    auto comment = [&](std::initializer_list<const char*> lines) {
        for (const char* s : lines)
            l.append({QString(), QString::fromUtf8(s), {}});
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
        l.append({QString(), QStringLiteral("; GasNo ") + QString::number(g), {}});
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
    comment({""});
    l.append({QString(),
              QStringLiteral(";") + EncodeText(EncodeText(QStringLiteral("TSM"))) +
                  QStringLiteral("-") + EncodeText(EncodeText(QStringLiteral("TESSALY"))),
              {}});
    key(QStringLiteral("QV-4170"), {EncodeText(EncodeText(UserPassword))});
    comment({";"});
    key(QStringLiteral("DataLocation"), {TextField(DataLocation, false)});
    return l;
}

// The values of the program's key lines by name.
QMap<QString, QList<Field>> ById(const QList<ProgramLine>& lines) {
    QMap<QString, QList<Field>> byId;
    for (const ProgramLine& line : lines)
        if (!line.id.isEmpty()) byId[line.id] = line.values;
    return byId;
}

void Write(const QStringList& lines) {
    WriteFileAtomically(SettingsFilePath(), BytesOfText(lines.join(kLineEnd) + kLineEnd));
}

// The file's key line with the merged values put in, edited in place: a value that stays as the
// file has it keeps its text as written, any other takes the place of the file's, one the line
// lacks follows its last value after the line's separator, and the note after the values stays
// at the end as written. An edit that would read otherwise than the values (a value next to text
// that is none, or a TAB put into a line typed with commas) gives the line as the writer writes
// it, with the comment and the blanks before it after the values.
QString EditedLine(const QString& text, const QStringList& tokens, const QList<Field>& values,
                   const QList<bool>& asFiled, const QString& rebuilt) {
    const SplitLine split = Split(text);
    QString line;
    qsizetype at = 0;
    for (qsizetype t = 0; t < split.tokens.size(); ++t) {
        const LineToken& token = split.tokens[t];
        line += QStringView(text).mid(at, token.start - at);
        // A value amended by its exact text, or decoded from the old form, does not read as
        // written: the writer's form takes its place.
        if (t == 0 || (asFiled[t - 1] && token.text == tokens[t]))
            line += QStringView(text).mid(token.start, token.end - token.start);
        else
            line += values[t - 1].token;
        at = token.end;
    }
    for (qsizetype i = split.tokens.size() - 1; i < values.size(); ++i)
        line += split.separator + values[i].token;
    line += QStringView(text).mid(split.noteStart);
    QStringList expected{tokens[0]};
    for (const Field& f : values)
        expected << HeldText(f.value);
    if (LineTokens(line) == expected) return line;
    if (split.commentStart == text.size()) return rebuilt;
    qsizetype from = split.commentStart;
    while (from > split.noteStart && text[from - 1].isSpace())
        --from;
    return rebuilt + text.mid(from);
}

// The program's key line merged into the file's line for the same key (none where the file has
// no line): a value the program changed since it last wrote the file is the program's; every
// other value stays as the file has it, and a value the line lacks is the one in force. The
// file's line is edited in place, so that its note stays.
QStringList MergedLine(const FileLine* file, const QString& key, const QList<Field>& written,
                       const QList<Field>& now) {
    const QStringList tokens = file ? file->tokens : QStringList{key};
    QList<Field> values;
    QList<bool> asFiled;
    for (qsizetype i = 0; i < now.size(); ++i) {
        const qsizetype t = i + 1;
        const bool changed = i >= written.size() || !(written[i] == now[i]);
        if (changed || t >= tokens.size() || tokens[t] == now[i].value)
            values << now[i];
        else
            values << TextField(tokens[t], now[i].token.startsWith(u'\''));
        asFiled << (!changed && t < tokens.size());
    }
    for (qsizetype t = now.size() + 1; t < tokens.size(); ++t) {
        values << TextField(tokens[t], false);
        asFiled << true;
    }
    QStringList lines = KeyLineTexts(tokens[0], values);
    if (file) lines[0] = EditedLine(file->text, tokens, values, asFiled, lines[0]);
    return lines;
}

// The file as it stands with the program's changes put in: each changed key line merged into
// the line the reader takes for its key (added at the end where there is none), a line
// corrected in the block of kept lines in the place of its key's line further down, exact texts
// whose key line was edited dropped, and values of the old encoded form written as today. Every
// other line stays byte for byte, the byte-order mark and the line ends included.
QByteArray MergedDocument(const SettingsDocument& doc, const QList<ProgramLine>& program,
                          const QSet<QString>& changed, const FileState& state,
                          const QMap<QString, QList<Field>>& now) {
    QSet<QString> notTaken;
    for (const QStringList& group : state.kept)
        notTaken.insert(group.front());
    // By key: the line the reader takes last outside the block, and a corrected line in it.
    QMap<QString, qsizetype> target;
    QMap<QString, qsizetype> moved;
    for (qsizetype i = 0; i < doc.lines.size(); ++i) {
        const FileLine& line = doc.lines[i];
        if (line.role != Role::Key || line.id.isEmpty()) continue;
        if (line.inBlock) {
            if (state.corrected.contains(line.text)) moved[line.id] = i;
        } else if (!notTaken.contains(line.text)) {
            target[line.id] = i;
        }
    }
    // The lines of one key as they are to be written: the file's as they stand unless the
    // program changed a value or the line has values of the old form.
    const auto linesOf = [&](const QString& id, const FileLine* file, qsizetype index) {
        if (file && !changed.contains(id) && !file->encodedValues) {
            QList<QByteArray> raw{file->raw};
            for (const FileLine& line : doc.lines)
                if (line.role == Role::Exact && line.owner == index) raw << line.raw;
            return raw;
        }
        QString key = id;
        for (const ProgramLine& line : program)
            if (line.id == id) key = line.text;
        // Where the program changed nothing, every value stays as the file has it; the count of
        // runs is the program's alone.
        QList<Field> written = now.value(id);
        if (id == kCountId)
            written.clear();
        else if (changed.contains(id))
            written = state.written.value(id);
        QList<QByteArray> lines;
        for (const QString& text : MergedLine(file, key, written, now.value(id)))
            lines << BytesOfText(text);
        return lines;
    };

    struct OutLine {
        QByteArray raw;
        QByteArray end;
        bool inBlock = false;
        bool content = false;
    };
    QList<OutLine> out;
    const QByteArray lineEnd = doc.LineEnd();
    // Lines written in the place of the file's line `at`: the first keeps that line's end, an
    // exact text added after it takes the file's, and the file's last line stays without one.
    const auto put = [&](const QList<QByteArray>& lines, const FileLine* at) {
        for (qsizetype k = 0; k < lines.size(); ++k) {
            QByteArray end = lineEnd;
            if (at && k + 1 == lines.size() && at->end.isEmpty())
                end.clear();
            else if (at && k == 0 && !at->end.isEmpty())
                end = at->end;
            out.append({lines[k], end, at && at->inBlock, true});
        }
    };
    // The corrected lines leave the block, and the exact texts of every line written anew go
    // with it.
    QSet<qsizetype> gone;
    for (auto it = moved.cbegin(); it != moved.cend(); ++it)
        gone.insert(it.value());
    QSet<qsizetype> rewritten;
    QSet<QString> placed;
    for (qsizetype i = 0; i < doc.lines.size(); ++i) {
        const FileLine& line = doc.lines[i];
        if (gone.contains(i) || line.role == Role::StaleExact) continue;
        if (line.role == Role::Exact &&
            (gone.contains(line.owner) || rewritten.contains(line.owner)))
            continue;
        const bool isTarget = line.role == Role::Key && !line.id.isEmpty() &&
                              target.value(line.id, -1) == i &&
                              (changed.contains(line.id) || moved.contains(line.id));
        if (isTarget || (line.role == Role::Key && line.encodedValues)) {
            const qsizetype from = isTarget ? moved.value(line.id, i) : i;
            put(linesOf(line.id, &doc.lines[from], from), &line);
            if (isTarget) placed.insert(line.id);
            rewritten.insert(i);
            continue;
        }
        const QByteArray raw = line.text == kEncodedMakerLine ? kMakerLine.toUtf8() : line.raw;
        out.append({raw, line.end, line.inBlock, line.role != Role::Other});
    }
    // A changed setting the file has no line for, and a corrected line whose key has none
    // further down, are added: in the writer's order, then the corrected lines of keys the
    // writer does not write (a sixth channel) in the file's.
    QList<QByteArray> added;
    for (const ProgramLine& line : program) {
        if (line.id.isEmpty() || placed.contains(line.id)) continue;
        if (moved.contains(line.id)) {
            const qsizetype from = moved.value(line.id);
            added << linesOf(line.id, &doc.lines[from], from);
        } else if (changed.contains(line.id)) {
            added << linesOf(line.id, nullptr, -1);
        }
        placed.insert(line.id);
    }
    QList<qsizetype> left = gone.values();
    std::sort(left.begin(), left.end());
    for (qsizetype from : left)
        if (!placed.contains(doc.lines[from].id))
            added << linesOf(doc.lines[from].id, &doc.lines[from], from);
    if (!added.isEmpty()) {
        if (!out.isEmpty() && out.back().end.isEmpty()) out.back().end = lineEnd;
        put(added, nullptr);
    }
    // A block of kept lines left without any goes with its comments.
    bool blockHolds = false;
    for (const OutLine& line : out)
        blockHolds = blockHolds || (line.inBlock && line.content);
    QByteArray bytes = doc.byteOrderMark ? kByteOrderMark : QByteArray();
    for (const OutLine& line : out)
        if (blockHolds || !line.inBlock) bytes += line.raw + line.end;
    return bytes;
}

}  // namespace

QString SettingsFilePath() {
    return ProgramFile(QStringLiteral("QV4170.ini"));
}

QString DataFolder() {
    return DataLocation.isEmpty() ? ProgramFolder() : DataLocation;
}

void NoteSettingsInForce() {
    State().written = ById(ProgramLines());
}

QList<SettingsLine> LoadSettings() {
    FileState& state = State();
    state = FileState{};
    // Whatever is read, the settings in force are what a write compares with from now on.
    const auto noteWritten = qScopeGuard([] { NoteSettingsInForce(); });
    SettingsDocument doc;
    QString reason;
    switch (ReadDocument(doc, reason)) {
        case FileRead::Missing:
            return {};
        case FileRead::Unreadable:
            state.known = true;
            return {{0, reason, SettingsLine::Kind::FileUnreadable}};
        case FileRead::Read:
            break;
    }
    state.known = true;
    state.encoded = doc.encoded;
    // Applies one key line; false when it, or one of its values, could not be used.
    const auto apply = [&state](const FileLine& line) {
        QStringList shown;
        for (const QString& token : line.tokens)
            shown << ShownText(token);
        const Values values(shown);
        const QString key = line.tokens[0].toUpper();
        try {
            ApplyLine(key, values);
        } catch (const AppError&) {
            values.Unused();
        }
        if (values.AllUsed() && key == QLatin1String("LIMITDAYS")) state.limitDays = true;
        return values.AllUsed();
    };
    // Each line on its own: what one cannot use leaves the lines after it to be read.
    QMap<int, SettingsLine> named;
    QList<qsizetype> corrected;
    for (qsizetype i = 0; i < doc.lines.size(); ++i) {
        const FileLine& line = doc.lines[i];
        const int number = static_cast<int>(i + 1);
        if (line.role == Role::Key) {
            if (!apply(line)) {
                named.insert(number, {number, ShownText(line.text)});
                QStringList group{line.text};
                for (const FileLine& exact : doc.lines)
                    if (exact.role == Role::Exact && exact.owner == i) group << exact.text;
                state.kept << group;
            } else if (line.inBlock) {
                corrected << i;
            }
        } else if (line.role == Role::LooseExact) {
            named.insert(number, {number, ShownText(line.text)});
            state.kept << QStringList{line.text};
        } else if (line.role == Role::StaleExact) {
            named.insert(number,
                         {number, ShownText(line.text), SettingsLine::Kind::StaleExactText});
            state.stale = true;
        }
    }
    // A line corrected in the block of kept lines holds over the line for its key further down,
    // which a write made while the kept line could not be read.
    for (qsizetype i : corrected) {
        apply(doc.lines[i]);
        state.corrected << doc.lines[i].text;
    }
    return named.values();
}

void SaveSettings() {
    FileState& state = State();
    const QList<ProgramLine> program = ProgramLines();
    QStringList lines = HeaderLines();
    // Before the program's own lines, which hold the settings in force: a kept line of a key the
    // program writes is read first, and the program's line after it wins.
    if (!state.kept.isEmpty()) {
        lines << kKeptHeader << kKeptHeader2;
        for (const QStringList& group : state.kept) {
            // A comment between keeps a line of exact text from amending the kept line before it.
            if (IsExactLine(group.front())) lines << QStringLiteral(";");
            lines << group;
        }
        lines << QString();
    }
    for (const ProgramLine& line : program)
        lines << Texts(line);
    Write(lines);
    state.written = ById(program);
    state.known = true;
    state.corrected.clear();
    state.stale = state.encoded = false;
}

SettingsWrite SaveChangedSettings() {
    FileState& state = State();
    const QList<ProgramLine> program = ProgramLines();
    const QMap<QString, QList<Field>> now = ById(program);
    QSet<QString> changed;
    for (auto it = now.cbegin(); it != now.cend(); ++it)
        if (state.written.value(it.key()) != it.value()) changed.insert(it.key());
    if (changed.isEmpty() && state.corrected.isEmpty() && !state.stale && !state.encoded)
        return SettingsWrite::Nothing;
    // Every write counts the run that makes it.
    changed.insert(kCountId);

    SettingsDocument doc;
    QString reason;
    switch (ReadDocument(doc, reason)) {
        case FileRead::Missing:
            if (!state.known) {
                SaveSettings();
                return SettingsWrite::Written;
            } else {
                // Removed while the program ran: the removal stands for every setting but those
                // the program changed.
                QStringList lines = HeaderLines();
                for (const ProgramLine& line : program)
                    if (changed.contains(line.id)) lines << Texts(line);
                Write(lines);
                state.kept.clear();
                state.corrected.clear();
                state.stale = state.encoded = false;
                state.written = now;
                return SettingsWrite::WrittenAnew;
            }
        case FileRead::Unreadable:
            throw AppError(ErrPermission, GetMessage(9312, {SettingsFilePath(), reason}));
        case FileRead::Read:
            break;
    }
    WriteFileAtomically(SettingsFilePath(), MergedDocument(doc, program, changed, state, now));
    state.corrected.clear();
    state.stale = state.encoded = false;
    state.written = now;
    return SettingsWrite::Written;
}

}  // namespace qv
