// A simulated instrument on a pseudo-terminal: it answers the connect poll, live readings, the
// read table, every download kind in blocks, settings writes with their echo, commands and
// calibration, keeps a running clock, and injects faults on request. It is a strict peer: a
// write whose fields break their width, form or range is refused (answered with NAK, changes
// nothing) and noted. It runs on the caller's event loop.
#pragma once

#include "SimContent.h"

#include <QElapsedTimer>
#include <QObject>
#include <QSocketNotifier>
#include <memory>

namespace qv::sim {

class InstrumentSimulator : public QObject {
    Q_OBJECT
  public:
    explicit InstrumentSimulator(Content content = DefaultContent(), QObject* parent = nullptr);
    ~InstrumentSimulator() override;

    // Opens the pseudo-terminal in raw mode; false with the cause in error.
    bool Start(QString* error = nullptr);
    // The device path of the instrument's side for the link to open.
    const QString& Path() const { return path_; }
    // A symbolic link to the device (replaced when it exists). It goes with the device, as the
    // node of an unplugged converter does: a pseudo-terminal's number is soon given to another
    // one, which a link left behind would lead to.
    bool MakeLink(const QString& linkPath, QString* error = nullptr);
    // The far end closes: the link sees the device go.
    void CloseFarEnd();
    bool IsOpen() const { return master_ >= 0; }

    Content& content() { return content_; }
    // Record lines per block (1 to 47).
    void SetLinesPerBlock(int lines) { linesPerBlock_ = lines; }
    // Header fields 0 to 2 of every block as four-digit counters (blocks in the transfer, this
    // block's number, its lines or bytes) instead of echoing the request ("IH,R,0001,0001,0003"
    // where the default answers "IH,R,1,1,3" to "IH,R,1,").
    void SetCounterHeaders(bool on) { counterHeaders_ = on; }
    // "XC,C" polls answered as still erasing before the one that reports done (and erases the
    // logged data); a negative count keeps the instrument erasing for ever.
    void SetClearPolls(int polls) { clearPolls_ = polls; }
    // "SZ,C" / "S2,C" polls answered without a result before the one with the result; a
    // negative count keeps the calibration running for ever. `result` sets both outcomes.
    void SetCalibrationPolls(int polls, const QString& result = QStringLiteral("00000")) {
        calPolls_ = polls;
        zeroResult_ = spanResult_ = result;
    }
    // The outcome per channel ("0" calibrated) of the next zero or span calibrations; a channel
    // that was not asked for, or has no sensor, is always reported as not calibrated.
    void SetZeroResult(const QString& result) { zeroResult_ = result; }
    void SetSpanResult(const QString& result) { spanResult_ = result; }
    // The instrument's clock: set now to `time`, it runs on from there.
    void SetClock(const QDateTime& time);
    QDateTime Clock() const;
    // After "RO,W," the instrument is off and answers nothing until PowerOn.
    void PowerOn() { poweredOff_ = false; }
    bool PoweredOff() const { return poweredOff_; }

    // The last zero ("SZ") or span ("S2") calibration the instrument was asked for.
    struct Calibration {
        QString channels;            // the channel mask of the request
        QStringList concentrations;  // span only: the five concentration fields as sent
        QString result;              // the per-channel result reported when it finished
        bool done = false;           // a poll has reported the result
    };
    const Calibration& ZeroCalibration() const { return zero_; }
    const Calibration& SpanCalibration() const { return span_; }
    // Erases completed and write sequences closed with "DW,W,".
    int Erases() const { return erases_; }
    // Writes refused, each as its payload, ": " and the reason.
    const QStringList& Refused() const { return refused_; }
    int SettingsCommits() const { return commits_; }

