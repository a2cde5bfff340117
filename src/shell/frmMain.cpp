// The main window's life cycle: creation, start-up, first activation, page switching, layout,
// the 100 ms tick and shut-down.
#include "frmMain.h"

#include "AppError.h"
#include "AppPaths.h"
#include "ButtonKeys.h"
#include "Database.h"
#include "Dates.h"
#include "FontCopy.h"
#include "PortFinder.h"
#include "Runtime.h"
#include "SerialLogFile.h"
#include "Twips.h"
#include "UserAction.h"
#include "UserDialogs.h"
#include "clsAlarm.h"
#include "clsAlarmEvent.h"
#include "clsAlarmEvents.h"
#include "clsAlarms.h"
#include "clsHistory.h"
#include "clsHistorys.h"
#include "clsIntervals.h"
#include "clsPowerEvent.h"
#include "clsPowerEvents.h"
#include "clsTroubleEvent.h"
#include "clsTroubleEvents.h"
#include "frmPassword.h"
#include "frmPrint.h"
#include "modAddLib.h"
#include "modDatabase.h"
#include "modGlobals.h"
#include "modMessage.h"
#include "modModel.h"
#include "modSettings.h"
#include "uclQvif.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QPointer>
#include <QProxyStyle>
#include <QScreen>
#include <QStyle>

namespace qv {

using ui::Height;
using ui::Move;
using ui::Top;
using ui::Width;

namespace {

// A step that may fail without stopping the procedure it belongs to.
template <class F>
void Attempt(F&& step) {
    try {
        step();
    } catch (...) {
    }
}

// The smallest size at which no control of any page runs into another or out of its frame, in
// either language (below it the Set page's buttons leave their frame and its status rows are cut).
constexpr double kMinWidth = 12300;  // twips
constexpr double kMinHeight = 6750;
const QString kConverterId = QStringLiteral("VID_10C4&PID_EA60");
constexpr int kDeleteWaitMs = 2000;
// The property that keeps a page button's caption as the catalogue gives it.
constexpr const char* kCaption = "caption";

// Draws a page frame's caption 120 twips in from the frame's left edge. The frames start at
// the window's edge, where a glyph that reaches left of its origin (half-width katakana do)
// lost its left part.
class PageCaptionStyle : public QProxyStyle {
  public:
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl part,
                         const QWidget* widget) const override {
        QRect rect = QProxyStyle::subControlRect(control, option, part, widget);
        if (control == CC_GroupBox && (part == SC_GroupBoxLabel || part == SC_GroupBoxCheckBox))
            rect.translate(ui::ToPixelsX(120), 0);
        return rect;
    }
};

// One style for every page frame, living as long as the application.
QStyle* PageStyle() {
    static QPointer<QStyle> style;
    if (!style) {
        style = new PageCaptionStyle;
        style->setParent(QCoreApplication::instance());
    }
    return style;
}

// The screen's size in twips.
QSizeF ScreenTwips() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize pixels = screen ? screen->geometry().size() : QSize(1024, 768);
    return {pixels.width() * ui::TwipsPerPixelX(), pixels.height() * ui::TwipsPerPixelY()};
}

// The room a push button leaves its text.
int TextRoom(const QPushButton* button) {
    return button->width() - 2 * button->style()->pixelMetric(QStyle::PM_ButtonMargin) - 4;
}

// A page button's caption, broken at the blank that best balances its two lines when it is
// wider than the button.
void FitCaption(QPushButton* button) {
    const QString caption = button->property(kCaption).toString();
    const QFontMetrics metrics(button->font());
    QString text = caption;
    if (metrics.horizontalAdvance(caption) > TextRoom(button)) {
        int widest = metrics.horizontalAdvance(caption);
        for (qsizetype at = caption.indexOf(u' '); at > 0; at = caption.indexOf(u' ', at + 1)) {
            const int w = std::max(metrics.horizontalAdvance(caption.left(at)),
                                   metrics.horizontalAdvance(caption.mid(at + 1)));
            if (w >= widest) continue;
            widest = w;
            text = caption.left(at) + u'\n' + caption.mid(at + 1);
        }
    }
    if (button->text() != text) button->setText(text);
}

}  // namespace

