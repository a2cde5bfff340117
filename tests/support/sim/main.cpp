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
    parser.addOptions({link, fixtures, fullMemory, lines, counterHeaders, badChecksum, silence,
                       garbage, repeat, closeAfter});
    parser.process(app);

    QTextStream err(stderr);
    qv::sim::Content content =
        parser.isSet(fullMemory) ? qv::sim::FullMemoryContent() : qv::sim::DefaultContent();
    QString error;
    if (parser.isSet(fixtures) && !qv::sim::LoadFixtures(content, parser.value(fixtures), &error)) {
        err << error << Qt::endl;
        return 1;
    }
    qv::sim::InstrumentSimulator sim(content);
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
