// The simulated instrument: pseudo-terminal handling, the answers to each request and the
// injected faults.
#include "InstrumentSimulator.h"

#include "Frames.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace qv::sim {

using namespace qv::frames;

namespace {

// A date of the instrument's YYMMDDhhnnss form; invalid unless it names a real moment.
QDateTime ParseStamp(const QString& text) {
    if (text.size() != 12) return {};
    for (QChar c : text)
        if (c < u'0' || c > u'9') return {};
    const auto part = [&text](int i) { return text.mid(i * 2, 2).toInt(); };
    const QDate date(2000 + part(0), part(1), part(2));
    const QTime time(part(3), part(4), part(5));
    if (!date.isValid() || !time.isValid()) return {};
    return QDateTime(date, time, Qt::UTC);
}

QString StampOf(const QDateTime& d) {
    return d.toString(QStringLiteral("yyMMddHHmmss"));
}

bool OnlyChars(const QString& text, const char* allowed) {
    for (QChar c : text)
        if (c.unicode() > 127 || !std::strchr(allowed, static_cast<char>(c.unicode())) ||
            c == u'\0')
            return false;
    return true;
}

const char* const kDigits = "0123456789";
const char* const kFlags = "01";
const char* const kHexDigits = "0123456789ABCDEF";
// The characters an identity may hold: every printable one but the separators of a reply field
// (a comma, ";" and the quote). The program types only a space, "*", "-", digits and letters,
// but an identity set otherwise is reported, and must be taken back, as it is.
const char* const kIdentity =
    " !\"#$%&()*+-./"
    "0123456789:<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~";

bool Fixed(const QString& text, int width, const char* allowed) {
    return text.size() == width && OnlyChars(text, allowed);
}

// A value field of five characters: a plain decimal number, blanks in front.
bool Number5(const QString& field, double* value) {
    if (field.size() != 5) return false;
    const QString t = field.trimmed();
    if (t.isEmpty() || !OnlyChars(t, "0123456789.") || t.count(u'.') > 1 || t.startsWith(u'.') ||
        t.endsWith(u'.') || field.left(field.size() - t.size()).trimmed().size() != 0)
        return false;
    *value = t.toDouble();
    return true;
}

}  // namespace

InstrumentSimulator::InstrumentSimulator(Content content, QObject* parent)
    : QObject(parent), content_(std::move(content)) {
    const QDateTime clock = ParseStamp(content_.reads.value(QStringLiteral("HC")));
    SetClock(clock.isValid() ? clock
                             : QDateTime(QDate::currentDate(), QTime::currentTime(), Qt::UTC));
}

void InstrumentSimulator::SetClock(const QDateTime& time) {
    clockAt_ = time;
    clockSince_.start();
}

QDateTime InstrumentSimulator::Clock() const {
    return clockAt_.addSecs(clockSince_.elapsed() / 1000);
}

InstrumentSimulator::~InstrumentSimulator() {
    CloseFarEnd();
}

bool InstrumentSimulator::Start(QString* error) {
    const auto fail = [&](const char* what) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(QLatin1String(what),
                                                  QString::fromLocal8Bit(strerror(errno)));
        CloseFarEnd();
        return false;
    };
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0) return fail("posix_openpt");
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return fail("grantpt/unlockpt");
    char name[128] = {};
    if (::ptsname_r(master_, name, sizeof name) != 0) return fail("ptsname");
    path_ = QString::fromLocal8Bit(name);
    // The instrument's side stays open here as well, so the link may close and reopen it.
    slave_ = ::open(name, O_RDWR | O_NOCTTY);
    if (slave_ < 0) return fail("open slave");
    termios tio{};
    if (::tcgetattr(slave_, &tio) != 0) return fail("tcgetattr");
    ::cfmakeraw(&tio);
    if (::tcsetattr(slave_, TCSANOW, &tio) != 0) return fail("tcsetattr");
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    readNotifier_ = std::make_unique<QSocketNotifier>(master_, QSocketNotifier::Read);
    connect(readNotifier_.get(), &QSocketNotifier::activated, this,
            &InstrumentSimulator::OnReadable);
    writeNotifier_ = std::make_unique<QSocketNotifier>(master_, QSocketNotifier::Write);
    writeNotifier_->setEnabled(false);
    connect(writeNotifier_.get(), &QSocketNotifier::activated, this,
            &InstrumentSimulator::OnWritable);
    return true;
}