frmMain::frmMain(std::unique_ptr<uclQvif> link, std::unique_ptr<PortFinder> finder)
    : QWidget(nullptr),
      link_(link ? std::move(link) : std::make_unique<uclQvif>()),
      downloadLink_(std::make_unique<QvifDownloadLink>(*link_)),
      finder_(std::move(finder)),
      uclQV4170(*link_) {
    SetDefaultCommSettings();
    // The values the form keeps for its link control.
    StoredProperties stored;
    stored.CommPort = 1;
    stored.Settings = QStringLiteral("19200,e,8,1");
    uclQV4170.ReadProperties(stored);

    pageDownload = new DownloadPage(this);
    pageInstrument = new InstrumentPage(this);
    pageBrowser = new BrowserPage(this);
    pageDataView = new DataViewPage(this);
    pageCalHistory = new CalHistoryPage(this);
    pageOption = new OptionPage(this);
    fraMenu = {pageDownload, pageInstrument, pageBrowser, pageDataView, pageCalHistory, pageOption};
    for (ui::PageFrame* page : fraMenu) {
        // Not an event: the pages call it from their procedures, which a failure passes through
        // to their own handler's boundary.
        page->Form_Resize = [this] { Form_Resize(); };
        page->setStyle(PageStyle());
    }
    // The window is worked with the keyboard alone: Enter clicks the button with the focus.
    ui::EnterClicksButtons();
    for (size_t i = 0; i < cmdInst.size(); ++i) {
        cmdInst[i] = new QPushButton(this);
        QObject::connect(cmdInst[i], &QPushButton::clicked, this,
                         ui::AsUserAction([this, i] { cmdInst_Click(static_cast<int>(i)); }));
    }
    tmrInter = new QTimer(this);
    // A tick that fails is shown once and the timer goes on: the waits of the link's operations
    // count its ticks.
    QObject::connect(tmrInter, &QTimer::timeout, this,
                     ui::AsRepeatedAction([this] { tmrInter_Timer(); }));

    IntervalList = std::make_shared<clsIntervals>();
    AlarmList = std::make_shared<clsAlarms>();
    HistoryList = std::make_shared<clsHistorys>();
    AlarmEventList = std::make_shared<clsAlarmEvents>();
    TroubleEventList = std::make_shared<clsTroubleEvents>();
    PowerEventList = std::make_shared<clsPowerEvents>();
    CurInstrument = std::make_shared<clsInstrument>();
    LogInstrument = std::make_shared<clsInstrument>();
    CurInterval = std::make_shared<clsInterval>();
    CurAlarm = std::make_shared<clsAlarm>();
    CurHistory = std::make_shared<clsHistory>();
    CurAlarmEvent = std::make_shared<clsAlarmEvent>();
    CurTroubleEvent = std::make_shared<clsTroubleEvent>();
    CurPowerEvent = std::make_shared<clsPowerEvent>();

    const auto settingsChanged = [this] { SettingsChanged(); };
    pageDownload->Bind(DownloadHost{*downloadLink_,
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
                                    cmdInst[4],
                                    cmdInst[5],
                                    pageOption->cmdOption[0],
                                    [this] { RefreshInstrumentViews(); },
                                    [this] { StartAfresh(); },
                                    settingsChanged,
                                    [this] { pageBrowser->StoredDataChanged(); }});
    const auto showPage = [this](int index) { ShowPage(index); };
    const auto showPassword = [this] {
        frmPassword::ShowModal(this, [this] { SettingsChanged(); });
    };
    pageBrowser->Bind(BrowserHost{
        CurDataType, CurSeqNo, LogTreeChanged, LogInstrument, ShowLogInstrument, showPassword,
        [this] { pageDataView->cmdDetail_Click(); }, [this] { pageDataView->ShowDataView(); },
        [this] { pageInstrument->ShowInstrumentInfo(); }, showPage, settingsChanged});
    pageDataView->Bind(
        DataViewHost{CurDataType, CurSeqNo, CurInterval, CurAlarm, CurHistory, CurAlarmEvent,
                     CurTroubleEvent, CurPowerEvent, CurInstrument, ExportFileName,
                     [this](const QString& tag) { pageBrowser->PopupUnits(tag); }, showPage});
    uclQV4170.Guard().Ended = ui::AsUserAction([this] {
        // Closed once the event that ended the operation has returned.
        if (closePending_) QTimer::singleShot(0, this, ui::AsUserAction([this] { close(); }));
    });
    const auto addLogLine = [this](const QString& text, int32_t color) {
        pageDownload->AddLogLine(text, color);
    };
    const auto upload = [this] { return pageDownload->Upload(); };
    const auto unloadUpload = [this] { pageDownload->UnloadUpload(); };
    const auto enablePageButtons = [this](bool enabled) {
        for (QPushButton* button : cmdInst)
            button->setEnabled(enabled);
    };
    const auto setGraphColor = [this](int series, int32_t color) {
        pageDataView->vtmGraph->SetValueColor(series, color);
        pageDataView->vtmGraph->Refresh();
    };
    const SettingsHost settings{uclQV4170,     CurInstrument,  LogInstrument, ShowLogInstrument,
                                FillingGrid,   CalibMode,      NowReadings,   SpanSelected,
                                addLogLine,    upload,         unloadUpload,  enablePageButtons,
                                setGraphColor, settingsChanged};
    pageInstrument->Bind(settings);
    pageOption->Bind(settings);
    pageCalHistory->Bind(
        CalHistoryHost{FirstActivate, InHistorySelChange, showPassword, PrintLastCalibrationList});
    ConnectLinkEvents();

    setMinimumSize(ui::ToPixelsX(kMinWidth), ui::ToPixelsY(kMinHeight));
    resize(ui::ToPixelsX(kMinWidth), ui::ToPixelsY(8000));
}

