// qv4170-sim: a simulated instrument on a pseudo-terminal for trying the program without one.
#include "InstrumentSimulator.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QTextStream>

#include <unistd.h>
#include <csignal>

namespace {
int signalPipe[2] = {-1, -1};
void OnSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto n = ::write(signalPipe[1], &byte, 1);
}
}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("qv4170-sim"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Answers like a QV-4170 on a pseudo-terminal. Start the program with QV4170_PORT set to "
        "the printed path (or to the link)."));
    parser.addHelpOption();
    const QCommandLineOption link(QStringLiteral("link"),
                                  QStringLiteral("Make a symbolic link to the device."),
                                  QStringLiteral("path"));
    const QCommandLineOption fixtures(
        QStringLiteral("fixtures"),
        QStringLiteral("Read the instrument's content from this folder."),
        QStringLiteral("folder"));
    const QCommandLineOption fullMemory(
        QStringLiteral("full-memory"),
        QStringLiteral("Start with every memory well filled (a full interval log of 4,096 samples, "
                       "four alarm trends, many events and calibrations, an 8 KiB EEP-ROM)."));
    const QCommandLineOption lines(QStringLiteral("lines"),
                                   QStringLiteral("Record lines per block (1 to 47)."),
                                   QStringLiteral("n"), QStringLiteral("40"));
    const QCommandLineOption counterHeaders(
        QStringLiteral("counter-headers"),
        QStringLiteral("Fill header fields 0 to 2 of every block with four-digit counters (blocks, "
                       "block number, lines) instead of echoing the request."));
    const QCommandLineOption badChecksum(
        QStringLiteral("bad-checksum"),
        QStringLiteral("Send the next n replies with a wrong checksum."), QStringLiteral("n"));
    const QCommandLineOption silence(QStringLiteral("silence"),
                                     QStringLiteral("Leave the next n requests unanswered."),
                                     QStringLiteral("n"));
    const QCommandLineOption garbage(QStringLiteral("garbage"),
                                     QStringLiteral("Send garbage before the next n replies."),
                                     QStringLiteral("n"));
    const QCommandLineOption repeat(QStringLiteral("repeat-block"),
                                    QStringLiteral("Send an acknowledged block again n times."),
                                    QStringLiteral("n"));
    const QCommandLineOption closeAfter(QStringLiteral("close-after"),
                                        QStringLiteral("Close the device after n blocks."),
                                        QStringLiteral("n"));
    const QCommandLineOption clock(
        QStringLiteral("clock"),
        QStringLiteral("Start the instrument's clock at YYMMDDhhnnss, or at the computer's time "
                       "with \"now\" (default: the fixture's 140509083000)."),
        QStringLiteral("time"));
    const QCommandLineOption readings(
        QStringLiteral("readings"),
        QStringLiteral(
            "Live readings of gases 1 to 5, comma-separated (default 12,20.9,1.5,3,12)."),
        QStringLiteral("values"));
    const QCommandLineOption calPolls(
        QStringLiteral("calibration-polls"),
        QStringLiteral("Answer n calibration polls as still running before the result."),
        QStringLiteral("n"));
    const QCommandLineOption zeroResult(
        QStringLiteral("zero-result"),
        QStringLiteral("Outcome of zero calibrations per gas, 0 calibrated, 1 failed (default "
                       "00000)."),
        QStringLiteral("mask"));
    const QCommandLineOption spanResult(
        QStringLiteral("span-result"),
        QStringLiteral("Outcome of span calibrations per gas (default 00000)."),
        QStringLiteral("mask"));
    parser.addOptions({link, fixtures, fullMemory, lines, counterHeaders, badChecksum, silence,
                       garbage, repeat, closeAfter, clock, readings, calPolls, zeroResult,
                       spanResult});
    parser.process(app);

    QTextStream err(stderr);
    qv::sim::Content content =
        parser.isSet(fullMemory) ? qv::sim::FullMemoryContent() : qv::sim::DefaultContent();
    QString error;
    if (parser.isSet(fixtures) && !qv::sim::LoadFixtures(content, parser.value(fixtures), &error)) {
        err << error << Qt::endl;
        return 1;
    }
    if (parser.isSet(readings)) {
        const QStringList values = parser.value(readings).split(u',');
        for (int c = 0; c < 5 && c < values.size(); ++c) {
            bool ok = false;
            const double v = values[c].trimmed().toDouble(&ok);
            if (!ok) {
                err << "--readings: not a number: " << values[c] << Qt::endl;
                return 1;
            }
            content.readings[static_cast<size_t>(c)] = v;
        }
    }
    if (parser.isSet(clock)) {
        // The instrument's clock starts at the time its clock reply holds.
        const QString value = parser.value(clock);
        const QString stamp =
            value == u"now" ? QDateTime::currentDateTime().toString(QStringLiteral("yyMMddHHmmss"))
                            : value;
        if (!QDateTime::fromString(QStringLiteral("20") + stamp, QStringLiteral("yyyyMMddHHmmss"))
                 .isValid()) {
            err << "--clock: not YYMMDDhhnnss or now: " << value << Qt::endl;
            return 1;
        }
        content.reads[QStringLiteral("HC")] = stamp;
    }
    qv::sim::InstrumentSimulator sim(content);
    if (parser.isSet(calPolls)) sim.SetCalibrationPolls(parser.value(calPolls).toInt());
    if (parser.isSet(zeroResult)) sim.SetZeroResult(parser.value(zeroResult));
    if (parser.isSet(spanResult)) sim.SetSpanResult(parser.value(spanResult));
    if (!sim.Start(&error)) {
        err << error << Qt::endl;
        return 1;
    }
    if (parser.isSet(link) && !sim.MakeLink(parser.value(link), &error)) {
        err << error << Qt::endl;
        return 1;
    }
    sim.SetLinesPerBlock(parser.value(lines).toInt());
    sim.SetCounterHeaders(parser.isSet(counterHeaders));
    if (parser.isSet(badChecksum)) sim.InjectBadChecksum(parser.value(badChecksum).toInt());
    if (parser.isSet(silence)) sim.InjectSilence(parser.value(silence).toInt());
    if (parser.isSet(garbage))
        sim.InjectGarbage("\x01\x7fgarbage\x1b", parser.value(garbage).toInt());
    if (parser.isSet(repeat)) sim.InjectRepeatBlock(parser.value(repeat).toInt());
    if (parser.isSet(closeAfter)) sim.InjectCloseAfterBlocks(parser.value(closeAfter).toInt());
    QObject::connect(&sim, &qv::sim::InstrumentSimulator::RequestReceived, &app,
                     [&err](const QString& payload) { err << "request " << payload << Qt::endl; });
    QObject::connect(&sim, &qv::sim::InstrumentSimulator::RequestRefused, &app,
                     [&err](const QString& why) { err << "refused " << why << Qt::endl; });

    QTextStream(stdout) << sim.Path() << Qt::endl;
    // Ends cleanly on Ctrl-C or a kill, so the link is removed.
    if (::pipe(signalPipe) == 0) {
        auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
        std::signal(SIGINT, OnSignal);
        std::signal(SIGTERM, OnSignal);
    }
    const int rc = app.exec();
    if (parser.isSet(link)) QFile::remove(parser.value(link));
    return rc;
}