bool InstrumentSimulator::MakeLink(const QString& linkPath, QString* error) {
    QFile::remove(linkPath);
    if (QFile::link(path_, linkPath)) {
        linkPath_ = linkPath;
        return true;
    }
    if (error) *error = QStringLiteral("cannot link %1 to %2").arg(linkPath, path_);
    return false;
}

void InstrumentSimulator::CloseFarEnd() {
    // A link that another simulator took over since is left to it.
    if (!linkPath_.isEmpty() && QFileInfo(linkPath_).symLinkTarget() == path_)
        QFile::remove(linkPath_);
    linkPath_.clear();
    readNotifier_.reset();
    writeNotifier_.reset();
    if (master_ >= 0) ::close(master_);
    if (slave_ >= 0) ::close(slave_);
    master_ = slave_ = -1;
    output_.clear();
}

int InstrumentSimulator::CountReceived(const QString& prefix) const {
    int n = 0;
    for (const QString& r : received_)
        if (r.startsWith(prefix)) ++n;
    return n;
}

void InstrumentSimulator::OnReadable() {
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n <= 0) break;
        bytesIn_ += n;
        input_.append(buffer, n);
    }
    for (const CutFrame& f : CutFrames(input_)) {
        if (master_ < 0) return;
        Handle(f.bytes);
    }
}

void InstrumentSimulator::OnWritable() {
    while (!output_.isEmpty() && master_ >= 0) {
        const ssize_t n = ::write(master_, output_.constData(), output_.size());
        if (n > 0) {
            bytesOut_ += n;
            output_.remove(0, n);
            continue;
        }
        if (n < 0 && errno == EAGAIN) break;
        output_.clear();
    }
    if (writeNotifier_) writeNotifier_->setEnabled(!output_.isEmpty());
    if (output_.isEmpty() && closeAfterBlocks_ == 0) {
        closeAfterBlocks_ = -1;
        CloseFarEnd();
    }
}

void InstrumentSimulator::Queue(const QByteArray& bytes) {
    if (master_ < 0) return;
    output_ += bytes;
    OnWritable();
}

void InstrumentSimulator::Reply(const QByteArray& payload, char terminator) {
    QByteArray frame = MakeFrame(payload, terminator);
    if (badChecksum_ > 0) {
        --badChecksum_;
        const uint8_t wrong = static_cast<uint8_t>(CheckSum(frame.left(frame.size() - 3)) + 1);
        frame.replace(frame.size() - 3, 2,
                      QByteArray::number(wrong + 0x100, 16).right(2).toUpper());
    }
    if (garbageCount_ > 0) {
        --garbageCount_;
        Queue(garbage_);
    }
    Queue(frame);
}

void InstrumentSimulator::Handle(const QByteArray& frame) {
    if (!ChecksumOk(frame)) {
        ++badFrames_;  // an instrument leaves a damaged request unanswered
        return;
    }
    QByteArray payload = frame.mid(5, frame.size() - 9);
    QString shown = QString::fromLatin1(payload);
    shown.replace(QChar(ACK), QStringLiteral("<ACK>")).replace(QChar(NAK), QStringLiteral("<NAK>"));
    received_ << shown;
    emit RequestReceived(shown);
    // A request held back is answered before whatever came after it.
    if (!held_.isEmpty()) {
        const QByteArray late = std::exchange(held_, QByteArray());
        if (!poweredOff_) Answer(QString::fromLatin1(late));
    }
    if (silence_ > 0) {
        --silence_;
        return;
    }
    if (poweredOff_ || payload.isEmpty()) return;
    const char last = payload.back();
    if (slowHolds_ > 0 && last != ACK && last != NAK && shown.startsWith(slowPrefix_)) {
        --slowHolds_;
        held_ = payload;
        return;
    }
    const bool inTransfer = block_ >= 0 && block_ < blocks_.size();
    if (last == ACK) {
        if (!inTransfer) return;
        if (repeatBlock_ > 0)
            --repeatBlock_;
        else
            ++block_;
        if (block_ < blocks_.size()) SendBlock();
        return;
    }
    if (last == NAK) {
        if (inTransfer) SendBlock();
        return;
    }
    Answer(QString::fromLatin1(payload));
}

