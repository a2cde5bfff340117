// The download page: status lamps, the status log, the instrument identity, the automatic-mode
// check boxes and the download command buttons, with the procedures behind them: the status
// log, the download steps, the download commands and the complete chain, the automatic mode, and
// the handlers of the link control's events.
#pragma once

#include "DownloadLink.h"
#include "LinkGuard.h"
#include "PageFrame.h"
#include "ShapeControl.h"
#include "Twips.h"
#include "frmUpload.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace qv {

class clsAlarmEvents;
class clsAlarms;
class clsHistorys;
class clsInstrument;
class clsIntervals;
class clsPowerEvents;
class clsTroubleEvents;

// Colours of the status log's lines.
namespace LogColor {
inline constexpr int32_t Progress = ui::RGB(0, 192, 0);
inline constexpr int32_t Failure = ui::RGB(255, 0, 0);
inline constexpr int32_t NoData = ui::RGB(192, 64, 64);
inline constexpr int32_t Forwarded = ui::RGB(0, 0, 192);
inline constexpr int32_t Connection = ui::RGB(0, 0, 255);
inline constexpr int32_t AdcList = ui::RGB(0, 128, 64);
inline constexpr int32_t AutomaticStart = ui::RGB(128, 32, 0);
inline constexpr int32_t AutomaticDone = ui::RGB(32, 128, 0);
}  // namespace LogColor

// What the page uses of the window that holds it; the window keeps every referenced object
// alive as long as the page.
struct DownloadHost {
    DownloadLink& link;
    std::shared_ptr<clsInstrument>& CurInstrument;
    std::shared_ptr<clsIntervals>& IntervalList;
    std::shared_ptr<clsAlarms>& AlarmList;
    std::shared_ptr<clsHistorys>& HistoryList;
    std::shared_ptr<clsAlarmEvents>& AlarmEventList;
    std::shared_ptr<clsTroubleEvents>& TroubleEventList;
    std::shared_ptr<clsPowerEvents>& PowerEventList;
    bool& LogTreeChanged;
    // Raised by the window's 100 ms timer.
    int32_t& TickCount;
    bool& InAutoLoadClick;
    // Lamp colours: element 0 the fill, element 1 the border.
    const std::array<int32_t, 3>& LampGreen;
    const std::array<int32_t, 3>& LampGray;
    const std::array<int32_t, 3>& LampRed;
    // The settings page button, the exit button and the option page's upload button (enabled
    // by the settings page once the connected instrument's settings have been read).
    QPushButton* cmdInstSet;
    QPushButton* cmdInstExit;
    QPushButton* cmdOptionUpdate;
    // Shows new instrument information on every view.
    std::function<void()> RefreshInstrumentViews;
    // After a power-off: start-up defaults, settings file, first activation, port opened again.
    std::function<void()> StartAfresh;
    // A setting the user changed and the program confirmed: kept in the settings file at once.
    std::function<void()> SettingsChanged;
    // Logs were stored in the database: a page on show that lists stored logs shows them.
    std::function<void()> LogsStored;
};

class DownloadPage : public ui::PageFrame {
  public:
    explicit DownloadPage(QWidget* parent = nullptr);
    ~DownloadPage() override;
    void SetCaptions() override;
    void LayoutPage() override;
    // The first command, or the status log while the commands wait for an instrument.
    QWidget* MainControl() const override;

    // Connects the page to its window; called once, before any procedure below runs.
    void Bind(const DownloadHost& host);

    // ---- Status log ----
    // Appends one line in the colour given (0x00BBGGRR) at the end of the log.
    void AddLogLine(const QString& text, int32_t color);
    // The A/D channel voltages of the connected instrument, in service mode only.
    void ListAdcValues();
    // The connected instrument's identity in the status labels.
    void ShowStatusIds(const clsInstrument& instrument);

    // ---- Download steps: True when the download completed (also without data) ----
    bool DownloadInstrument();
    bool DownloadIntervalTrend();
    bool DownloadAlarmTrend();
    bool DownloadAlarmEvents();
    bool DownloadTroubleEvents();
    bool DownloadPowerEvents();

    // ---- Commands ----
    // 0 complete download, 1 instrument information, 2 to 6 one kind, 7 clear data, 8 power off.
    void cmdDown_Click(int Index);
    // 0 automatic load, 1 automatic data removal.
    void chkAutoLoad_Click(int Index);
    void RunAutomaticMode();

