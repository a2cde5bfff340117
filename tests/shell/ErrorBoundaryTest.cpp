// Every handler of the user's, the timers' and the link's events runs inside the one error
// boundary: its failure is shown through the dialogs service (a log line while the window
// closes), a repeated failure once, and the window works on. The source connects no handler
// another way.
#include "ShellFixture.h"

#include "AppError.h"
#include "Dates.h"
#include "FailingDialogs.h"
#include "SourceText.h"
#include "UserAction.h"
#include "frmOpen.h"
#include "uclQvif.h"

#include <QApplication>
#include <QCheckBox>
#include <QRegularExpression>
#include <QTextEdit>

namespace qv::test {
namespace {

// ---- The source: where handlers are connected ----------------------------------------------

// The folders whose code the user's, the timers' and the link's events run.
const QStringList kEventFolders{"shell", "link/ui",  "browser",    "report",
                                "views", "settings", "platform/ui"};
// Our window layers that only pass a Qt signal on to a page's callback (set behind the boundary
// where the page sets it), or work within a dialog's own run (the file dialog's filter).
const QStringList kForwarders{"platform/ui/FlexGrid.cpp", "platform/ui/FlexGrid.h",
                              "platform/ui/KeyedList.cpp", "platform/ui/KeyedItemView.cpp",
                              "platform/ui/UserDialogs.cpp"};
// Callbacks that are no event: the pages call the window's layout pass from their own
// procedures, whose handler's boundary a failure reaches.
const QStringList kProcedures{"Form_Resize"};

// A handler made by a boundary wrapper, as a whole.
const QRegularExpression kWrapper(
    QStringLiteral(R"(^(ui::)?(AsUserAction|AsRepeatedAction|AsEditAction)\()"));
// A call that is a boundary: RunUserAction, a page's Handle (RunUserAction once the page has its
// host), and the trend graph's own boundary of its drawing steps (a failure logged: no box while
// it paints).
const QRegularExpression kBoundaryCall(
    QStringLiteral(R"(^(ui::)?(RunUserAction|Handle|Guarded)\()"));

bool WholeCall(const QString& text, const QRegularExpression& start) {
    const QRegularExpressionMatch match = start.match(text);
    return match.hasMatch() && PastClosing(text, match.capturedEnd() - 1) == text.size();
}

// True when a handler runs inside a boundary: made by a wrapper, or a lambda whose body is one
// call of a boundary.
bool InsideBoundary(const QString& handler) {
    if (WholeCall(handler, kWrapper)) return true;
    if (!handler.startsWith(u'[')) return false;
    const qsizetype body = handler.indexOf(u'{', PastClosing(handler, 0));
    if (body < 0 || PastClosing(handler, body) != handler.size()) return false;
    QString statement = handler.mid(body + 1, handler.size() - body - 2).trimmed();
    if (!statement.endsWith(u';')) return false;
    statement.chop(1);
    return WholeCall(statement.trimmed(), kBoundaryCall);
}

// Names of the callbacks that objects of the program offer (std::function members).
QStringList CallbackNames(const std::vector<SourceFile>& program) {
    static const QRegularExpression member(
        QStringLiteral(R"(std::function<[^;{}]*?>\s+(\w+)\s*(;|=|\{))"));
    QStringList names;
    for (const SourceFile& file : program)
        for (auto it = member.globalMatch(file.text); it.hasNext();)
            names << it.next().captured(1);
    names.removeDuplicates();
    return names;
}

struct HandlerSite {
    QString where;    // file:line
    QString handler;  // the handler's text
    bool callback;    // set to a callback rather than connected to a signal or a timer
};

// Every handler a text connects to a signal, hands to a timer or the event loop, or sets as a
// callback (one of `callbacks`, or any lambda set through "->" or ".").
std::vector<HandlerSite> HandlerSites(const SourceFile& file, const QStringList& callbacks) {
    std::vector<HandlerSite> sites;
    const auto where = [&](int line) { return QStringLiteral("%1:%2").arg(file.name).arg(line); };
    for (const char* name : {"connect", "singleShot", "Defer", "invokeMethod"}) {
        for (const auto& [line, call] : Calls(file.text, QString::fromLatin1(name))) {
            QStringList arguments = CallArguments(call);
            if (!arguments.isEmpty() && arguments.last().startsWith(QLatin1String("Qt::")))
                arguments.removeLast();
            if (arguments.isEmpty()) continue;
            const bool invoke = QLatin1String(name) == QLatin1String("invokeMethod");
            if (invoke && arguments.size() < 2) continue;
            sites.push_back({where(line), invoke ? arguments[1] : arguments.last(), false});
        }
    }
    static const QRegularExpression assignment(QStringLiteral(R"((?:->|\.)\s*(\w+)\s*=(?!=))"));
    for (auto it = assignment.globalMatch(file.text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        qsizetype end = match.capturedEnd();
        for (int depth = 0; end < file.text.size(); ++end) {
            const QChar c = file.text[end];
            if (c == u'(' || c == u'[' || c == u'{') ++depth;
            if (c == u')' || c == u']' || c == u'}') --depth;
            if (c == u';' && depth == 0) break;
        }
        const QString value = file.text.mid(match.capturedEnd(), end - match.capturedEnd());
        const QString name = match.captured(1);
        if (kProcedures.contains(name)) continue;
        if (callbacks.contains(name) || value.trimmed().startsWith(u'['))
            sites.push_back(
                {where(LineAt(file.text, match.capturedStart())), value.trimmed(), true});
    }
    return sites;
}

TEST(ErrorBoundary, EveryHandlerRunsInsideIt) {
    const QString root = QStringLiteral(QV_SOURCE_DIR);
    const QStringList callbacks = CallbackNames(SourceFiles(root));
    // What the walk tells apart.
    for (const auto& [text, inside] : std::vector<std::pair<QString, bool>>{
             {"connect(b, &B::clicked, this, [this] { Go(); });", false},
             {"connect(b, &B::clicked, this, &Page::Go);", false},
             {"connect(b, &B::clicked, this, [this] { Go(); ui::RunUserAction([&] { On(); }); });",
              false},
             {"QTimer::singleShot(0, this, [this] { close(); });", false},
             {"grid->MouseUp = [this](int b, int s, double x, double y) { Up(b, s, x, y); };",
              false},
             {"link.Guard().Ended = [this] { Ended(); };", false},
             {"connect(b, &B::clicked, this, ui::AsUserAction([this] { Go(); }), "
              "Qt::QueuedConnection);",
              true},
             {"connect(t, &T::timeout, this, [this] { ui::RunUserAction([&] { Tick(); }); });",
              true},
             {"grid->BeforeEdit = ui::AsEditAction([this](int r, int c, bool& x) { B(r, c, x); "
              "});",
              true},
         }) {
        const std::vector<HandlerSite> sites = HandlerSites({"example.cpp", text}, callbacks);
        ASSERT_EQ(sites.size(), 1u) << text.toStdString();
        EXPECT_EQ(InsideBoundary(sites.front().handler), inside) << text.toStdString();
    }

    QStringList outside;
    int connections = 0;
    int callbackSites = 0;
    for (const SourceFile& file : SourceFiles(root, kEventFolders)) {
        if (kForwarders.contains(file.name)) continue;
        for (const HandlerSite& site : HandlerSites(file, callbacks)) {
            ++(site.callback ? callbackSites : connections);
            if (!InsideBoundary(site.handler)) outside << site.where + u' ' + site.handler;
        }
    }
    EXPECT_EQ(outside, QStringList()) << outside.join(u'\n').toStdString();
    // Not an empty walk: the program connects some forty handlers and sets some twenty
    // callbacks.
    EXPECT_GE(connections, 40);
    EXPECT_GE(callbackSites, 20);
}

// ---- The boundaries themselves -------------------------------------------------------------

// A box that stays open while `whileOpen` runs, as one the user reads while events go on.
class OpenBox : public ScriptedDialogs {
  public:
    int MsgBox(const QString& prompt, int style, const QString& title) override {
        const int answer = ScriptedDialogs::MsgBox(prompt, style, title);
        if (auto during = std::exchange(whileOpen, nullptr)) during();
        return answer;
    }
    std::function<void()> whileOpen;
};

TEST(ErrorBoundary, AHandlerGetsTheArgumentsItTakesAndItsFailureIsShown) {
    ScriptedDialogs dialogs;
    QCheckBox box;
    QStringList seen;
    QObject::connect(&box, &QCheckBox::toggled, &box, ui::AsUserAction([&](bool on) {
        seen << (on ? "on" : "off");
        if (on) throw AppError(ErrInvalidCall, QStringLiteral("Cannot turn on"));
    }));
    // A handler that takes none of the signal's arguments; a failure of another kind.
    QObject::connect(&box, &QCheckBox::clicked, &box, ui::AsUserAction([&] {
        if (!box.isChecked()) throw 42;
    }));
    box.click();
    box.click();
    EXPECT_EQ(seen, (QStringList{"on", "off"}));
    EXPECT_EQ(dialogs.messages(), (QStringList{"Cannot turn on", "Unexpected error"}));
    for (const ScriptedDialogs::Asked& asked : dialogs.asked())
        EXPECT_EQ(asked.style, vbCritical);
}

TEST(ErrorBoundary, AnEditEventThatFailsRefusesTheEdit) {
    ScriptedDialogs dialogs;
    bool undone = false;
    const std::function<void(int, int, bool&)> validate = ui::AsEditAction(
        [](int Row, int, bool& Cancel) {
            if (Row == 2) throw AppError(ErrTypeMismatch, QStringLiteral("Type mismatch"));
            Cancel = Row == 3;
        },
        [&] { undone = true; });
    for (const auto& [row, refused] : {std::pair{1, false}, {3, true}, {2, true}}) {
        bool cancel = false;
        validate(row, 1, cancel);
        EXPECT_EQ(cancel, refused) << row;
    }
    EXPECT_TRUE(undone);
    EXPECT_EQ(dialogs.messages(), QStringList{"Type mismatch"});
}

TEST(ErrorBoundary, ARepeatedFailureIsShownOnceUntilTheHandlerSucceedsAgain) {
    OpenBox dialogs;
    bool failing = true;
    int calls = 0;
    const auto tick = ui::AsRepeatedAction([&] {
        ++calls;
        if (failing) throw AppError(ErrInvalidCall, QStringLiteral("Tick failed"));
    });
    // Called again while its box is open: no box over the box, and a success meanwhile belongs
    // to the run the box shows.
    dialogs.whileOpen = [&] {
        tick();
        failing = false;
        tick();
        failing = true;
        tick();
    };
    tick();
    tick();
    tick();
    EXPECT_EQ(calls, 6);
    EXPECT_EQ(dialogs.messages(), QStringList{"Tick failed"});
    failing = false;
    tick();
    failing = true;
    tick();
    tick();
    EXPECT_EQ(dialogs.messages(), (QStringList{"Tick failed", "Tick failed"}));
}

// ---- The window ----------------------------------------------------------------------------

// The clock, failing while told to.
class FailingClock {
  public:
    FailingClock() { rt::SetClock(std::make_shared<Clock>(failing_)); }
    ~FailingClock() { rt::SetClock(nullptr); }
    void Fail(bool on) { *failing_ = on; }
    static QString Failure() { return QStringLiteral("The clock cannot be read"); }

  private:
    class Clock : public rt::Clock {
      public:
        explicit Clock(std::shared_ptr<bool> failing) : failing_(std::move(failing)) {}
        QDateTime now() const override {
            if (*failing_) throw AppError(ErrInvalidCall, Failure());
            return QDateTime::currentDateTime();
        }

      private:
        std::shared_ptr<bool> failing_;
    };
    std::shared_ptr<bool> failing_ = std::make_shared<bool>(false);
};

class ErrorBoundaryWindow : public ShellTest {
  protected:
    // Puts in the scripted service one box that fails (FailingDialogs).
    template <class Fails>
    FailingDialogs& FailBox(Fails fails) {
        dialogs_.reset();
        auto failing = std::make_unique<FailingDialogs>(fails);
        FailingDialogs& service = *failing;
        dialogs_ = std::move(failing);
        return service;
    }
    // Runs the event loop for that many ticks of the window's timer.
    static void WaitTicks(const frmMain& main, int ticks) {
        const int32_t until = main.TickCount + ticks;
        ASSERT_TRUE(WaitFor([&] { return main.TickCount >= until; }));
    }
};

TEST_F(ErrorBoundaryWindow, ADownloadCommandThatFailsIsShownAndThePageWorksOn) {
    auto main = StartMain();
    DownloadPage& page = *main->pageDownload;
    // As after a read of the instrument's information, which Clear Data needs.
    main->CurInstrument->SetCommFlags(true);
    for (int i : {1, 7})
        page.cmdDown[static_cast<size_t>(i)]->setEnabled(true);
    FailingDialogs& dialogs = FailBox(GetMessage(5343));  // clearing the instrument's data
    page.cmdDown[7]->click();
    EXPECT_EQ(dialogs.messages(), QStringList{FailingDialogs::Failure()});
    EXPECT_EQ(dialogs.asked().back().style, vbCritical);
    EXPECT_TRUE(page.cmdDown[1]->isEnabled() && page.cmdDown[7]->isEnabled());
    EXPECT_TRUE(page.chkAutoLoad[0]->isEnabled());
    EXPECT_FALSE(page.Busy());

    dialogs.AnswerMsgBox(vbNo);
    page.cmdDown[7]->click();
    EXPECT_EQ(dialogs.messages().last(), GetMessage(5343));
    EXPECT_TRUE(page.cmdDown[7]->isEnabled());
}

TEST_F(ErrorBoundaryWindow, APageButtonThatFailsIsShownAndTheWindowWorksOn) {
    auto main = StartMain();
    const QString database = DatabasePath;
    DatabasePath = home_.filePath(QStringLiteral("foreign.mdb"));
    WriteText(DatabasePath, "not a database");
    // The page reports the unreadable file itself; that report failing too, the failure leaves
    // the button's handler.
    FailingDialogs& dialogs =
        FailBox([](const QString&, int style) { return (style & 0x70) == vbCritical; });
    main->cmdInst[3]->click();
    EXPECT_TRUE(dialogs.Failed());
    EXPECT_EQ(dialogs.messages(), QStringList{FailingDialogs::Failure()});
    EXPECT_TRUE(main->pageCalHistory->isHidden());

    DatabasePath = database;
    main->cmdInst[3]->click();
    EXPECT_FALSE(main->pageCalHistory->isHidden());
    main->cmdInst[4]->click();
    EXPECT_FALSE(main->pageOption->isHidden());
    EXPECT_EQ(dialogs.messages().size(), 2);  // the page's own "no calibration history"
}

TEST_F(ErrorBoundaryWindow, ALinkEventThatFailsIsShownAndTheNextOneIsHandled) {
    auto main = StartMain();
    FailingDialogs& dialogs = FailBox(GetMessage(5371));  // the infrared adapter's time-out
    emit main->uclQV4170.IrDAError(10060);
    EXPECT_EQ(dialogs.messages(), QStringList{FailingDialogs::Failure()});
    emit main->uclQV4170.IrDAError(10060);
    EXPECT_EQ(dialogs.messages().last(), GetMessage(5371));
    main->cmdInst[4]->click();
    EXPECT_FALSE(main->pageOption->isHidden());
}

// The set page shows the clocks at each tick of the window's timer; the ticks go on, for the
// link's waits count them.
TEST_F(ErrorBoundaryWindow, ATickThatFailsIsShownOnceAndTheTicksGoOn) {
    auto main = StartMain();
    main->cmdInst[4]->click();
    FailingClock clock;
    clock.Fail(true);
    WaitTicks(*main, 8);
    EXPECT_EQ(dialogs_->messages(), QStringList{FailingClock::Failure()});
    // A tick that goes through ends the run: the next failure is shown.
    clock.Fail(false);
    WaitTicks(*main, 2);
    clock.Fail(true);
    WaitTicks(*main, 5);
    EXPECT_EQ(dialogs_->messages(), QStringList(2, FailingClock::Failure()));
}

TEST_F(ErrorBoundaryWindow, WhileTheWindowClosesAFailureIsALogLineNotABox) {
    auto main = StartMain();
    main->cmdInst[4]->click();
    main->StopAsking();
    FailingClock clock;
    clock.Fail(true);
    WaitTicks(*main, 5);
    EXPECT_EQ(dialogs_->messages(), QStringList());
    EXPECT_EQ(main->pageDownload->rtbLog->toPlainText().count(FailingClock::Failure()), 1);
}

TEST_F(ErrorBoundaryWindow, AMainWindowThatFailsToLoadIsShownAndEndsTheProgram) {
    frmOpen splash({}, []() -> std::unique_ptr<frmMain> {
        throw AppError(ErrInvalidCall, QStringLiteral("No window"));
    });
    splash.Form_Load();
    splash.Form_Activate();
    splash.tmrTimer->setInterval(1);
    ASSERT_TRUE(WaitFor([&] { return splash.StartupFailed(); }));
    EXPECT_EQ(dialogs_->messages(), QStringList{"No window"});
    EXPECT_FALSE(splash.tmrTimer->isActive());
    EXPECT_EQ(splash.MainWindow(), nullptr);
    // The program was asked to end: a short run of the application's loop spends the request,
    // which would otherwise end every loop the later tests start.
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
}

}  // namespace
}  // namespace qv::test