void InstrumentSimulator::Answer(const QString& payload) {
    const QString code = payload.left(2);
    const QString mode = payload.mid(3, 1);
    const QByteArray key = (code + u',' + mode + u',').toLatin1();
    blocks_.clear();
    block_ = -1;
    if (mode == u"R") {
        if (code == u"RC") return Reply(key + content_.model.toLatin1(), EOT);
        if (code == u"DN") return Reply(key + ReadingsReply(content_).toLatin1(), EOT);
        if (code == u"HC") return Reply(key + StampOf(Clock()).toLatin1(), EOT);
        if (code == u"EP") return StartDump();
        if (code == u"IH") {
            const QString channel = payload.mid(5).section(u',', 0, 0);
            return StartTransfer(QStringLiteral("IH,R"), channel,
                                 content_.blocks.value(QStringLiteral("IH") + channel));
        }
        if (content_.blocks.contains(code) && !code.startsWith(u"IH"))
            return StartTransfer(code + QStringLiteral(",R"), QString(),
                                 content_.blocks.value(code));
        if (content_.reads.contains(code))
            return Reply(key + content_.reads.value(code).toLatin1(), EOT);
        return;
    }
    if (mode == u"W") return Write(code, payload);
    if (mode == u"C") return Poll(code);
}

void InstrumentSimulator::Write(const QString& code, const QString& payload) {
    const QByteArray key = (code + QStringLiteral(",W,")).toLatin1();
    const QString field = payload.mid(5);
    if (const QString why = Refusal(code, field); !why.isEmpty()) {
        refused_ << payload + QStringLiteral(": ") + why;
        emit RequestRefused(refused_.last());
        // A refused calibration does not run: its polls find nothing.
        if (code == u"SZ") zero_ = Calibration{};
        if (code == u"S2") span_ = Calibration{};
        return Reply(key + NAK, EOT);
    }
    if (code == u"XC") {
        clearLeft_ = clearPolls_;
        erasing_ = true;
    } else if (code == u"SZ" || code == u"S2") {
        calLeft_ = calPolls_;
        if (code == u"SZ")
            zero_ = Calibration{field, {}, QString(), false};
        else
            span_ = Calibration{field.left(5), field.mid(6).split(u','), QString(), false};
    } else if (code == u"RO") {
        poweredOff_ = true;
    } else if (code == u"HC") {
        content_.reads[code] = field;
        SetClock(ParseStamp(field));
    } else if (code == u"BP") {
        content_.pumpOn = field == u"1";
    } else if (code == u"DW") {
        ++commits_;
    }
    if (code == u"XC" || code == u"RO" || code == u"SZ" || code == u"S2" || code == u"HC" ||
        code == u"BP" || code == u"DW")
        return Reply(key, EOT);
    // A setting is kept and echoed; the gas list is read back without its enable mask.
    content_.reads[code] = code == u"GJ" ? field.section(u',', 1) : field;
    Reply(payload.toLatin1(), EOT);
}

