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

namespace qv::sim {

using namespace qv::frames;

InstrumentSimulator::InstrumentSimulator(Content content, QObject* parent)
    : QObject(parent), content_(std::move(content)) {}

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
    if (silence_ > 0) {
        --silence_;
        return;
    }
    if (poweredOff_ || payload.isEmpty()) return;
    const char last = payload.back();
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
        if (code == u"DN") return Reply(key + content_.readings.toLatin1(), EOT);
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
    if (code == u"XC") {
        clearLeft_ = clearPolls_;
        erasing_ = true;
    } else if (code == u"SZ" || code == u"S2") {
        calLeft_ = calPolls_;
        Calibration& cal = code == u"SZ" ? zero_ : span_;
        cal = Calibration{field, QString(), false};
    } else if (code == u"RO") {
        poweredOff_ = true;
    } else if (code == u"HC") {
        content_.reads[code] = field;
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
        if (calLeft_ != 0) {
            if (calLeft_ > 0) --calLeft_;
            return Reply(key, EOT);
        }
        Calibration& cal = code == u"SZ" ? zero_ : span_;
        cal.result = calResult_;
        cal.done = true;
        return Reply(key + calResult_.toLatin1(), EOT);
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
    Reply(blocks_[block_], block_ == blocks_.size() - 1 ? EOT : ETB);
    ++blocksSent_;
    if (closeAfterBlocks_ > 0 && --closeAfterBlocks_ == 0) OnWritable();
}

}  // namespace qv::sim
