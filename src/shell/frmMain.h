// The main window: six pages beside a column of page buttons; its start-up (defaults, settings,
// database check, lock file, fonts, captions, port), first activation, layout, page switching
// and shut-down. It owns the state the pages share: the link control, the six download
// collections, the two instrument objects and the loaded record objects.
#pragma once

#include "BrowserPage.h"
#include "CalHistoryPage.h"
#include "DataViewPage.h"
#include "DownloadLink.h"
#include "DownloadPage.h"
#include "InstrumentPage.h"
#include "LockFile.h"
#include "OptionPage.h"
#include "PortFinder.h"
#include "uclQvif.h"

#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <memory>

namespace qv {

class clsAlarm;
class clsAlarmEvent;
class clsAlarmEvents;
class clsAlarms;
class clsHistory;
class clsHistorys;
class clsInstrument;
class clsInterval;
class clsIntervals;
class clsPowerEvent;
class clsPowerEvents;
class clsTroubleEvent;
class clsTroubleEvents;

class frmMain : public QWidget {
    // Declared first: the link control outlives every use of it by the members below.
    std::unique_ptr<uclQvif> link_;
    std::unique_ptr<QvifDownloadLink> downloadLink_;
    std::unique_ptr<PortFinder> finder_;

  public:
    // Creates the window and its link control (on the machine's ports unless one is given);
    // the converter lookup is the machine's unless one is given.
    explicit frmMain(std::unique_ptr<uclQvif> link = nullptr,
                     std::unique_ptr<PortFinder> finder = nullptr);
    ~frmMain() override;

    // The start-up. False when the program must end: the database cannot be used or another
    // copy holds the lock; the user has been told.
    bool Form_Load();
    // First activation set-up when asked for, then the layout.
    void Form_Activate();
    // Shut-down: link timer off, font and colours kept, settings written, lock released.
    void Form_Unload();
    // The layout of the frame and of the page on show.
    void Form_Resize();
    // The page buttons: 0 download, 1 instrument, 2 stored data, 3 last calibration, 4 set,
    // 5 exit.
    void cmdInst_Click(int Index);
    // Shows one page frame (0 download ... 5 set) in place of the others, lays the window out
    // and gives the keyboard focus to the page's main control.
    void ShowPage(int Index);

    // Puts settings without a value and the controls to their start-up state.
    void SetDefaults();
    // Title and captions from the message catalogue.
    void SetCaptions();
    // Opens the port: the USB converter's when exactly one is found, else the infrared path.
    bool OpenCommPort();
    // Moves SerialLog.log to SerialLog1.log and the older copies one number up (nine kept).
    void RotateSerialLogs();
    // 100 ms tick of the window.
    void tmrInter_Timer();
    // After the instrument was switched off: the start-up state again, with the settings file
    // read anew and the port opened again.
    void StartAfresh();
    // Shows newly read instrument information on the status labels and the settings pages.
    void RefreshInstrumentViews();
    // A setting the user changed and the program confirmed: written into the settings file at
    // once, so that neither the fresh read after a power-off nor an end without an unload takes
    // it back. A failure to write is shown.
    void SettingsChanged();
    // The live readings of the link control.
    void uclQV4170_Densty(float Value1, float Value2, float Value3, float Value4, float Value5);

    // The page frames, by index: 0 download, 1 instrument information, 2 stored data, 3 data
    // view, 4 last calibration, 5 set.
    DownloadPage* pageDownload = nullptr;
    InstrumentPage* pageInstrument = nullptr;
    BrowserPage* pageBrowser = nullptr;
    DataViewPage* pageDataView = nullptr;
    CalHistoryPage* pageCalHistory = nullptr;
    OptionPage* pageOption = nullptr;
    std::array<ui::PageFrame*, 6> fraMenu{};
    std::array<QPushButton*, 6> cmdInst{};
    QTimer* tmrInter = nullptr;

    // Shared state of the pages.
    uclQvif& uclQV4170;
    std::shared_ptr<clsIntervals> IntervalList;
    std::shared_ptr<clsAlarms> AlarmList;
    std::shared_ptr<clsHistorys> HistoryList;
    std::shared_ptr<clsAlarmEvents> AlarmEventList;
    std::shared_ptr<clsTroubleEvents> TroubleEventList;
    std::shared_ptr<clsPowerEvents> PowerEventList;
    std::shared_ptr<clsInstrument> CurInstrument;
    std::shared_ptr<clsInstrument> LogInstrument;
    std::shared_ptr<clsInterval> CurInterval;
    std::shared_ptr<clsAlarm> CurAlarm;
    std::shared_ptr<clsHistory> CurHistory;
    std::shared_ptr<clsAlarmEvent> CurAlarmEvent;
    std::shared_ptr<clsTroubleEvent> CurTroubleEvent;
    std::shared_ptr<clsPowerEvent> CurPowerEvent;

    // Lamp colours: element 0 the fill, element 1 the border.
    std::array<int32_t, 3> LampGreen{};
    std::array<int32_t, 3> LampGray{};
    std::array<int32_t, 3> LampYellow{};
    std::array<int32_t, 3> LampRed{};
    // Live readings of channels 0 to 4; -1 for a channel the instrument reports disabled.
    std::array<float, 6> NowReadings{};
    // The channels of the span calibration that runs.
    std::array<bool, 6> SpanSelected{};
    int32_t CurDataType = 0;
    int32_t CurSeqNo = 0;
    int32_t TickCount = 0;
    bool InAutoLoadClick = false;
    bool LogTreeChanged = false;
    QString ExportFileName;
    bool ShowLogInstrument = false;
    bool CalibMode = false;
    bool FirstActivate = false;
    bool FillingGrid = false;
    bool HistorySelBusy = false;
    bool InHistorySelChange = false;

    // The lock held from the load to the unload.
    const LockFile& Lock() const { return lock_; }

    // A close was asked for that nobody may stay to see through: from now on no dialog waits
    // (a message box's text goes to the status log and the serial log, a question takes its
    // safe answer) and the link waits for nothing that only the instrument could end.
    void StopAsking();

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void FillGasTable();
    void ApplyFonts();
    void ApplyWindowSettings();
    void StoreWindowSettings();
    // Writes what the program changed since the settings file was last read or written; a file
    // written anew is noted in both logs, a failure is shown.
    void WriteChangedSettings();
    // A line about the settings file, in red in the status log and in the serial log.
    void LogSettingsFile(const QString& text);
    // Copies the connected instrument's identity into the download page.
    void ShowStatusIds();
    // Writes the live readings into the calibration grid.
    void ShowCalReadings();
    void ConnectLinkEvents();
    // A message box nobody was asked: its text in the status log and the serial log.
    void TellUnasked(const QString& prompt, int style, const QString& title);

    LockFile lock_;
    bool loaded_ = false;
    bool unloaded_ = false;
    bool inResize_ = false;
    // The window was asked to close while an operation ran: it closes when that has ended.
    bool closePending_ = false;
    // StopAsking was called: the dialogs tell this window what they would have asked.
    bool stoppedAsking_ = false;
};

}  // namespace qv