frmMain::~frmMain() {
    if (stoppedAsking_) SetClosePending(nullptr);
}

bool frmMain::Form_Load() {
    FirstActivate = true;
    for (int i = 0; i < 4; ++i)
        FactAutoCal[static_cast<size_t>(i)] = -1;
    FillGasTable();
    AtCommandVersion = 2056;
    SetDefaults();
    // Where the settings file names no graph colours the graph keeps its own.
    uclVtmGraph& graph = *pageDataView->vtmGraph;
    MainForm().ScaleColor = graph.ScaleColor();
    MainForm().BackColor = graph.BackColor();
    MainForm().CursorColor = graph.CursorColor();
    const QList<SettingsLine> unread = LoadSettings();
    Attempt([this] { ApplyWindowSettings(); });
    // An empty data folder is the program's own, never the file system's root.
    const QString dataFolder = DataFolder();
    DatabasePath = JoinPath(dataFolder, QStringLiteral("QV4170.mdb"));

    // A missing database is made before the lock is taken beside it. The lock comes before any
    // look into the file: a running copy that is storing holds the file, and the copy that
    // finds its lock must name that copy at once instead of waiting for the file.
    try {
        if (!FileExists(DatabasePath)) MakeDatabase(DatabasePath);
    } catch (...) {
        Dialogs().MsgBox(GetMessage(301, {dataFolder}), vbOKOnly);
        return false;
    }

    const QString lockPath = LockFilePath(DatabasePath);
    switch (lock_.Take(lockPath, ComputerName(), UserName())) {
        case LockFile::Result::Taken:
            break;
        case LockFile::Result::HeldElsewhere: {
            const QStringList holder = LockFile::ReadHolder(lockPath);
            Dialogs().MsgBox(GetMessage(300, {holder[0], holder[1]}), vbOKOnly);
            return false;
        }
        case LockFile::Result::Failed:
            Dialogs().MsgBox(GetMessage(301, {dataFolder}), vbOKOnly);
            return false;
    }

    // A database that cannot be used ends the program and lets the lock go; a file of that
    // name that is not a database of ours is left as it is.
    DatabaseFileState state = DatabaseFileState::NoAccess;
    try {
        state = CheckDatabaseFile(DatabasePath);
    } catch (...) {
    }
    int refusal = 0;
    switch (state) {
        case DatabaseFileState::Usable:
            break;
        case DatabaseFileState::Damaged:
            refusal = 9001;
            break;
        case DatabaseFileState::InUse:
            refusal = 9002;
            break;
        case DatabaseFileState::NoAccess:
            refusal = 301;
            break;
    }
    if (refusal != 0) {
        lock_.Release();
        Dialogs().MsgBox(GetMessage(refusal, {refusal == 301 ? dataFolder : DatabasePath}),
                         vbOKOnly);
        return false;
    }
    loaded_ = true;

    // From here on a failing step is skipped.
    Attempt([] {
        // A file made before the indexes existed gets them now.
        Database db(DatabasePath);
        EnsureIndexes(db);
    });
    Attempt([] {
        // Gas rows left behind by deleted logs, which a reused key would read again.
        Database db(DatabasePath);
        RemoveOrphanGasRows(db);
    });
    Attempt([this] {
        for (int i = 0; i < 4; ++i)
            ui::SetBackColor(pageOption->cmdOptionDisp[i + 1], GraphColor[static_cast<size_t>(i)]);
    });
    Attempt([this] {
        InAutoLoadClick = false;
        DownloadPage& page = *pageDownload;
        page.chkAutoLoad[0]->setChecked(AutoLoad);
        page.chkAutoLoad[1]->setChecked(AutoRemoveData);
        page.chkAutoLoad[1]->setEnabled(AutoLoad);
        InAutoLoadClick = true;
    });
    Attempt([this] {
        for (size_t i = 0; i < pageBrowser->chkLog.size(); ++i)
            pageBrowser->chkLog[i]->setChecked(MainForm().chkLog[i] == 1);
    });
    Attempt([this] { ApplyFonts(); });
    Attempt([this] { SetCaptions(); });
    Attempt([this] { uclQV4170.SetSerialComm(false); });
    Attempt([this] { OpenCommPort(); });
    Attempt([this] {
        if (MainForm().WindowState != 0) return;
        const QSizeF screen = ScreenTwips();
        if (ExecuteCount == 1 || MainForm().Width <= 0 || MainForm().Height <= 0) {
            const double width =
                screen.width() * 0.8 > kMinWidth ? screen.width() * 0.8 : kMinWidth;
            const double height =
                screen.height() * 0.6 > kMinHeight ? screen.height() * 0.6 : kMinHeight;
            resize(ui::ToPixelsX(width), ui::ToPixelsY(height));
        }
        move(ui::ToPixelsX((screen.width() - Width(this)) / 2),
             ui::ToPixelsY((screen.height() - Height(this)) / 2));
    });
    Attempt([this] { pageOption->lblOption[5]->setProperty("Tag", GeneralDate(rt::Now())); });
    Attempt([this] {
        pageOption->fraOption[1]->setVisible(true);
        pageOption->fraOption[2]->setVisible(false);
    });
    FillingGrid = false;
    HistorySelBusy = false;
    InHistorySelChange = false;
    Attempt([this] { ApplyFonts(); });
    Attempt([this] {
        if (SerialLogOn) RotateSerialLogs();
    });
    Attempt([] {
        const QString current = ProgramFile(SerialLogFile::FileName(0));
        if (QFile::exists(current)) SerialLogFile::Remove(current, kDeleteWaitMs, true);
    });
    // The serial log is written from here on.
    Attempt([this] { uclQV4170.SetSerialFileNo(1); });
    // What the start-up derived (the converter's port) is no change for the settings file.
    NoteSettingsInForce();
    // Once both logs are written: the settings file's lines not read as written, the exact
    // texts dropped, or the file that could not be read at all.
    Attempt([this, &unread] {
        for (const SettingsLine& line : unread) {
            const QString number = QString::number(line.number);
            switch (line.kind) {
                case SettingsLine::Kind::NotRead:
                    LogSettingsFile(GetMessage(9310, {SettingsFilePath(), number, line.text}));
                    break;
                case SettingsLine::Kind::StaleExactText:
                    LogSettingsFile(GetMessage(9311, {SettingsFilePath(), number, line.text}));
                    break;
                case SettingsLine::Kind::FileUnreadable:
                    LogSettingsFile(GetMessage(9314, {SettingsFilePath(), line.text}));
                    break;
            }
        }
    });
    return true;
}