    // Faults, each used up as it applies.
    void InjectBadChecksum(int replies = 1) { badChecksum_ += replies; }
    void InjectSilence(int requests = 1) { silence_ += requests; }
    void InjectGarbage(const QByteArray& bytes, int replies = 1) {
        garbage_ = bytes;
        garbageCount_ += replies;
    }
    // Forgets every fault not yet used up.
    void ClearFaults() {
        badChecksum_ = silence_ = garbageCount_ = repeatBlock_ = slowHolds_ = 0;
        blockNumber_ = -1;
        closeAfterBlocks_ = -1;
        held_.clear();
    }
    // After an ACK the block just acknowledged is sent again instead of the next one.
    void InjectRepeatBlock(int times = 1) { repeatBlock_ += times; }
    // The next block sent carries `number` in its block-number field (field 1) instead of its
    // own.
    void InjectBlockNumber(int number) { blockNumber_ = number; }
    // The next request that starts with `prefix` is answered late: only when the link has sent
    // it again after its reply time-out. The repeat is answered as well, late again, when the
    // next frame arrives; so the instrument answers the one request twice, the second time
    // while the link already waits for its next reply.
    void InjectSlowOnce(const QString& prefix) {
        slowPrefix_ = prefix;
        slowHolds_ = 2;
    }
    // The far end closes right after this many further blocks have been sent.
    void InjectCloseAfterBlocks(int blocks) { closeAfterBlocks_ = blocks; }

    // Payloads received in order; an ACK or NAK frame shows as its payload with "<ACK>" or
    // "<NAK>" in place of the control character.
    const QStringList& Received() const { return received_; }
    int CountReceived(const QString& prefix) const;
    void ClearReceived() { received_.clear(); }
    int BadFramesReceived() const { return badFrames_; }
    int BlocksSent() const { return blocksSent_; }
    // Bytes taken from and written to the device so far.
    qint64 BytesIn() const { return bytesIn_; }
    qint64 BytesOut() const { return bytesOut_; }

  signals:
    void RequestReceived(const QString& payload);
    // A write was refused: its payload, ": " and the reason.
    void RequestRefused(const QString& refusal);

  private:
    void OnReadable();
    void OnWritable();
    void Handle(const QByteArray& frame);
    void Answer(const QString& payload);
    void Reply(const QByteArray& payload, char terminator);
    void Queue(const QByteArray& bytes);
    void StartTransfer(const QString& replyKey, const QString& field0, const QStringList& lines);
    // Fields 0 to 2 of a block, with its comma in front.
    QString BlockHeader(const QString& field0, int count, int number, qsizetype size) const;
    void StartDump();
    void SendBlock();
    // A write request: the setting or command it carries takes effect, then the echo.
    void Write(const QString& code, const QString& payload);
    // Why a write's field is refused; empty when it is taken.
    QString Refusal(const QString& code, const QString& field) const;
    void Poll(const QString& code);
    // The result of a finished calibration; each calibrated channel's new calibration is kept.
    QString FinishCalibration(Calibration& cal, const QString& outcome, bool span);

    Content content_;
    int master_ = -1;
    int slave_ = -1;
    QString path_;
    QString linkPath_;
    std::unique_ptr<QSocketNotifier> readNotifier_;
    std::unique_ptr<QSocketNotifier> writeNotifier_;
    QByteArray input_;
    QByteArray output_;

    int linesPerBlock_ = 40;
    bool counterHeaders_ = false;
    int clearPolls_ = 0;
    int clearLeft_ = 0;
    int calPolls_ = 0;
    QString zeroResult_ = QStringLiteral("00000");
    QString spanResult_ = QStringLiteral("00000");
    int calLeft_ = 0;
    // The instrument's clock: `clockAt_` when `clockSince_` was started.
    QDateTime clockAt_;
    QElapsedTimer clockSince_;
    QStringList refused_;
    bool poweredOff_ = false;
    bool erasing_ = false;
    int erases_ = 0;
    int commits_ = 0;
    Calibration zero_;
    Calibration span_;

    // The block transfer in progress.
    QList<QByteArray> blocks_;
    int block_ = -1;

    int badChecksum_ = 0;
    int silence_ = 0;
    QByteArray garbage_;
    int garbageCount_ = 0;
    int repeatBlock_ = 0;
    int closeAfterBlocks_ = -1;
    int blockNumber_ = -1;
    QString slowPrefix_;
    // Answers of a slow request still to hold back, and the request held back.
    int slowHolds_ = 0;
    QByteArray held_;

    QStringList received_;
    int badFrames_ = 0;
    int blocksSent_ = 0;
    qint64 bytesIn_ = 0;
    qint64 bytesOut_ = 0;
};

}  // namespace qv::sim
