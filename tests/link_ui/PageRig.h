// Test rig of the download page on its own: a scripted link that fills the collections from the
// simulator's record lines, a scratch database, scripted dialogs, a fast tick counter, and the
// status log's lines with their colours.
#pragma once

#include "DownloadLink.h"
#include "DownloadPage.h"
#include "InstrumentSimulator.h"
#include "ScriptedDialogs.h"
#include "TestSupport.h"
#include "clsAlarmEvents.h"
#include "clsAlarms.h"
#include "clsHistorys.h"
#include "clsInstrument.h"
#include "clsIntervals.h"
#include "clsPowerEvents.h"
#include "clsTroubleEvents.h"
#include "modGlobals.h"
#include "modMessage.h"

#include <QTextBlock>
#include <QTimer>
#include <functional>
#include <memory>

namespace qv::test {

// Operations fill their object and answer as `results` says (true when absent). `during` runs
// while an operation "waits": a test may press Cancel or raise link events there.
class ScriptedLink : public DownloadLink {
  public:
    bool connected = true;
    LinkGuard guard;
    QString portError;
    bool cancel = false;
    QStringList log;    // serial-log lines; "[XC]" and "[RO]" where those commands ran
    QStringList calls;  // "Instrument", "SO", "IH", "DR", "DJ", "VE", "TV", "DO", "XC", "RO"
    QMap<QString, bool> results;
    QMap<QString, QStringList> lines = sim::DefaultContent().blocks;
    std::function<void(const QString& op)> during;

    bool Connected() const override { return connected; }
    LinkGuard& Guard() override { return guard; }
    QString PortError() const override { return portError; }
    bool Cancel() const override { return cancel; }
    void SetCancel(bool v) override { cancel = v; }
    void AddLog(const QString& text) override { log << text; }
    // Clears the object before it reads, as the link does.
    bool GetInstrument(const std::shared_ptr<clsInstrument>& iObj) override {
        iObj->ClearDatas();
        iObj->SetSerialNo(QStringLiteral("SN1"));
        iObj->SetAnalogValue(1, -5);
        return Run("Instrument", true);
    }
    bool GetLatestHistory(const std::shared_ptr<clsInstrument>&) override {
        return Run("SO", false);
    }
    bool GetHistory(const std::shared_ptr<clsHistorys>& h) override {
        h->Clear();
        for (int ch = 0; ch < 5; ++ch)
            h->StoreLines(ch, lines.value(QStringLiteral("IH%1").arg(ch + 1)));
        const bool ok = Run("IH", true);
        h->SetFailLine(ok ? QString() : QStringLiteral("a channel is missing"));
        return ok;
    }
    bool GetInterval(const std::shared_ptr<clsIntervals>& c) override { return Block("DR", *c); }
    bool GetAlarm(const std::shared_ptr<clsAlarms>& c) override { return Block("DJ", *c); }
    bool GetAlarmEvent(const std::shared_ptr<clsAlarmEvents>& c) override {
        return Block("VE", *c);
    }
    bool GetTroubleEvent(const std::shared_ptr<clsTroubleEvents>& c) override {
        return Block("TV", *c);
    }
    bool GetPowerEvent(const std::shared_ptr<clsPowerEvents>& c) override {
        return Block("DO", *c);
    }
    bool BodyDataClear() override {
        log << QStringLiteral("[XC]");
        return Run("XC", true);
    }
    bool BodyPowerOff() override {
        log << QStringLiteral("[RO]");
        Run("RO", false);
        connected = false;
        return results.value(QStringLiteral("RO"), true);
    }