void frmMain::Form_Activate() {
    const bool reset = FirstActivate;
    if (FirstActivate) {
        for (ui::PageFrame* page : fraMenu) {
            Move(page, 0);
            page->hide();
        }
        pageDownload->show();
        pageDownload->ShowPortLamp();
        pageDownload->shpStatus[1]->SetBackColor(LampGray[0]);
        pageDownload->shpStatus[1]->SetBorderColor(LampGray[1]);
        uclQV4170.AddLog(GetMessage(5541, {GeneralDate(rt::Now())}));
        FirstActivate = false;
    }
    Form_Resize();
    // A reset puts the keys on the download page as well.
    if (reset) pageDownload->TakeFocus();
}

void frmMain::Form_Unload() {
    if (!loaded_ || unloaded_) return;
    unloaded_ = true;
    Attempt([this] { uclQV4170.SetTimerEnabled(false); });
    tmrInter->stop();
    // The font button shows the program's font unless it was set since: only then is its font
    // taken, so that a file without a font line does not get the platform's default one.
    const QFont shown = pageOption->cmdOptionDisp[0]->font();
    if (shown != ui::MakeFont(AppFont)) ui::TakeFont(AppFont, shown);
    for (int i = 0; i < 4; ++i)
        GraphColor[static_cast<size_t>(i)] = ui::BackColor(pageOption->cmdOptionDisp[i + 1]);
    StoreWindowSettings();
    // Only what the program changed: the technician's edits made meanwhile stay. A failure is
    // told, and the lock still goes.
    WriteChangedSettings();
    lock_.Release();
}

void frmMain::Form_Resize() {
    if (isMinimized() || inResize_) return;
    inResize_ = true;
    // The window never gets smaller than its minimum, each direction on its own.
    if (Width(this) < kMinWidth) resize(ui::ToPixelsX(kMinWidth), height());
    if (Height(this) < kMinHeight) resize(width(), ui::ToPixelsY(kMinHeight));
    const double scaleWidth = Width(this);
    const double scaleHeight = Height(this);
    const double menuWidth = scaleWidth * 0.12;
    for (ui::PageFrame* page : fraMenu)
        Move(page, 0, 120, scaleWidth - menuWidth - 240, scaleHeight - 180);
    for (ui::PageFrame* page : fraMenu)
        if (ui::IsShown(page)) {
            page->LayoutPage();
            break;
        }
    Move(cmdInst[0], scaleWidth - menuWidth - 120, 180, menuWidth,
         (scaleHeight - 840) / static_cast<double>(cmdInst.size()));
    for (size_t i = 1; i < cmdInst.size(); ++i)
        Move(cmdInst[i], ui::Left(cmdInst[0]), Top(cmdInst[i - 1]) + Height(cmdInst[i - 1]) + 120,
             Width(cmdInst[0]), Height(cmdInst[0]));
    for (QPushButton* button : cmdInst)
        FitCaption(button);
    inResize_ = false;
}