    // ---- Link events ----
    void uclQV4170_OnConnect();
    void uclQV4170_ConnectRetry(int16_t RetryCount);
    void uclQV4170_InstMessage(const QString& MessageString);
    void uclQV4170_InterMessage(const QString& MessageString);
    void uclQV4170_AlarmMessage(const QString& MessageString);
    void uclQV4170_DumpMessage(const QString& MessageString);
    void uclQV4170_OnDisConnect();
    void uclQV4170_IrDAError(int16_t ErrorNumber);
    // The port lamp: green while the port is usable, red while it cannot be opened or its
    // device has gone.
    void ShowPortLamp();
    // The port failed or is open again: the lamp, and a red line naming each new cause.
    void uclQV4170_PortStateChanged();
    // The serial log could not be written: its cause in red.
    void uclQV4170_SerialLogFailed(const QString& MessageString);

    // ---- The progress dialog ----
    // The dialog, created and loaded when there is none (not shown).
    frmUpload* Upload();
    // The dialog when one is loaded, else nullptr.
    frmUpload* LoadedUpload() const { return upload_.get(); }
    void UnloadUpload();

    // ---- Operations in progress ----
    // True while an operation holds the link (this page's or another's).
    bool Busy() const { return host_ && host_->link.Guard().Busy(); }
    // The window is closing: the running transfer is cancelled and nothing new starts; the
    // automatic mode then ends without erasing or switching the instrument off, and nothing
    // starts afresh after a power-off.
    void CancelForClose();

    // 0 lamp strip, 1 automatic mode, 2 download commands, 3 instrument identity.
    std::array<QGroupBox*, 4> fraDown{};
    // 0 port lamp, 1 link lamp, 2 and 3 further lamps (hidden at rest).
    std::array<ui::ShapeControl*, 4> shpStatus{};
    // 0, 1, 8, 9 lamp names; 2 to 4 identity names; 5 to 7 identity values.
    std::array<QLabel*, 10> lblStatus{};
    QLabel* lblTitle0 = nullptr;
    QTextEdit* rtbLog = nullptr;
    std::array<QCheckBox*, 2> chkAutoLoad{};
    std::array<QPushButton*, 9> cmdDown{};

  private:
    // Message numbers of one trend or event step.
    struct StepTexts {
        int start, update, complete, noData, failed, noResponse;
        int serialStart, serialFinished, serialFailHeader, serialFailed, serialNoResponse;
    };
    template <class List, class Get>
    bool DownloadKind(const StepTexts& t, std::shared_ptr<List>& list, Get get);
    // The red lines of a download that failed; the rejected lines go to the serial log.
    void ReportFailed(const StepTexts& t, const QString& failLine, const QString& started);
    void ReportCancelled();
    // After a step stored logs, also when a failure stopped it part way.
    void TellLogsStored();

    // The connected instrument's information has been read whole since it connected: what its
    // logs are stored with.
    bool InformationHeld() const;
    // The buttons that store or erase logs are usable only while the information is held.
    void FollowInstrumentInformation();
    void DisableCommands();
    void RestoreCommands();
    void EnableEveryCommand();
    void EndChainOnCancel();
    using Step = bool (DownloadPage::*)();
    static std::vector<Step> ChainSteps();
    void RunCompleteChain();
    void RunSingleDownload(int Index);
    void ClearData();
    void PowerOff();
    // Gives a download button a state; while a command runs, the state it gets back afterwards.
    void SetCommandState(size_t index, bool enabled);
    // Shows the progress dialog with the caption of the download commands.
    void ShowDownloadProgress();
    bool UploadCanceled() const { return upload_ && upload_->Canceled(); }
    // Yields to the message loop until the window's tick count reaches `ticks` from 0.
    void WaitTicks(int32_t ticks);
    QString Now() const;

    std::unique_ptr<DownloadHost> host_;
    std::unique_ptr<frmUpload> upload_;
    bool closing_ = false;
    // The automatic mode has run on the instrument connected now: it runs once per connection,
    // and an instrument that ignored its power-off is not downloaded and erased again until it
    // has gone and connected anew.
    bool ranOnConnection_ = false;
    // The port failure last written to the status log; empty once the port is open again.
    QString portCause_;
    // Between DisableCommands and RestoreCommands: the states the buttons get back.
    bool saved_ = false;
    bool savedSet_ = false;
    std::array<bool, 9> savedDown_{};
};

}  // namespace qv