  private:
    bool Run(const QString& op, bool clearCancel) {
        calls << op;
        if (clearCancel) cancel = false;
        if (during) during(op);
        return !cancel && results.value(op, true);
    }
    template <class C>
    bool Block(const QString& op, C& c) {
        c.Clear();
        c.StoreLines(lines.value(op));
        return Run(op, true);
    }
};

struct LogLine {
    QString text;
    int32_t color = -1;
};

struct PageRig {
    ScratchDatabase db;
    ScriptedDialogs dialogs;
    ScriptedLink link;
    std::shared_ptr<clsInstrument> CurInstrument = std::make_shared<clsInstrument>();
    std::shared_ptr<clsIntervals> IntervalList = std::make_shared<clsIntervals>();
    std::shared_ptr<clsAlarms> AlarmList = std::make_shared<clsAlarms>();
    std::shared_ptr<clsHistorys> HistoryList = std::make_shared<clsHistorys>();
    std::shared_ptr<clsAlarmEvents> AlarmEventList = std::make_shared<clsAlarmEvents>();
    std::shared_ptr<clsTroubleEvents> TroubleEventList = std::make_shared<clsTroubleEvents>();
    std::shared_ptr<clsPowerEvents> PowerEventList = std::make_shared<clsPowerEvents>();
    bool LogTreeChanged = false;
    int32_t TickCount = 0;
    bool InAutoLoadClick = true;
    std::array<int32_t, 3> LampGreen{1, 2, 0}, LampGray{3, 4, 0}, LampRed{5, 6, 0};
    QWidget window;
    QPushButton* cmdInstSet = new QPushButton(&window);
    QPushButton* cmdInstExit = new QPushButton(&window);
    QPushButton* cmdOptionUpdate = new QPushButton(&window);
    int afresh = 0;
    // Times the page asked for its changed settings to be kept.
    int settingsChanged = 0;
    // Times the page said that logs were stored.
    int logsStored = 0;
    DownloadPage* page = new DownloadPage(&window);
    QTimer ticker;
    // Every non-empty line written to the status log, also those a fresh start cleared away.
    QStringList journal;
    QList<int32_t> colors;

    PageRig() {
        ResetGlobals();
        DatabasePath = db.path();
        SetCatalogueLanguage(CatalogueLanguage::English);
        GasComb[3] = GasComb[31] = true;
        // As after a whole read of the connected instrument's information.
        CurInstrument->SetCommFlags(true);
        const auto afreshStart = [this] {
            ++afresh;
            page->rtbLog->clear();
        };
        page->Bind(DownloadHost{link,
                                CurInstrument,
                                IntervalList,
                                AlarmList,
                                HistoryList,
                                AlarmEventList,
                                TroubleEventList,
                                PowerEventList,
                                LogTreeChanged,
                                TickCount,
                                InAutoLoadClick,
                                LampGreen,
                                LampGray,
                                LampRed,
                                cmdInstSet,
                                cmdInstExit,
                                cmdOptionUpdate,
                                [] {},
                                afreshStart,
                                [this] { ++settingsChanged; },
                                [this] { ++logsStored; }});
        page->SetCaptions();
        for (QPushButton* b : page->cmdDown)
            b->setEnabled(false);
        // The window's 100 ms tick, a hundred times faster.
        QObject::connect(&ticker, &QTimer::timeout, [this] { ++TickCount; });
        ticker.start(1);
        QObject::connect(page->rtbLog->document(), &QTextDocument::contentsChange,
                         [this](int from, int, int added) {
                             QTextBlock b = page->rtbLog->document()->findBlock(from);
                             for (; b.isValid() && b.position() < from + added; b = b.next())
                                 if (!b.text().isEmpty()) {
                                     journal << b.text();
                                     colors << ColorAt(b);
                                 }
                         });
    }
    ~PageRig() {
        FollowSystemLanguage();
        ResetGlobals();
    }

    // The lines the log shows now, without the empty last one.
    std::vector<LogLine> Lines() const {
        std::vector<LogLine> out;
        for (QTextBlock b = page->rtbLog->document()->begin(); b.isValid(); b = b.next())
            out.push_back({b.text(), ColorAt(b)});
        if (!out.empty() && out.back().text.isEmpty()) out.pop_back();
        return out;
    }
    int32_t ColorOf(const QString& text) const {
        const qsizetype at = journal.indexOf(text);
        return at < 0 ? -1 : colors[at];
    }
    static QString Text(int id) { return GetMessage(id).remove(QStringLiteral("\r\n")); }
    std::array<bool, 9> Enabled() const {
        std::array<bool, 9> out{};
        for (size_t i = 0; i < out.size(); ++i)
            out[i] = page->cmdDown[i]->isEnabled();
        return out;
    }
    void SetEnabled(const std::array<bool, 9>& states) {
        for (size_t i = 0; i < states.size(); ++i)
            page->cmdDown[i]->setEnabled(states[i]);
    }

  private:
    static int32_t ColorAt(const QTextBlock& b) {
        const auto it = b.begin();
        return it.atEnd() ? -1 : ui::LongFromColor(it.fragment().charFormat().foreground().color());
    }
};

}  // namespace qv::test