void frmMain::cmdInst_Click(int Index) {
    if (Index < 0 || Index > 5) return;
    if (Index == 5) {
        close();
        return;
    }
    // The settings page is left only with an entry still open in its grids taken, or kept
    // open when refused.
    if (!pageOption->CommitEntries(
            cmdInst[static_cast<size_t>(Index)]->property(kCaption).toString()))
        return;
    switch (Index) {
        case 0:
            ShowStatusIds();
            uclQV4170.SetEnabled(true);
            break;
        case 1:
            pageInstrument->ShowInstrumentInfo();
            break;
        case 2:
            for (QCheckBox* box : pageBrowser->chkLog)
                box->setEnabled(false);
            pageBrowser->MakeLogTree();
            for (QCheckBox* box : pageBrowser->chkLog)
                box->setEnabled(true);
            pageBrowser->RefreshLogBrowser();
            break;
        case 3:
            pageCalHistory->ShowCalHistory();
            break;
        case 4:
            pageOption->ShowOptionGrid();
            uclQV4170.SetEnabled(true);
            break;
    }
    // The data view page is reached from the stored-data page only.
    constexpr std::array<int, 5> kPageOfButton{0, 1, 2, 4, 5};
    ShowPage(kPageOfButton[static_cast<size_t>(Index)]);
}

void frmMain::ShowPage(int Index) {
    for (ui::PageFrame* page : fraMenu)
        page->hide();
    ui::PageFrame* shown = fraMenu[static_cast<size_t>(Index)];
    shown->show();
    shown->repaint();
    Form_Resize();
    // The keys go to the page on show: hiding the page that held them passed them to a page
    // button, where Space would switch pages again.
    shown->TakeFocus();
}

void frmMain::tmrInter_Timer() {
    ++TickCount;
    pageOption->ShowClocks();
}

bool frmMain::OpenCommPort() {
    const int found =
        finder_ ? FindConverterPort(kConverterId, *finder_) : FindConverterPort(kConverterId);
    if (found > 1) Dialogs().MsgBox(GetMessage(20014), vbCritical, GetMessage(20015));
    const bool serial = CommPortNo != 0;
    if (serial) {
        uclQV4170.SetSerialComm(true);
        uclQV4170.SetCommPort(CommPortNo);
        uclQV4170.SetRTSEnable(true);
        uclQV4170.SetDTREnable(true);
        uclQV4170.SetHandshaking(2);
        uclQV4170.SetSettings(CommSettings);
    } else {
        uclQV4170.SetSerialComm(false);
    }
    uclQV4170.SetPortOpen(true);
    return serial;
}

void frmMain::RotateSerialLogs() {
    SerialLogFile::Rotate(ProgramFolder(), SerialLogFile::kKeptCopies, kDeleteWaitMs);
}

