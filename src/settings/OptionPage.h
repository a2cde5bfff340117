// The option page: font and graph colours, the connected instrument's identity, clocks and
// logging interval, its settings grid, and the calibration panel with live readings, zero and
// span calibration.
#pragma once

#include "FlexGrid.h"
#include "PageFrame.h"
#include "SettingsHost.h"

#include <QComboBox>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <array>
#include <memory>

namespace qv {

class clsInstrument;

class OptionPage : public ui::PageFrame {
  public:
    explicit OptionPage(QWidget* parent = nullptr);
    ~OptionPage() override;
    void SetCaptions() override;
    void LayoutPage() override;
    // The settings grid.
    QWidget* MainControl() const override { return vfgOption; }

    // Connects the page to its window; called once, before any procedure below runs.
    void Bind(const SettingsHost& host);

    // ---- Settings grid ----
    // Fills the identity fields, the interval, the settings grid and the calibration grid from
    // the connected instrument (the defaults' gas names while its settings are not on hand).
    void ShowOptionGrid();
    void vfgOption_BeforeEdit(int Row, int Col, bool& Cancel);
    void vfgOption_ValidateEdit(int Row, int Col, bool& Cancel);
    void vfgOption_AfterEdit(int Row, int Col);

    // ---- Identity fields, interval and clocks ----
    // Key filter of the three identity fields (0 serial number, 1 station, 2 user): a typed
    // character goes through only when it is an identity character and the field has room (a
    // selection it replaces counts as room); Backspace always. KeyAscii 0 drops it.
    void txtOption_KeyPress(int Index, int& KeyAscii);
    // The field was left: its text goes into the instrument's settings.
    void txtOption_Validate(int Index);
    // A field's text was changed by the user (typed, pasted, put in by an input method): what the
    // change brought in is cut to the identity characters and the field's length, with a beep;
    // the characters the field held before stay as they were.
    void txtOption_Change(int Index);
    // Puts every identity field that differs from the instrument's settings into them, so an
    // upload sends what the fields show.
    void CommitIdentityFields();
    // An interval chosen in the list by the user.
    void cmbInterval_Click();
    // The window's 100 ms tick: the computer's and the instrument's clocks, while the page is
    // shown. The instrument's clock stays empty until it has been read with the settings shown.
    void ShowClocks();

    // ---- Commands ----
    // Takes an entry still open in the page's grids as Enter takes it, so that a command (named
    // for the message) acts on the values shown. False when the entry is refused: its editor
    // stays open, the user is told, and the command must not run.
    bool CommitEntries(const QString& command);
    // 0 uploads the edited settings, 1 sets the instrument's clock to the computer's, 2 opens
    // the calibration panel with live readings and pump.
    void cmdOption_Click(int Index);
    // 0 font, 1 to 4 the trend colour of gases 1 to 4, 5 EEP-ROM dump, 6 factory settings.
    void cmdOptionDisp_Click(int Index);
    // The font button's caption: the font's name and its size in parentheses ("Arial(10.5)").
    static QString FontCaption(const QFont& font);

    // ---- Calibration panel ----
    void ShowCalibrationGrid();
    // The live readings into the calibration grid.
    void ShowCalReadings();
    // Every unset factory span concentration takes the instrument's, else the default's.
    void LoadAutoCalValues();
    // Shows the calibration panel in place of the settings frame and its commands (the page
    // buttons disabled), or the settings again.
    void ShowCalibrationPanel(bool open);
    // 0 zero calibration of every channel, 1 span calibration of the ticked channels, 2 exit.
    void cmdCal_Click(int Index);
    void vfgCal_BeforeEdit(int Row, int Col, bool& Cancel);
    void vfgCal_ValidateEdit(int Row, int Col, bool& Cancel);
    void vfgCal_AfterEdit(int Row, int Col);
    // The window closes: an open calibration panel is left as its Exit Calibration button
    // leaves it (readings and pump off), so that the instrument's pump does not run on. Nothing
    // while another operation holds the link.
    void LeaveCalibration();

    // 0 font and colours, 1 instrument status, 2 calibration panel.
    std::array<QGroupBox*, 3> fraOption{};
    // 0 font, 1 to 4 graph colours of gases 1 to 4, 5 EEP-ROM dump, 6 factory setting.
    std::array<QPushButton*, 7> cmdOptionDisp{};
    // 0 to 4 and 7 names; 5 PC clock, 6 instrument clock.
    std::array<QLabel*, 8> lblOption{};
    std::array<QLineEdit*, 3> txtOption{};
    QComboBox* cmbInterval = nullptr;
    // 0 update, 1 date/time set, 2 calibration.
    std::array<QPushButton*, 3> cmdOption{};
    ui::FlexGrid* vfgCal = nullptr;
    // 0 zero, 1 span, 2 exit calibration.
    std::array<QPushButton*, 3> cmdCal{};
    ui::FlexGrid* vfgOption = nullptr;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // What a column of the settings grid edits.
    enum class Column { None, Enable, Warning, Alarm, Stel, Twa, AutoCal, Factory };
    // The columns of the instrument's values, in their order.
    static constexpr std::array<Column, 5> kValueColumns{
        Column::Warning, Column::Alarm, Column::Stel, Column::Twa, Column::AutoCal};
    Column ColumnOf(int Col) const;
    // The colour of the cells that may not be edited.
    int32_t LockedColor() const;
    void FillOptionRows(bool present);
    // Puts the instrument's interval into the list; one that the list lacks is shown as it is.
    void ShowInterval(int16_t seconds);
    // Stores an entry of a level, auto-calibration or factory cell; false when refused.
    bool StoreOptionEntry(Column column, int gas, const QString& text);
    // Has the factory span values kept in the settings file when the grid's edit has ended.
    void KeepFactoryValues(ui::FlexGrid& grid);
    // The text a settings cell shows for the value stored.
    QString StoredText(Column column, int gas) const;
    // The refusal of a command while another operation holds the link; true when refused.
    bool RefusedWhileBusy(const QString& title) const;
    void RunUpload();
    void RunClockSet();
    // The progress dialog, the start lines, the transfer and its report (complete or failed)
    // of an upload or clock setting; the dialog is gone at the end whatever happened. A failure
    // adds the lines of `left`: what the transfer left on the instrument.
    void Transfer(const std::function<bool()>& send, const std::function<QStringList()>& left = {});
    void OpenCalibration();
    void ChooseProgramFont();
    void ChooseGraphColor(int Index);
    void RunRomDump();
    void ShowFactorySetting();
    void RunZero();
    void RunSpan();
    void ExitCalibration();
    // A span concentration of every selected channel is set, within the full scale and on the
    // right side of the warning level; else the user is told which channels lack one.
    bool SpanConcentrationsValid();
    // The report of a calibration: a line per channel judged, passed or failed.
    QString CalibrationReport(bool span) const;

    std::unique_ptr<SettingsHost> host_;
    // Each identity field's text, and the one it had before its last change: what a change of
    // the user's is judged against.
    std::array<QString, 3> fieldText_{};
    std::array<QString, 3> fieldBefore_{};
};

}  // namespace qv