QString InstrumentSimulator::Refusal(const QString& code, const QString& field) const {
    const QStringList parts = field.split(u',');
    // Five channel values of five characters: "*****" or a number within the channel's scale.
    const auto levels = [&]() -> QString {
        if (parts.size() != 5) return QStringLiteral("not five values");
        for (int c = 0; c < 5; ++c) {
            if (parts[c] == u"*****") continue;
            double v = 0;
            if (!Number5(parts[c], &v)) return QStringLiteral("value %1 malformed").arg(c + 1);
            const GasChannel gas = ChannelOf(content_, c);
            if (gas.present && v > gas.fullScale)
                return QStringLiteral("value %1 above full scale").arg(c + 1);
        }
        return {};
    };
    if (code == u"XZ" || code == u"XS")
        return Fixed(field, 10, kIdentity) ? QString() : QStringLiteral("not 10 identity chars");
    if (code == u"IN" || code == u"HN")
        return Fixed(field, 12, kIdentity) ? QString() : QStringLiteral("not 12 identity chars");
    if (code == u"LP" || code == u"AP" || code == u"SM" || code == u"XL" || code == u"XA" ||
        code == u"XB" || code == u"XW" || code == u"AT")
        return !field.isEmpty() && field.size() <= 5 && OnlyChars(field, kDigits)
                   ? QString()
                   : QStringLiteral("not a decimal");
    if (code == u"XI" || code == u"SD" || code == u"BP")
        return Fixed(field, 1, kFlags) ? QString() : QStringLiteral("not a flag");
    if (code == u"XT")
        return Fixed(field, 4, kHexDigits) ? QString() : QStringLiteral("not 4 hex digits");
    if (code == u"UL" || code == u"HF" || code == u"SC")
        return Fixed(field, 2, kHexDigits) ? QString() : QStringLiteral("not 2 hex digits");
    if (code == u"XP") {
        if (!Fixed(field, 4, kHexDigits)) return QStringLiteral("not 4 hex digits");
        const int seconds = field.toInt(nullptr, 16);
        return seconds >= 1 && seconds <= 3600 ? QString()
                                               : QStringLiteral("interval out of range");
    }
    if (code == u"A1" || code == u"A2" || code == u"AS" || code == u"AW" || code == u"SA")
        return levels();
    if (code == u"UZ") return Fixed(field, 5, kDigits) ? QString() : QStringLiteral("not 5 digits");
    if (code == u"HC")
        return ParseStamp(field).isValid() ? QString() : QStringLiteral("not a date");
    if (code == u"SZ") return Fixed(field, 5, kFlags) ? QString() : QStringLiteral("bad mask");
    if (code == u"GJ") {
        if (parts.size() != 6 || !Fixed(parts[0], 5, kFlags))
            return QStringLiteral("not a mask and five gases");
        for (int c = 0; c < 5; ++c) {
            const QString& f = parts[c + 1];
            if (parts[0][c] == u'0') {
                if (f != QString(18, u'*')) return QStringLiteral("gas %1 not empty").arg(c + 1);
                continue;
            }
            double full = 0, step = 0;
            if (f.size() != 18 || f.left(4).trimmed().isEmpty() || f.contains(u'*') ||
                !Number5(f.mid(4, 5), &full) || !Number5(f.mid(9, 5), &step) || full <= 0 ||
                step <= 0 || f.mid(14, 4).trimmed().isEmpty())
                return QStringLiteral("gas %1 malformed").arg(c + 1);
        }
        return {};
    }
    if (code == u"S2") {
        if (parts.size() != 6 || !Fixed(parts[0], 5, kFlags))
            return QStringLiteral("not a mask and five concentrations");
        for (int c = 0; c < 5; ++c) {
            const QString& f = parts[c + 1];
            if (parts[0][c] == u'0') {
                if (f != u"*****")
                    return QStringLiteral("unselected gas %1 has a value").arg(c + 1);
                continue;
            }
            double v = 0;
            const GasChannel gas = ChannelOf(content_, c);
            if (!gas.present) return QStringLiteral("gas %1 has no sensor").arg(c + 1);
            if (!Number5(f, &v)) return QStringLiteral("concentration %1 malformed").arg(c + 1);
            if (v > gas.fullScale)
                return QStringLiteral("concentration %1 above full scale").arg(c + 1);
        }
        return {};
    }
    if (code == u"DW" || code == u"XC" || code == u"RO")
        return field.isEmpty() ? QString() : QStringLiteral("unexpected data");
    return {};
}

