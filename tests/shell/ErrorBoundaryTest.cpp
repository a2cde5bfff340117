// Every handler of the user's, the timers' and the link's events runs inside the one error
// boundary: its failure is shown through the dialogs service, a repeated failure once. The
// source connects no handler another way.
#include "ShellFixture.h"

#include "AppError.h"
#include "SourceText.h"
#include "UserAction.h"

#include <QCheckBox>
#include <QRegularExpression>

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

}  // namespace
}  // namespace qv::test