void frmMain::SetDefaults() {
    Attempt([] { DataLocation = ProgramFolder(); });
    Attempt([] {
        GraphColor[0] = ui::RGB(255, 255, 0);
        GraphColor[1] = ui::RGB(0, 128, 255);
        GraphColor[2] = ui::RGB(128, 64, 64);
        GraphColor[3] = ui::RGB(255, 0, 0);
        GraphColor[4] = ui::RGB(128, 0, 255);
    });
    Attempt([] { AppFont.Size = 9; });
    Attempt([this] {
        // A font without a name is the font in use.
        pageOption->cmdOptionDisp[0]->setText(OptionPage::FontCaption(ui::MakeFont(AppFont)));
    });
    Attempt([this] {
        for (int i = 0; i < 4; ++i)
            ui::SetBackColor(pageOption->cmdOptionDisp[i + 1], GraphColor[static_cast<size_t>(i)]);
    });
    Attempt([this] { IntervalList->SetInstruments(CurInstrument); });
    Attempt([this] { tmrInter->start(100); });
    Attempt([] {
        if (ConvFactor == 0) {
            ConvFactor = 0.05f;
            ConvEnable = false;
            UnitNames[0] = QStringLiteral("%LEL");
            UnitNames[1] = QStringLiteral("VOL%");
        }
    });
    Attempt([] {
        if (CommPortNo == 0) CommPortNo = 4;
    });
    LampGreen = {ui::RGB(0, 255, 0), ui::RGB(0, 192, 0), 0};
    LampGray = {ui::RGB(160, 160, 160), ui::RGB(128, 128, 128), 0};
    LampYellow = {ui::RGB(255, 255, 0), ui::RGB(192, 192, 0), 0};
    LampRed = {ui::RGB(254, 0, 0), ui::RGB(192, 0, 0), 0};
    DownloadPage& page = *pageDownload;
    Attempt([&] {
        page.shpStatus[0]->SetBackColor(LampGreen[0]);
        page.shpStatus[0]->SetBorderColor(LampGreen[1]);
        for (int i = 1; i <= 3; ++i) {
            page.shpStatus[i]->SetBackColor(LampGray[0]);
            page.shpStatus[i]->SetBorderColor(LampGray[1]);
        }
    });
    CurDataType = 0;
    Attempt([&] { page.rtbLog->clear(); });
    Attempt([&] {
        for (QPushButton* button : page.cmdDown)
            button->setEnabled(false);
        pageOption->cmdOption[0]->setEnabled(false);
    });
    InAutoLoadClick = false;
    Attempt([&] {
        page.shpStatus[2]->hide();
        page.shpStatus[3]->hide();
        page.lblStatus[8]->hide();
        page.lblStatus[9]->hide();
    });
    Attempt([&] {
        page.chkAutoLoad[0]->setChecked(AutoLoad);
        page.chkAutoLoad[1]->setChecked(AutoRemoveData);
        if (!AutoLoad) page.chkAutoLoad[1]->setEnabled(false);
    });
    InAutoLoadClick = true;
    LogTreeChanged = true;
    ExportFileName.clear();
    Attempt([this] { pageCalHistory->optHistory[0]->setChecked(true); });
    // The separators are quoted so that they never follow the user's locale.
    SqlDateFormat = QStringLiteral("mm\"/\"dd\"/\"yy hh\":\"nn\":\"ss");
    Attempt([] {
        constexpr std::array<float, 4> ranges{50, 12, 25, 50};
        for (size_t i = 0; i < ranges.size(); ++i)
            if (CalibRange[i] == 0) CalibRange[i] = ranges[i];
    });
    Attempt([] {
        // Every combination that holds channels 0 and 1.
        for (int mask : {3, 7, 11, 15, 19, 23, 27, 31})
            GasComb[static_cast<size_t>(mask)] = true;
    });
    Attempt([] {
        struct DefaultGas {
            const char* name;
            bool locked;
            int16_t points;
            const char* unit;
            float warning, alarm, stel, twa, desit, fullScale, autoCalib;
            int16_t zero;
            float factAutoCal;
        };
        static const std::array<DefaultGas, 5> gases{{
            {"CH4", false, 0, "%LEL", 10, 50, -1, -1, 1, 100, 50, 1, 50},
            {"OXY", true, 1, "%", 19.5f, 23.5f, -1, -1, 0.1f, 40, 12, 0, 12},
            {"H2S", false, 1, "ppm", 10, 30, 15, 10, 0.5f, 100, 10, 1, 10},
            {"CO ", false, 0, "ppm", 25, 50, 200, 25, 1, 500, 100, 1, 100},
            {"CH4", false, 1, "vol%", -1, -1, -1, -1, 0.1f, 100, 100, 0, 100},
        }};
        clsInstrument& inst = *DefaultInstrument();
        for (int i = 0; i < static_cast<int>(gases.size()); ++i) {
            if (inst.GasFullScale(i) != 0) continue;
            const DefaultGas& g = gases[static_cast<size_t>(i)];
            inst.SetGasName(i, QString::fromLatin1(g.name));
            inst.SetGasEnabled(i, true);
            GasLocked[static_cast<size_t>(i)] = g.locked;
            inst.SetGasPoint(i, g.points);
            inst.SetGasUnit(i, QString::fromLatin1(g.unit));
            inst.SetWarning(i, g.warning);
            inst.SetAlarm(i, g.alarm);
            inst.SetStel(i, g.stel);
            inst.SetTwa(i, g.twa);
            inst.SetGasDesit(i, g.desit);
            inst.SetGasFullScale(i, g.fullScale);
            inst.SetAutoCalib(i, g.autoCalib);
            inst.SetZero(i, g.zero);
            FactAutoCal[static_cast<size_t>(i)] = g.factAutoCal;
        }
    });
    Attempt([] {
        if (UserPassword.isEmpty())
            UserPassword = GetMessage(101) == QLatin1String("EN") ? QStringLiteral("qzt")
                                                                  : QStringLiteral("Wolde");
    });
    if (PrtWidth[0] < 1 || PrtWidth[0] > 100) PrtWidth[0] = 4;
    if (PrtWidth[1] < 1 || PrtWidth[1] > 100) PrtWidth[1] = 1;
    if (CalSpanOffWait == 0) CalSpanOffWait = 45;
    if (CalSpanOnWait == 0) CalSpanOnWait = 90;
    if (CalUnitOnWait == 0) CalUnitOnWait = 45;
    ShowLogInstrument = false;
    CalibMode = false;
}

void frmMain::SetCaptions() {
    const QString partNumber =
        GetMessage(101) == QLatin1String("JP") ? QStringLiteral("73140") : QStringLiteral("73141");
    setWindowTitle(GetMessage(5001) + QStringLiteral(" [P.No.") + partNumber + u']');
    constexpr std::array<int, 6> kButtonMessage{5002, 5003, 5004, 5009, 5006, 5007};
    for (size_t i = 0; i < cmdInst.size(); ++i) {
        cmdInst[i]->setProperty(kCaption, GetMessage(kButtonMessage[i]));
        FitCaption(cmdInst[i]);
    }
    for (ui::PageFrame* page : fraMenu)
        page->SetCaptions();
}

