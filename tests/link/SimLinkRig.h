// The link control on a pseudo-terminal against the in-process instrument simulator, with the
// link clock in the test's hand: once nothing has moved on the wire for a moment, the clock runs
// on to the link's next action, so time-outs and retries take milliseconds, not seconds.
#pragma once

#include "InstrumentSimulator.h"
#include "LinkRig.h"
#include "PortFinder.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTemporaryDir>

namespace qv::test {

// The rig puts the globals back to their start values: make a scratch database after it.
struct SimLinkRig {
    sim::InstrumentSimulator sim;
    std::unique_ptr<uclQvif> link;
    std::shared_ptr<clsInstrument> instrument = std::make_shared<clsInstrument>();
    // Every turn of a wait advances the clock by one tick (for commands answered at once,
    // which never leave the wire quiet).
    bool tickEveryTurn = false;

    explicit SimLinkRig(sim::Content content = sim::DefaultContent()) : sim(std::move(content)) {
        FreshStart();
        QString error;
        EXPECT_TRUE(sim.Start(&error)) << error.toStdString();
        // Through a link that goes with the device: a link control that looks for its port again
        // never finds another test's pseudo-terminal under the number this one had.
        const QString device = DevicePath();
        EXPECT_TRUE(sim.MakeLink(device, &error)) << error.toStdString();
        link = std::make_unique<uclQvif>();
        Prepare(*link, instrument);
        link->SetCommPort(PortNumberFor(device));
        link->SetSettings(QStringLiteral("921600,n,8,1"));
        link->SetPortOpen(true);
        link->SetWaitHook([this] { Turn(); });
        wall_.start();
        quiet_.start();
        turnGap_.start();
    }

    // The path the link opens: a link to the simulator's device, which another simulator may
    // take over.
    QString DevicePath() const { return folder_.filePath(QStringLiteral("instrument")); }

    // Polls until the model answers; the connect reply's own events run before the first
    // operation.
    bool Connect() {
        // Each tick waits a moment of wall time, so a loaded machine does not use up the
        // link's polls before the simulator had a turn to answer.
        for (int tick = 0; tick < 400 && !link->Connected(); ++tick) {
            QElapsedTimer moment;
            moment.start();
            while (moment.elapsed() < 20 && !link->Connected())
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            if (!link->Connected()) link->tmrTimer_Timer();
        }
        QCoreApplication::processEvents();
        sim.ClearReceived();
        return link->Connected();
    }

    // Runs the event loop until the simulator has a request that starts with `prefix`; false
    // when none came within two seconds.
    bool AwaitRequest(const QString& prefix) {
        QElapsedTimer waited;
        waited.start();
        while (sim.CountReceived(prefix) == 0) {
            if (waited.elapsed() > 2000) return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        return true;
    }

    // The instrument falls silent at the first request that starts with `prefix` and stays so
    // through every repeat, until the link gives up.
    void SilenceAt(const QString& prefix) {
        QObject::connect(&sim, &sim::InstrumentSimulator::RequestReceived, &sim,
                         [this, prefix, once = true](const QString& p) mutable {
                             if (once && p.startsWith(prefix)) {
                                 sim.InjectSilence(31);
                                 once = false;
                             }
                         });
    }
    // Calls `action` at every request that starts with `prefix`, in place of earlier hooks.
    void OnRequest(const QString& prefix, std::function<void()> action) {
        QObject::disconnect(&sim, &sim::InstrumentSimulator::RequestReceived, nullptr, nullptr);
        QObject::connect(&sim, &sim::InstrumentSimulator::RequestReceived, &sim,
                         [prefix, action](const QString& p) {
                             if (p.startsWith(prefix)) action();
                         });
    }
    // The requests received, as payloads.
    QStringList Requests(const QString& prefix = {}) const {
        QStringList out;
        for (const QString& r : sim.Received())
            if (r.startsWith(prefix)) out << r;
        return out;
    }

    // One turn of a waiting loop.
    void Turn() {
        // A test that never ends its wait must not hang the suite.
        if (wall_.elapsed() > 20000) {
            ADD_FAILURE() << "a wait of the link did not end";
            link->SetCancel(true);
            link->SetStatus(StatusFailed);
            wall_.restart();
        }
        const qint64 moved = sim.BytesIn() + sim.BytesOut();
        // A long turn did work (a big block decoded): what it sent has yet to arrive.
        if (moved != moved_ || turnGap_.restart() > 8) {
            moved_ = moved;
            quiet_.restart();
            quietTurns_ = 0;
        }
        if (tickEveryTurn) {
            link->tmrTimer_Timer();
            return;
        }
        if (++quietTurns_ < 3 || quiet_.elapsed() < 15) return;
        // Nothing moved on the wire: the clock runs on until the link sends or changes state.
        const int32_t status = link->Status();
        const int32_t state = link->LinkState();
        for (int i = 0; i < 40; ++i) {
            link->tmrTimer_Timer();
            if (link->ReplyTimeout() == 30 || link->Status() != status ||
                link->LinkState() != state)
                break;
        }
        quiet_.restart();
        quietTurns_ = 0;
    }

  private:
    QTemporaryDir folder_;
    QElapsedTimer wall_;
    QElapsedTimer quiet_;
    QElapsedTimer turnGap_;
    qint64 moved_ = 0;
    int quietTurns_ = 0;
};

}  // namespace qv::test
