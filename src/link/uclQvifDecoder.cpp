// The reply decoder of the instrument interface control: a received frame is cut down to its
// reply key and fields and stored, by the key, into the instrument object, the collection of
// the running download, the command results or the dump list. Its result is the verdict.
#include "Dates.h"
#include "Frames.h"
#include "Runtime.h"
#include "clsAlarmEvents.h"
#include "clsAlarms.h"
#include "clsHistorys.h"
#include "clsInstrument.h"
#include "clsIntervals.h"
#include "clsPowerEvents.h"
#include "clsRecordSet.h"
#include "clsToken.h"
#include "clsTroubleEvents.h"
#include "modGasCommon.h"
#include "modMessage.h"
#include "uclQvif.h"

#include <QSet>
#include <QStringList>
#include <cmath>
#include <exception>
#include <limits>

namespace qv {

namespace {

// A field as a 16-bit decimal; false when it is no number (out of range raises overflow).
bool Decimal(const QString& field, int16_t* value) {
    if (!rt::IsNumeric(field)) return false;
    *value = rt::CInt(field);
    return true;
}

// A hexadecimal number of one to four digits as a 16-bit signed value (FFFF is -1). Only the
// digits the instrument sends count: a "0x" prefix or a sign is a malformed field, not a value.
bool Hex(const QString& field, int16_t* value) {
    const QString text = rt::Trim(field);
    if (text.isEmpty() || text.size() > 4) return false;
    for (const QChar c : text)
        if (!QStringView(u"0123456789ABCDEFabcdef").contains(c)) return false;
    *value = static_cast<int16_t>(static_cast<uint16_t>(text.toUInt(nullptr, 16)));
    return true;
}

// A number that fits a Single; false for any other text.
bool Single(const QString& field, float* value) {
    if (!rt::IsNumeric(field)) return false;
    const double v = rt::ToDouble(field);
    if (!(std::fabs(v) <= std::numeric_limits<float>::max())) return false;
    *value = static_cast<float>(v);
    return true;
}

// A level is "*****" (no level, -1) or a number.
bool Level(const QString& field, float* value) {
    if (field == QStringLiteral("*****")) {
        *value = GasNoData;
        return true;
    }
    return Single(field, value);
}

// Conventions of the identity and settings replies.
enum class Conv { Text, Decimal, Hex, Flag };

struct Setting {
    const char* code;
    Conv conv;
    void (*store)(clsInstrument&, const QString& text, int16_t value);
    // The echo check of the write form: the field against the present value.
    bool (*same)(const clsInstrument&, const QString& text, int16_t value);
    void (*clearFlag)(clsInstrument&);
};

// The echo of a text is compared with the text as the upload sent it, cut to its field's width.
#define QV_TEXT(Code, Prop, Flag, Width)                                                       \
    {                                                                                          \
        Code, Conv::Text, [](clsInstrument& i, const QString& t, int16_t) { i.Set##Prop(t); }, \
            [](const clsInstrument& i, const QString& t, int16_t) {                            \
                return t == rt::Trim(rt::PadCut(i.Prop(), Width));                             \
            },                                                                                 \
            [](clsInstrument& i) { i.Set##Flag(false); }                                       \
    }
#define QV_NUMBER(Code, C, Prop, Flag)                                                       \
    {                                                                                        \
        Code, C, [](clsInstrument& i, const QString&, int16_t v) { i.Set##Prop(v); },        \
            [](const clsInstrument& i, const QString&, int16_t v) { return v == i.Prop(); }, \
            [](clsInstrument& i) { i.Set##Flag(false); }                                     \
    }
#define QV_FLAG(Code, Prop, ChangeFlag)                                               \
    {                                                                                 \
        Code, Conv::Flag,                                                             \
            [](clsInstrument& i, const QString&, int16_t v) { i.Set##Prop(v != 0); }, \
            [](const clsInstrument& i, const QString& t, int16_t) {                   \
                return t == (i.Prop() ? QStringLiteral("1") : QStringLiteral("0"));   \
            },                                                                        \
            [](clsInstrument& i) { i.Set##ChangeFlag(false); }                        \
    }

const Setting kSettings[] = {
    QV_TEXT("IN", SerialNo, Change_SerialNo, 12),
    QV_TEXT("HN", DummySerial, Change_DummySerial, 12),
    QV_TEXT("XS", StationID, Change_StationID, 10),
    QV_TEXT("XZ", UserId, Change_UserID, 10),
    QV_NUMBER("LP", Conv::Decimal, HcMode, Change_HCMode),
    QV_NUMBER("AP", Conv::Decimal, AlarmMode, Change_AlarmMode),
    QV_NUMBER("SM", Conv::Decimal, CalCheck, Change_CalCheck),
    QV_NUMBER("XL", Conv::Decimal, LunchBreak, Change_LunchBreak),
    QV_NUMBER("XA", Conv::Decimal, AlarmSilence, Change_AlarmSilence),
    QV_NUMBER("XB", Conv::Decimal, Confermation, Change_Confermation),
    QV_NUMBER("XW", Conv::Decimal, LogOverWrite, Change_LogOverWrite),
    QV_NUMBER("AT", Conv::Decimal, AlarmO2, Change_AlarmO2),
    QV_NUMBER("SC", Conv::Hex, CalLimit, Change_CalLimit),
    QV_NUMBER("XP", Conv::Hex, Intervals, Change_Interval),
    QV_NUMBER("XT", Conv::Hex, LcdBackLight, Change_LcdBackLight),
    QV_NUMBER("UL", Conv::Hex, LcdContrast, Change_LcdContrast),
    QV_NUMBER("HF", Conv::Hex, FlowAdjust, Change_FlowAdjust),
    QV_FLAG("XI", DispID, Change_DispID),
    QV_FLAG("SD", DispCalLimit, Change_DispCalLimit),
};
#undef QV_TEXT
#undef QV_NUMBER
#undef QV_FLAG

const QSet<QString>& AcceptedWithoutEffect() {
    static const QSet<QString> keys = [] {
        QSet<QString> k{"SZ,R", "S1,R", "S1,W", "S2,R", "DP,R", "UG,R", "UG,W",
                        "HC,W", "VS,R", "XC,W", "RO,W", "UX,W", "UD,W", "UP,W",
                        "DW,W", "BP,R", "BP,W", "GJ,W", "UZ,W"};
        for (char c = 'A'; c <= 'V'; ++c)
            k.insert(QStringLiteral("Y%1,R").arg(QChar(c)));
        return k;
    }();
    return keys;
}

// Record lines of a block: every field from the fourth on.
QStringList BlockLines(const clsToken& tok) {
    QStringList lines;
    for (int i = 3; i < tok.TokenCount(); ++i)
        lines << tok.Tokens(i);
    return lines;
}

// The two passes over a block: store only when every line passed the test.
template <class Collection>
bool TakeBlock(Collection* collection, const QStringList& lines) {
    if (!collection) return false;
    if (!collection->TestLines(lines)) return false;
    return collection->StoreLines(lines);
}

}  // namespace

bool uclQvif::ParseReply(const QByteArray& frame) {
    // A reply that breaks a conversion or the tokenizer is a bad frame like any other: it is
    // refused and asked for again, and the receive event goes on.
    try {
        return Decode(frame);
    } catch (const std::exception&) {
        return false;
    }
}

QString uclQvif::ReplyKey(const QByteArray& frame) {
    // Control characters are not part of the text; then "0001", the key, a separator, the
    // fields and two checksum characters.
    const QString text = PrintableOnly(QString::fromLatin1(frame));
    if (text.size() < 11) return {};
    return text.mid(4, 4);
}

bool uclQvif::Decode(const QByteArray& frame) {
    // Only a frame whose checksum holds is read at all.
    if (!frames::ChecksumOk(frame)) return false;
    clsToken tok;
    tok.ClearComments();
    tok.ClearDelimiters();
    tok.ClearStrings();
    tok.AddComments(QStringLiteral(";"));
    tok.AddDelimiters(QStringLiteral(","));
    tok.AddDelimiters(QStringLiteral("\t"));
    tok.AddStrings(QStringLiteral("'"));

    const QString key = ReplyKey(frame);
    if (key.isEmpty()) return false;
    const QString text = PrintableOnly(QString::fromLatin1(frame));
    tok.SetSource(text.mid(9, text.size() - 11));

    if (AcceptedWithoutEffect().contains(key)) return true;
    if (key == u"RC,R") {
        if (!frame.contains("RC,R,QV-4170")) return false;
        if (linkState_ != LinkConnected) {
            linkState_ = LinkConnected;
            // Whatever the host starts on a connection runs after this receive event.
            QMetaObject::invokeMethod(
                this, [this] { emit OnConnect(); }, Qt::QueuedConnection);
            WriteSerialLog(GetMessage(5514));
        }
        return true;
    }
    if (key == u"SZ,W" || key == u"SZ,C" || key == u"S2,W" || key == u"S2,C") {
        QString& target = key.startsWith(u"SZ") ? zeroStatusText_ : spanStatusText_;
        const QString field = rt::Trim(tok.Tokens(0));
        if (field.size() == 5)
            target = field;
        else if (key.endsWith(u'C'))
            target.clear();
        return true;
    }
    if (key == u"XC,C") {
        clearDone_ = frame.contains(frames::ACK);
        return true;
    }
    if (key == u"EP,R") return DecodeDump(tok);
    if (key == u"DR,R" || key == u"DJ,R" || key == u"VE,R" || key == u"TV,R" || key == u"DO,R" ||
        key == u"IH,R")
        return DecodeBlock(key, tok);
    if (!instrument_) return false;
    if (key.size() == 4 && (key.endsWith(u",R") || key.endsWith(u",W"))) {
        const QString code = key.left(2);
        for (const Setting& s : kSettings)
            if (code == QLatin1String(s.code)) return DecodeSetting(key, tok);
    }
    return DecodeChannels(key, tok);
}

bool uclQvif::DecodeSetting(const QString& key, const clsToken& tok) {
    const Setting* setting = nullptr;
    for (const Setting& s : kSettings)
        if (key.left(2) == QLatin1String(s.code)) setting = &s;
    clsInstrument& inst = *instrument_;
    const QString field = tok.Tokens(0);
    const bool read = key.endsWith(u'R');
    QString textValue;
    int16_t value = 0;
    switch (setting->conv) {
        case Conv::Text:
            textValue = rt::Trim(field);
            break;
        case Conv::Decimal:
            if (!Decimal(field, &value)) return false;
            break;
        case Conv::Hex:
            if (!Hex(field, &value)) return false;
            break;
        case Conv::Flag:
            if (!rt::IsNumeric(field)) return false;
            value = field == u"1" ? 1 : 0;
            textValue = rt::Trim(field);
            break;
    }
    if (!read) return setting->same(inst, textValue, value);
    setting->store(inst, textValue, value);
    setting->clearFlag(inst);
    return true;
}

bool uclQvif::DecodeChannels(const QString& key, const clsToken& tok) {
    clsInstrument& inst = *instrument_;
    if (key == u"VP,R") {
        const QString field = tok.Tokens(0);
        if (!rt::IsNumeric(field)) return false;
        inst.SetRomNumber(rt::CLng(field));
        return true;
    }
    if (key == u"DD,R") {
        int16_t v = 0;
        if (!Decimal(tok.Tokens(0), &v)) return false;
        inst.SetFlowValue(v);
        return true;
    }
    if (key == u"HA,R") {
        for (int k = 0; k <= 7; ++k) {
            int16_t v = 0;
            if (Hex(tok.Tokens(k), &v)) inst.SetAnalogValue(k, v);
        }
        return true;
    }
    if (key == u"HC,R") {
        const QString f = tok.Tokens(0);
        if (f.size() != 12) return false;
        for (QChar c : f)
            if (!c.isDigit() || c.unicode() > 127) return false;
        const auto part = [&f](int i) { return f.mid(i * 2, 2).toInt(); };
        const QDate date(2000 + part(0), part(1), part(2));
        const QTime time(part(3), part(4), part(5));
        if (!date.isValid() || !time.isValid()) return false;
        const QDateTime sysDate = rt::MakeDate(date.year(), date.month(), date.day(), time.hour(),
                                               time.minute(), time.second());
        inst.SetSysDate(sysDate);
        inst.SetSysDateOffset(rt::AddSeconds(rt::ZeroDate(), sysDate.secsTo(rt::Now())));
        return true;
    }
    const bool isLevelKey = key == u"A1,R" || key == u"A2,R" || key == u"AS,R" || key == u"AW,R";
    if (isLevelKey) {
        if (tok.TokenCount() != 5) return false;
        bool all = true;
        for (int i = 0; i < 5; ++i) {
            float v = 0;
            if (!Level(tok.Tokens(i), &v)) {
                all = false;
                continue;
            }
            GasLevel kind = GasLevel::Twa;
            if (key == u"A1,R") {
                kind = GasLevel::Warning;
                inst.SetWarning(i, v);
                inst.SetChange_Warn(i, false);
            } else if (key == u"A2,R") {
                kind = GasLevel::Alarm;
                inst.SetAlarm(i, v);
                inst.SetChange_Alarm(i, false);
            } else if (key == u"AS,R") {
                kind = GasLevel::Stel;
                inst.SetStel(i, v);
                inst.SetChange_Stel(i, false);
            } else {
                inst.SetTwa(i, v);
                inst.SetChange_Twa(i, false);
            }
            // The field itself: its decimal places, also those of a sensor switched off.
            inst.SetLevelRead(i, kind, tok.Tokens(i));
        }
        return all;
    }
    if (key == u"A1,W" || key == u"A2,W" || key == u"AS,W" || key == u"AW,W") {
        if (tok.TokenCount() != 5) return false;
        float v = 0;
        for (int i = 0; i < 5; ++i)
            if (!Level(tok.Tokens(i), &v)) return false;
        return true;
    }
    if (key == u"SA,R") {
        std::array<float, 5> values{};
        for (int i = 0; i < 5; ++i)
            if (!Level(tok.Tokens(i), &values[static_cast<size_t>(i)])) return false;
        for (int i = 0; i < 5; ++i) {
            inst.SetAutoCalib(i, values[static_cast<size_t>(i)]);
            inst.SetChange_AutoCal(i, false);
            inst.SetLevelRead(i, GasLevel::AutoCal, tok.Tokens(i));
        }
        return true;
    }
    if (key == u"SA,W") {
        // The upload sends "*****" for a channel without a value; its echo is as good.
        float v = 0;
        for (int i = 0; i < 5; ++i)
            if (!Level(tok.Tokens(i), &v)) return false;
        return true;
    }
    if (key == u"UZ,R") {
        const QString f = tok.Tokens(0);
        bool all = true;
        for (int i = 0; i < 5; ++i) {
            if (i >= f.size() || f[i] < u'0' || f[i] > u'9') {
                all = false;
                continue;
            }
            // Each digit as read: one nobody changed goes back with the others as it was.
            inst.SetZero(i, static_cast<int16_t>(f[i].unicode() - u'0'));
            inst.SetChange_Zero(i, false);
        }
        return all;
    }
    if (key == u"GJ,R") {
        // A gas list read is what the instrument holds, not an edit: it raises no flag, so
        // the next upload writes the gas list only when the user changed it.
        const auto settled = [&](int i) {
            inst.SetChange_GasEnable(i, false);
            inst.SetChange_GasPoint(i, false);
            // The entry itself: a sensor nobody changed goes back in it.
            inst.SetGasEntryRead(i, tok.Tokens(i));
        };
        for (int i = 0; i < 5; ++i) {
            const QString f = tok.Tokens(i);
            if (f.size() != 18) continue;
            if (f.contains(u'*')) {
                inst.SetGasName(i, QString());
                inst.SetGasUnit(i, QString());
                inst.SetGasEnabled(i, false);
                inst.SetGasFullScale(i, -1);
                inst.SetGasDesit(i, 0);
                inst.SetGasPoint(i, -1);
                settled(i);
                continue;
            }
            const QString desit = f.mid(9, 5);
            float fullValue = 0, desitValue = 0;
            // An entry whose numbers cannot be read leaves its channel as it was.
            if (!Single(f.mid(4, 5), &fullValue) || !Single(desit, &desitValue)) continue;
            inst.SetGasName(i, rt::Trim(f.left(4)));
            inst.SetGasEnabled(i, true);
            inst.SetGasFullScale(i, fullValue);
            inst.SetGasDesit(i, desitValue);
            inst.SetGasPoint(i, CountDecimals(desit));
            inst.SetGasUnit(i, rt::Trim(f.mid(14, 4)));
            settled(i);
        }
        return tok.Tokens(4).size() == 18;
    }
    if (key == u"SO,R") {
        if (tok.TokenCount() != 5) return false;
        for (int i = 0; i < 5; ++i) {
            const QString f = tok.Tokens(i);
            if (f.size() != 22) continue;
            const auto pair = [&f](int n) { return f.mid(n * 2, 2); };
            if (rt::IsNumeric(pair(0)) && rt::IsNumeric(pair(1)) && rt::IsNumeric(pair(2)))
                inst.SetCalibDate(i, rt::DateSerial(2000 + rt::CInt(pair(0)), rt::CInt(pair(1)),
                                                    rt::CInt(pair(2))));
            if (rt::IsNumeric(pair(3)) && rt::IsNumeric(pair(4)) && rt::IsNumeric(pair(5)))
                inst.SetCalibDate(
                    i, rt::AddSeconds(inst.CalibDate(i),
                                      rt::TimeSerial(rt::CInt(pair(3)), rt::CInt(pair(4)),
                                                     rt::CInt(pair(5)))));
            const auto value = [](const QString& v) {
                float number = -1;
                return v.contains(u'*') || !Single(v, &number) ? -1.0f : number;
            };
            inst.SetCalibBefore(i, value(f.mid(12, 5)));
            inst.SetCalibAfter(i, value(f.mid(17, 5)));
        }
        return tok.Tokens(4).size() == 22;
    }
    if (key == u"DN,R") {
        for (int i = 0; i < 5; ++i) {
            const QString f = tok.Tokens(i);
            float v = 0;
            if (Single(f, &v)) inst.SetLimitValue(i, v);
            // A channel without a reading shows the code for no data.
            else if (f.contains(u'*'))
                inst.SetLimitValue(i, GasNoData);
        }
        emit Densty(inst.LimitValue(0), inst.LimitValue(1), inst.LimitValue(2), inst.LimitValue(3),
                    inst.LimitValue(4));
        return true;
    }
    return false;
}

bool uclQvif::DecodeBlock(const QString& key, const clsToken& tok) {
    // Fields past the tokenizer's last readable slot would be lost without a trace: such a
    // block is refused whole rather than stored short.
    if (tok.TokenCount() > 50) return false;
    const QStringList lines = BlockLines(tok);
    if (key == u"DR,R") return TakeBlock(intervals_.get(), lines);
    if (key == u"DJ,R") return TakeBlock(alarms_.get(), lines);
    if (key == u"VE,R") return TakeBlock(alarmEvents_.get(), lines);
    if (key == u"TV,R") return TakeBlock(troubleEvents_.get(), lines);
    if (key == u"DO,R") return TakeBlock(powerEvents_.get(), lines);
    // "IH,R": the lines of one channel's calibration history.
    if (!history_) return false;
    if (!history_->TestLines(historyChannel_, lines)) return false;
    return history_->StoreLines(historyChannel_, lines);
}

void uclQvif::SetDumpTarget(QIODevice* out) {
    dumpOut_ = out;
    dumpNextBlock_ = 1;
    dumpBroken_ = false;
    dumpLineCount_ = 0;
    dumpLineAddress_.fill(0);
    dumpLineText_.fill(QString());
}

bool uclQvif::DecodeDump(const clsToken& tok) {
    // A block that arrives while no dump runs has nowhere to go.
    if (!dumpOut_) return true;
    const QString blockText = tok.Tokens(1);
    const QString data = tok.Tokens(3);
    // A block without a readable number, or with more than its 128 bytes, cannot be placed:
    // it is refused and asked for again.
    if (!rt::IsNumeric(blockText) || data.size() > 256) return false;
    // Each block's addresses follow from its number: a list is whole only when every block
    // came once and in order. A block out of sequence (a second block 1 with other bytes, a
    // gap, a number of 0) breaks the dump, which then ends as failed.
    if (dumpBroken_ || rt::ToDouble(blockText) != dumpNextBlock_) {
        if (!dumpBroken_)
            WriteSerialLog(
                GetMessage(9111, {rt::Trim(blockText), QString::number(dumpNextBlock_)}));
        dumpBroken_ = true;
        return false;
    }
    const int32_t block = dumpNextBlock_++;
    if (data.isEmpty()) return true;
    for (int k = 0; k * 32 < data.size(); ++k) {
        QString line = data.mid(k * 32, 32);
        if (line.size() < 32) line += QString(32 - line.size(), u'F');
        dumpLineText_[dumpLineCount_] = line;
        dumpLineAddress_[dumpLineCount_] =
            static_cast<int32_t>((static_cast<int64_t>(block) - 1) * 128 + 16 * k);
        ++dumpLineCount_;
        if (dumpLineCount_ > 15) {
            WriteDumpPage();
            dumpLineCount_ = 0;
        }
    }
    return true;
}

namespace {
QString Hex6(int32_t address) {
    return QString::number(static_cast<uint32_t>(address), 16).toUpper().rightJustified(6, u'0');
}
// The byte and character columns of one 16-byte line.
QString FormatDumpLine(const QString& text) {
    QString hex, chars;
    for (int k = 0; k < 16; ++k) {
        const QString pair = text.mid(2 * k, 2);
        bool ok = false;
        const uint byte = pair.toUInt(&ok, 16);
        if (ok && pair.size() == 2) {
            hex += QString::number(byte + 0x100, 16).right(2).toUpper();
            chars += (byte < 32 || byte > 126) ? QChar(u'.') : QChar(byte);
        } else {
            hex += pair.leftJustified(2, u' ');
            chars += u'.';
        }
        hex += u' ';
        if (k == 7) hex += u' ';
    }
    return hex + QStringLiteral("  ") + chars;
}
}  // namespace

void uclQvif::WriteDumpPage() {
    if (!dumpOut_) return;
    QString page = QStringLiteral(
        "Adrs   +0 +1 +2 +3 +4 +5 +6 +7  +8 +9 +A +B +C +D +E +F   List Of ASCII   \r\n");
    page += QString(74, u'-') + QStringLiteral("\r\n");
    for (int i = 0; i < 16; ++i)
        page += Hex6(dumpLineAddress_[i]) + u' ' + FormatDumpLine(dumpLineText_[i]) +
                QStringLiteral("\r\n");
    page += QStringLiteral("\r\n");
    dumpOut_->write(page.toLatin1());
    emit DumpMessage(QStringLiteral("Get Dump ") + Hex6(dumpLineAddress_[0]) + u'-' +
                     Hex6(dumpLineAddress_[15] + 15));
}

}  // namespace qv