void frmMain::FillGasTable() {
    FillBuiltInGasTable();
}

void frmMain::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (loaded_) Form_Resize();
}

void frmMain::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && loaded_ && !unloaded_)
        Form_Activate();
    if (event->type() == QEvent::WindowStateChange && loaded_ && !isMinimized()) Form_Resize();
}

void frmMain::closeEvent(QCloseEvent* event) {
    // The window closes whatever it finds: nothing waits for an instrument that stays silent.
    uclQV4170.SetClosing(true);
    // A running operation still uses the link, the collections and the window: it is
    // cancelled, and the window closes when it has ended, with nobody asked meanwhile.
    if (uclQV4170.Guard().Busy()) {
        closePending_ = true;
        StopAsking();
        pageDownload->CancelForClose();
        event->ignore();
        return;
    }
    // Left open, the calibration panel would leave the instrument's pump running.
    if (loaded_ && !unloaded_) Attempt([this] { pageOption->LeaveCalibration(); });
    Form_Unload();
    event->accept();
}

void frmMain::StopAsking() {
    if (stoppedAsking_) return;
    stoppedAsking_ = true;
    SetClosePending([this](const QString& prompt, int style, const QString& title) {
        TellUnasked(prompt, style, title);
    });
}

void frmMain::TellUnasked(const QString& prompt, int style, const QString& title) {
    QString text = title.isEmpty() ? prompt : title + QStringLiteral(": ") + prompt;
    while (text.endsWith(u'\n') || text.endsWith(u'\r'))
        text.chop(1);
    const int icon = style & 0x70;
    const bool failure = icon == vbCritical || icon == vbExclamation;
    Attempt(
        [&] { pageDownload->AddLogLine(text, failure ? LogColor::Failure : LogColor::Forwarded); });
    Attempt([&] { uclQV4170.AddLog(text); });
}

void frmMain::ConnectLinkEvents() {
    DownloadPage* page = pageDownload;
    uclQvif* link = link_.get();
    using ui::AsRepeatedAction;
    using ui::AsUserAction;
    // Each connection, disconnection and adapter error shows its failure. The readings, the
    // connect polls, the port checks and the lines a transfer relays come in streams, during
    // a box as well: a failing handler of theirs shows one box, not one per event.
    QObject::connect(link, &uclQvif::OnConnect, page,
                     AsUserAction([page] { page->uclQV4170_OnConnect(); }));
    QObject::connect(link, &uclQvif::Densty, this,
                     AsRepeatedAction([this](float v1, float v2, float v3, float v4, float v5) {
                         uclQV4170_Densty(v1, v2, v3, v4, v5);
                     }));
    QObject::connect(link, &uclQvif::ConnectRetry, page, AsRepeatedAction([page](int16_t count) {
                         page->uclQV4170_ConnectRetry(count);
                     }));
    QObject::connect(
        link, &uclQvif::InstMessage, page,
        AsRepeatedAction([page](const QString& text) { page->uclQV4170_InstMessage(text); }));
    QObject::connect(
        link, &uclQvif::InterMessage, page,
        AsRepeatedAction([page](const QString& text) { page->uclQV4170_InterMessage(text); }));
    QObject::connect(
        link, &uclQvif::AlarmMessage, page,
        AsRepeatedAction([page](const QString& text) { page->uclQV4170_AlarmMessage(text); }));
    QObject::connect(
        link, &uclQvif::DumpMessage, page,
        AsRepeatedAction([page](const QString& text) { page->uclQV4170_DumpMessage(text); }));
    QObject::connect(link, &uclQvif::OnDisConnect, page,
                     AsUserAction([page] { page->uclQV4170_OnDisConnect(); }));
    QObject::connect(link, &uclQvif::IrDAError, page,
                     AsUserAction([page](int16_t number) { page->uclQV4170_IrDAError(number); }));
    QObject::connect(link, &uclQvif::PortStateChanged, page,
                     AsRepeatedAction([page] { page->uclQV4170_PortStateChanged(); }));
    QObject::connect(
        link, &uclQvif::SerialLogFailed, page,
        AsRepeatedAction([page](const QString& text) { page->uclQV4170_SerialLogFailed(text); }));
}

void frmMain::uclQV4170_Densty(float Value1, float Value2, float Value3, float Value4,
                               float Value5) {
    const std::array<float, 5> values{Value1, Value2, Value3, Value4, Value5};
    for (int i = 0; i < 5; ++i)
        NowReadings[static_cast<size_t>(i)] =
            CurInstrument->GasEnabled(i) ? values[static_cast<size_t>(i)] : -1;
    if (CalibMode) ShowCalReadings();
}