QString InstrumentSimulator::FinishCalibration(Calibration& cal, const QString& outcome,
                                               bool span) {
    QString result;
    const QDateTime now = Clock();
    for (int c = 0; c < 5; ++c) {
        const GasChannel gas = ChannelOf(content_, c);
        const bool asked = cal.channels.mid(c, 1) == u"1";
        const QChar r = asked && gas.present && c < outcome.size() ? outcome[c] : QChar(u'1');
        result += r;
        if (r != u'0') continue;
        double& reading = content_.readings[static_cast<size_t>(c)];
        const double before = reading;
        // A zero takes clean air (oxygen at its normal level); a span takes its gas.
        const double after = span ? cal.concentrations.value(c).trimmed().toDouble()
                                  : (gas.name == u"OXY" ? 20.9 : 0.0);
        reading = after;
        RecordCalibration(content_, c, now, before, after);
    }
    cal.result = result;
    cal.done = true;
    return result;
}

void InstrumentSimulator::Poll(const QString& code) {
    const QByteArray key = (code + QStringLiteral(",C,")).toLatin1();
    if (code == u"XC") {
        if (clearLeft_ != 0) {
            if (clearLeft_ > 0) --clearLeft_;
            return Reply(key + "0", EOT);
        }
        if (erasing_) {
            erasing_ = false;
            EraseLogs(content_);
            ++erases_;
        }
        return Reply(key + ACK, EOT);
    }
    if (code == u"SZ" || code == u"S2") {
        Calibration& cal = code == u"SZ" ? zero_ : span_;
        if (cal.channels.isEmpty()) return Reply(key + NAK, EOT);
        if (cal.done) return Reply(key + cal.result.toLatin1(), EOT);
        if (calLeft_ != 0) {
            if (calLeft_ > 0) --calLeft_;
            return Reply(key, EOT);
        }
        const QString result =
            FinishCalibration(cal, code == u"SZ" ? zeroResult_ : spanResult_, code == u"S2");
        return Reply(key + result.toLatin1(), EOT);
    }
}

void InstrumentSimulator::StartTransfer(const QString& replyKey, const QString& field0,
                                        const QStringList& lines) {
    const int per = qBound(1, linesPerBlock_, 47);
    const int count = qMax(1, static_cast<int>((lines.size() + per - 1) / per));
    blocks_.clear();
    for (int b = 0; b < count; ++b) {
        const QStringList part = lines.mid(b * per, per);
        QString payload = replyKey + BlockHeader(field0, count, b + 1, part.size());
        if (!part.isEmpty()) payload += u',' + part.join(u',');
        blocks_ << payload.toLatin1();
    }
    block_ = 0;
    SendBlock();
}

QString InstrumentSimulator::BlockHeader(const QString& field0, int count, int number,
                                         qsizetype size) const {
    const auto field = [this](qint64 n) {
        return counterHeaders_ ? QStringLiteral("%1").arg(n, 4, 10, QChar(u'0'))
                               : QString::number(n);
    };
    const QString first = field0.isEmpty() || counterHeaders_ ? field(count) : field0;
    return u',' + first + u',' + field(number) + u',' + field(size);
}

void InstrumentSimulator::StartDump() {
    const int count = qMax(1, static_cast<int>((content_.eeprom.size() + 127) / 128));
    blocks_.clear();
    for (int b = 0; b < count; ++b) {
        const QByteArray part = content_.eeprom.mid(b * 128, 128);
        blocks_ << "EP,R" + BlockHeader(QString(), count, b + 1, part.size()).toLatin1() + ',' +
                       part.toHex().toUpper();
    }
    block_ = 0;
    SendBlock();
}

void InstrumentSimulator::SendBlock() {
    QByteArray block = blocks_[block_];
    if (blockNumber_ >= 0) {
        QList<QByteArray> fields = block.split(',');
        if (fields.size() > 3) fields[3] = QByteArray::number(std::exchange(blockNumber_, -1));
        block = fields.join(',');
    }
    Reply(block, block_ == blocks_.size() - 1 ? EOT : ETB);
    ++blocksSent_;
    if (closeAfterBlocks_ > 0 && --closeAfterBlocks_ == 0) OnWritable();
}

}  // namespace qv::sim