void frmMain::ShowCalReadings() {
    pageOption->ShowCalReadings();
}

void frmMain::ShowStatusIds() {
    pageDownload->ShowStatusIds(*CurInstrument);
}

void frmMain::RefreshInstrumentViews() {
    ui::PageFrame* visible = fraMenu[0];
    for (ui::PageFrame* page : fraMenu)
        if (ui::IsShown(page)) visible = page;
    // A sensor fixed in the gas catalogue is always on (gas 5 is never looked at).
    for (int i = 0; i < 4; ++i)
        if (!CurInstrument->GasEnabled(i) && GasLocked[static_cast<size_t>(i)])
            CurInstrument->SetGasEnabled(i, true);
    ShowStatusIds();
    pageInstrument->ShowInstrumentInfo();
    pageOption->ShowOptionGrid();
    visible->repaint();
}

void frmMain::StartAfresh() {
    SetDefaults();
    LoadSettings();
    for (int i = 0; i < 4; ++i)
        ui::SetBackColor(pageOption->cmdOptionDisp[i + 1], GraphColor[static_cast<size_t>(i)]);
    // The font button holds the program's font as the colour buttons hold the colours: the one
    // read, which is the one last chosen unless the file was edited meanwhile.
    Attempt([this] {
        QPushButton* font = pageOption->cmdOptionDisp[0];
        ui::CopyFont(font, AppFont);
        font->setText(OptionPage::FontCaption(font->font()));
    });
    DownloadPage& page = *pageDownload;
    // The boxes show the settings just read, not those the defaults were given: the automatic
    // mode's removal step reads its box, which would otherwise erase an instrument that the
    // settings file says to keep.
    InAutoLoadClick = false;
    page.chkAutoLoad[0]->setChecked(AutoLoad);
    page.chkAutoLoad[1]->setChecked(AutoRemoveData);
    InAutoLoadClick = true;
    FirstActivate = true;
    page.chkAutoLoad[0]->setEnabled(true);
    page.chkAutoLoad[1]->setEnabled(page.chkAutoLoad[0]->isChecked());
    Form_Activate();
    // A converter lookup that fails leaves the port closed, as at start-up.
    Attempt([this] { OpenCommPort(); });
    NoteSettingsInForce();
}

void frmMain::SettingsChanged() {
    WriteChangedSettings();
}

void frmMain::WriteChangedSettings() {
    try {
        if (SaveChangedSettings() == SettingsWrite::WrittenAnew)
            LogSettingsFile(GetMessage(9313, {SettingsFilePath()}));
    } catch (const AppError& e) {
        // The settings hold for this run all the same; the user learns that they were not kept.
        Dialogs().MsgBox(e.text(), vbCritical);
    }
}

void frmMain::LogSettingsFile(const QString& text) {
    Attempt([&] { pageDownload->AddLogLine(text, LogColor::Failure); });
    Attempt([&] { uclQV4170.AddLog(text); });
}

void frmMain::ApplyFonts() {
    for (QWidget* control : findChildren<QWidget*>())
        ui::CopyFont(control, AppFont);
    for (ui::PageFrame* page : fraMenu) {
        QFont bold = page->font();
        bold.setBold(true);
        page->setFont(bold);
    }
}

void frmMain::ApplyWindowSettings() {
    const MainFormSettings& form = MainForm();
    if (form.Width > 0 && form.Height > 0)
        resize(ui::ToPixelsX(form.Width), ui::ToPixelsY(form.Height));
    if (form.WindowState == 2)
        setWindowState(Qt::WindowMaximized);
    else if (form.WindowState == 1)
        setWindowState(Qt::WindowMinimized);
    uclVtmGraph& graph = *pageDataView->vtmGraph;
    graph.SetScaleColor(form.ScaleColor);
    graph.SetBackColor(form.BackColor);
    graph.SetCursorColor(form.CursorColor);
}

void frmMain::StoreWindowSettings() {
    MainFormSettings& form = MainForm();
    form.WindowState = isMinimized() ? 1 : (isMaximized() ? 2 : 0);
    // A maximised or minimised window keeps the size it has when restored.
    const QSize size = form.WindowState == 0 || normalGeometry().isEmpty()
                           ? this->size()
                           : normalGeometry().size();
    form.Width = static_cast<float>(size.width() * ui::TwipsPerPixelX());
    form.Height = static_cast<float>(size.height() * ui::TwipsPerPixelY());
    for (size_t i = 0; i < pageBrowser->chkLog.size(); ++i)
        form.chkLog[i] = pageBrowser->chkLog[i]->isChecked() ? 1 : 0;
    const uclVtmGraph& graph = *pageDataView->vtmGraph;
    form.ScaleColor = graph.ScaleColor();
    form.BackColor = graph.BackColor();
    form.CursorColor = graph.CursorColor();
}

}  // namespace qv
