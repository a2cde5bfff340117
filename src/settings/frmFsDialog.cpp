// The factory-setting dialog: its rows, the checks of each edit and the read-back that flags
// only what the user changed.
#include "frmFsDialog.h"

#include "AppError.h"
#include "GridCells.h"
#include "Runtime.h"
#include "Twips.h"
#include "UserAction.h"
#include "UserDialogs.h"
#include "clsToken.h"
#include "modGasCommon.h"
#include "modGlobals.h"
#include "modKeys.h"
#include "modMessage.h"

#include <QApplication>
#include <QScrollBar>
#include <QShowEvent>
#include <algorithm>
#include <array>
#include <cmath>
#include <type_traits>
#include <utility>

namespace qv {

using ui::FlexGrid;

namespace {

constexpr int kRows = 22;
constexpr int kSerialRow = 1;
constexpr int kO2Row = 4;
constexpr int kIntervalRow = 6;
constexpr int kSerialLength = 12;
// The window's design size and the margins it keeps at any size (twips).
constexpr double kDesignWidth = 4020;
constexpr double kDesignHeight = 5100;
constexpr double kRightMargin = 48;
// Below the grid, and from the buttons' top to the bottom edge.
constexpr double kBelowGrid = 648;
constexpr double kButtonsTop = 540;
constexpr double kButtonWidth = 1572;
constexpr double kButtonHeight = 492;

// One setting row: its caption, kind and list, the range of its whole number (text rows and
// the interval), and how it is read from and written to the settings object.
struct SettingRow {
    const char* Caption;
    int Kind;
    const char* List;
    int Low, High;
    int (*Get)(const clsInstrument&);
    void (*Set)(clsInstrument&, int);
};

// Accessors of a member through its getter and its flag-raising setter.
#define QV_MEMBER(Name)                                                                   \
    [](const clsInstrument& i) -> int { return i.Name(); }, [](clsInstrument& i, int v) { \
        i.Set##Name(static_cast<std::decay_t<decltype(i.Name())>>(v));                    \
    }

// The tail-zero setter raises no change flag (the link's read-back must leave it alone), so
// an edit raises it here: without it the change would never reach the instrument.
template <int Channel>
int GetZero(const clsInstrument& i) {
    return i.Zero(Channel);
}
template <int Channel>
void SetZero(clsInstrument& i, int v) {
    i.SetZero(Channel, static_cast<int16_t>(v));
    i.SetChange_Zero(Channel, true);
}

constexpr int Text = frmFsDialog::RowText, Check = frmFsDialog::RowCheck,
              List = frmFsDialog::RowList;
constexpr const char* kOffOn = "Off|On";
// clang-format off
const std::array<SettingRow, kRows> kSettingRows{{
    {"", Text, "", 0, 0, nullptr, nullptr},
    {"Dummy Serial(12Chrs.)",       Text,  "",                        0,  0,   nullptr, nullptr},
    {"HC Pattern",                  List,  "Auto|LEL|vol",            0,  0,   QV_MEMBER(HcMode)},
    {"Alarm Pattern",               List,  "Return|Hold",             0,  0,   QV_MEMBER(AlarmMode)},
    {"OXY Pattern",                 List,  "H-L|L-LL",                0,  0,   QV_MEMBER(AlarmO2)},
    {"Cal. Limit(1-255day)",        Text,  "",                        1,  255, QV_MEMBER(CalLimit)},
    {"Interval cycle",              List,  "10|20|30|60|180|300|600", 10, 600, QV_MEMBER(Intervals)},
    {"Lunch Break",                 List,  kOffOn,                    0,  0,   QV_MEMBER(LunchBreak)},
    {"Alarm Silence",               List,  kOffOn,                    0,  0,   QV_MEMBER(AlarmSilence)},
    {"Confirmation Beep",           List,  kOffOn,                    0,  0,   QV_MEMBER(Confermation)},
    {"Logger Over Write",           List,  kOffOn,                    0,  0,   QV_MEMBER(LogOverWrite)},
    {"LCD Backlight Time(0-60sec)", Text,  "",                        0,  60,  QV_MEMBER(LcdBackLight)},
    {"Flow Adjust(0-255)",          Text,  "",                        0,  255, QV_MEMBER(FlowAdjust)},
    {"LCD Contrast(0-15)",          Text,  "",                        0,  15,  QV_MEMBER(LcdContrast)},
    {"ID Display",                  Check, "",                        0,  0,   QV_MEMBER(DispID)},
    {"Cal.Limit Display",           Check, "",                        0,  0,   QV_MEMBER(DispCalLimit)},
    {"Cal.Limit Check",             List,  "Used|Dont Used|None",     0,  0,   QV_MEMBER(CalCheck)},
    {"Tail Zero(Gas1)",             List,  kOffOn,                    0,  0,   GetZero<0>, SetZero<0>},
    {"Tail Zero(Gas2)",             List,  kOffOn,                    0,  0,   GetZero<1>, SetZero<1>},
    {"Tail Zero(Gas3)",             List,  kOffOn,                    0,  0,   GetZero<2>, SetZero<2>},
    {"Tail Zero(Gas4)",             List,  kOffOn,                    0,  0,   GetZero<3>, SetZero<3>},
    {"Tail Zero(Gas5)",             List,  kOffOn,                    0,  0,   GetZero<4>, SetZero<4>},
}};
// clang-format on
#undef QV_MEMBER

// A plain decimal rounded to a whole number (halves to even) within [low, high]. The range is
// checked on the decimal first, so a huge entry is refused instead of overflowing.
std::optional<int16_t> WholeInRange(const QString& text, int low, int high) {
    if (!rt::IsNumeric(text)) return std::nullopt;
    const double value = rt::ToDouble(text);
    if (!(value >= low - 0.5 && value <= high + 0.5)) return std::nullopt;
    const int16_t whole = rt::CInt(value);
    if (whole < low || whole > high) return std::nullopt;
    return whole;
}

}  // namespace

frmFsDialog::frmFsDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(GetMessage(9018));
    vfgDatas = new FlexGrid(this);
    vfgDatas->SetFixedCols(1);
    cmdOK = new QPushButton(GetMessage(9012), this);
    cmdCancel = new QPushButton(GetMessage(9013), this);
    // The design size; the fill makes it wider when the captions need it.
    resize(ui::ToPixelsX(kDesignWidth), ui::ToPixelsY(kDesignHeight));
    LayoutDialog();
    // Return in the grid's editor commits the edit; it must not close the dialog.
    cmdOK->setAutoDefault(false);
    cmdCancel->setAutoDefault(false);
    connect(cmdOK, &QPushButton::clicked, this, ui::AsUserAction([this] { cmdOK_Click(); }));
    connect(cmdCancel, &QPushButton::clicked, this,
            ui::AsUserAction([this] { cmdCancel_Click(); }));
    vfgDatas->BeforeEdit =
        ui::AsEditAction([this](int r, int c, bool& cancel) { vfgDatas_BeforeEdit(r, c, cancel); });
    vfgDatas->KeyPressEdit =
        ui::AsUserAction([this](int r, int c, int& key) { vfgDatas_KeyPressEdit(r, c, key); });
    vfgDatas->ChangeEdit = ui::AsUserAction([this](int r, int c) { vfgDatas_ChangeEdit(r, c); });
    // A check that failed half-way must not leave every later check skipped.
    vfgDatas->ValidateEdit = ui::AsEditAction(
        [this](int r, int c, bool& cancel) { vfgDatas_ValidateEdit(r, c, cancel); },
        [this] { InValidate = false; });
    Form_Load();
}

int frmFsDialog::ShowModal() {
    Form_Load();
    // Filled before the showing: a scripted dialogs service never shows the window.
    if (!Activate()) return QDialog::Rejected;
    return Dialogs().ShowModal(*this);
}

bool frmFsDialog::Activate() {
    try {
        Form_Activate();
        return true;
    } catch (const AppError& e) {
        Dialogs().MsgBox(e.text(), vbCritical);
        return false;
    }
}

void frmFsDialog::Form_Load() {
    Activated = false;
}

void frmFsDialog::Form_Activate() {
    if (Activated || !Instrument_) return;
    Activated = true;
    if (!WorkInstrument) WorkInstrument = std::make_unique<clsInstrument>();
    CopyInstrument(*WorkInstrument, *Instrument_, false);
    WorkInstrument->ClearChangeFlags();
    // These two survive ClearChangeFlags; the copy above raised or inherited them, and left
    // set they would copy back settings that nobody changed.
    WorkInstrument->SetChange_AlarmO2(false);
    for (int gas = 0; gas < 5; ++gas)
        WorkInstrument->SetChange_Zero(gas, false);
    FillSettingGrid();
}

void frmFsDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!Activate()) reject();
}

void frmFsDialog::done(int result) {
    QDialog::done(result);
    Form_Load();
}

void frmFsDialog::FillSettingGrid() {
    const clsInstrument& work = *WorkInstrument;
    vfgDatas->hide();
    vfgDatas->Clear();
    vfgDatas->SetCols(3);
    vfgDatas->SetRows(kRows);
    for (int row = 1; row < kRows; ++row) {
        const SettingRow& s = kSettingRows[static_cast<size_t>(row)];
        QString list = QString::fromLatin1(s.List);
        QVariant value;
        if (row == kSerialRow)
            value = work.DummySerial();
        else if (row == kIntervalRow)
            value = IntervalListIndex(work.Intervals(), &list);
        else if (s.Kind == RowCheck)
            value = s.Get(work) != 0;
        else
            value = s.Get(work);
        SetGridRow(row, s.Caption, value, s.Kind, list);
    }
    FitToTexts();
    vfgDatas->SetEditable(true);
    vfgDatas->SetRow(1);
    vfgDatas->SetCol(1);
    vfgDatas->Refresh();
    vfgDatas->show();
}

int frmFsDialog::GridChrome() const {
    return vfgDatas->verticalScrollBar()->sizeHint().width() + 2 * vfgDatas->frameWidth();
}

void frmFsDialog::FitToTexts() {
    // Every caption, and every value a row can show, fits: the window is made at least wide
    // enough for both columns, the captions' column taking at least its 45 %.
    captionWidth_ = ui::ToPixelsX(vfgDatas->ColTextWidth(0));
    int values = ui::ToPixelsX(vfgDatas->ColTextWidth(1));
    for (int row = 1; row < vfgDatas->Rows(); ++row) {
        const QString list = vfgDatas->TextMatrix(row, 2);
        if (list.isEmpty()) continue;
        for (const QString& item : list.split(u'|'))
            values = std::max(values, vfgDatas->CellTextWidth(item));
    }
    const int chrome = GridChrome();
    const int grid = std::max(captionWidth_ + values + chrome,
                              static_cast<int>(std::ceil((values + chrome) / 0.55)));
    const QSize least(std::max(ui::ToPixelsX(kDesignWidth), grid + ui::ToPixelsX(kRightMargin)),
                      ui::ToPixelsY(kDesignHeight));
    setMinimumSize(least);
    if (width() < least.width() || height() < least.height()) resize(least.expandedTo(size()));
    LayoutDialog();
}

void frmFsDialog::LayoutDialog() {
    const double w = ui::Width(this);
    const double h = ui::Height(this);
    ui::Move(vfgDatas, 0, 0, w - kRightMargin, h - kBelowGrid);
    const double top = h - kButtonsTop;
    ui::Move(cmdOK, 0, top, kButtonWidth, kButtonHeight);
    ui::Move(cmdCancel, w - kRightMargin - kButtonWidth, top, kButtonWidth, kButtonHeight);
    vfgDatas->SetColWidths({0.45});
    if (vfgDatas->columnWidth(0) < captionWidth_) vfgDatas->setColumnWidth(0, captionWidth_);
    vfgDatas->SetColWidth(2, 0);
    // The value column takes what the caption column and the scroll bar leave.
    vfgDatas->setColumnWidth(
        1, std::max(0, vfgDatas->width() - vfgDatas->columnWidth(0) - GridChrome()));
}

void frmFsDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    LayoutDialog();
}

void frmFsDialog::SetGridRow(int Row, const QString& Caption, const QVariant& Value, int Kind,
                             const QString& List) {
    clsToken token;
    token.ClearComments();
    token.ClearDelimiters();
    token.ClearStrings();
    token.AddDelimiters(QStringLiteral("|"));
    if (Row <= 0 || Row >= vfgDatas->Rows()) return;
    vfgDatas->SetRow(Row);
    vfgDatas->SetTextMatrix(Row, 0, Caption);
    vfgDatas->SetComboList(QString());
    switch (Kind) {
        case RowText:
            vfgDatas->SetTextMatrix(Row, 1, Value.toString());
            break;
        case RowCheck:
            vfgDatas->SetCol(1);
            vfgDatas->SetCellChecked(Value.toBool() ? FlexGrid::Checked : FlexGrid::Unchecked);
            break;
        case RowList:
            token.SetSource(List);
            vfgDatas->SetTextMatrix(Row, 2, List);
            vfgDatas->SetTextMatrix(Row, 1, token.Tokens(Value.toInt()));
            break;
        default:
            break;
    }
}

int16_t frmFsDialog::IntervalListIndex(int16_t Seconds, QString* List) {
    // The instrument's own interval is shown, and offered, as it is, also off the list: shown
    // as another it would be sent as that one by an OK that did not touch it.
    QStringList items = List->split(u'|');
    const QString text = QString::number(Seconds);
    qsizetype at = items.indexOf(text);
    if (at < 0) {
        at = 0;
        while (at < items.size() && items[at].toInt() < Seconds)
            ++at;
        items.insert(at, text);
        *List = items.join(u'|');
    }
    return static_cast<int16_t>(at);
}

void frmFsDialog::vfgDatas_BeforeEdit(int Row, int Col, bool& Cancel) {
    // Only the value column is edited; the list column is hidden.
    if (Col != 1) {
        Cancel = true;
        return;
    }
    SerialCut = false;
    vfgDatas->SetComboList(vfgDatas->TextMatrix(Row, 2));
}

void frmFsDialog::vfgDatas_KeyPressEdit(int Row, int Col, int& KeyAscii) {
    if (Row != kSerialRow || Col != 1) return;
    // Backspace always passes, so that a typing error can be taken back.
    if (KeyAscii == 8) return;
    // A selection goes when the character replaces it: the text without it must have room.
    const qsizetype kept = vfgDatas->EditText().size() - vfgDatas->EditSelLength();
    if (IdKeyTaken(KeyAscii, kept, kSerialLength)) return;
    KeyAscii = 0;
    QApplication::beep();
}

void frmFsDialog::vfgDatas_ChangeEdit(int Row, int Col) {
    if (Row != kSerialRow || Col != 1) return;
    // Pasted or committed text skips the key filter. Judged change by change, an edit at two
    // places never counts the read characters between them as brought in.
    const QString text = vfgDatas->EditText();
    const IdEdit kept = KeepIdEdit(vfgDatas->EditTextBefore(), text, kSerialLength);
    if (kept.text == text) return;
    vfgDatas->SetEditText(kept.text);
    vfgDatas->SetEditSelStart(static_cast<int>(kept.cursor));
    SerialCut = true;
    QApplication::beep();
}

void frmFsDialog::vfgDatas_ValidateEdit(int Row, int Col, bool& Cancel) {
    if (InValidate) return;
    const QString text = vfgDatas->EditText();
    InValidate = true;
    if (Col == 1 && Row == kSerialRow) {
        // The serial's changes were cut as they came; after a cut the editor stays open once to
        // show what is left, even when nothing is.
        Cancel = std::exchange(SerialCut, false);
    } else if (Col == 1 && !rt::Trim(text).isEmpty() && Row > 0 && Row < kRows) {
        const SettingRow& s = kSettingRows[static_cast<size_t>(Row)];
        if (s.Kind == RowText) Cancel = !WholeInRange(text, s.Low, s.High);
    }
    InValidate = false;
}

int16_t frmFsDialog::GetRowValue(int Row) const {
    if (Row <= 0 || Row >= kRows || Row == kIntervalRow) return -1;
    const SettingRow& s = kSettingRows[static_cast<size_t>(Row)];
    if (s.Kind != RowList) return -1;
    // The item's position in the row's list; any other text reads as the last item.
    const QString text = rt::Trim(vfgDatas->TextMatrix(Row, 1)).toUpper();
    const QStringList items = QString::fromLatin1(s.List).toUpper().split(u'|');
    const qsizetype at = items.indexOf(text);
    return static_cast<int16_t>(at >= 0 ? at : items.size() - 1);
}

std::optional<int16_t> frmFsDialog::CellNumber(int Row) const {
    const SettingRow& s = kSettingRows[static_cast<size_t>(Row)];
    return WholeInRange(rt::Trim(vfgDatas->TextMatrix(Row, 1)), s.Low, s.High);
}

void frmFsDialog::ReadSettingGrid() {
    clsInstrument& work = *WorkInstrument;
    // Stored through TrimOrStar, so compared in that form: retyping the same serial with
    // blanks around it changes nothing.
    const QString serial = vfgDatas->TextMatrix(kSerialRow, 1);
    if (TrimOrStar(serial) != work.DummySerial()) work.SetDummySerial(serial);

    for (int row = kSerialRow + 1; row < kRows; ++row) {
        const SettingRow& s = kSettingRows[static_cast<size_t>(row)];
        std::optional<int> value;
        if (s.Kind == RowCheck) {
            vfgDatas->SetRow(row);
            vfgDatas->SetCol(1);
            value = vfgDatas->CellChecked() == FlexGrid::Checked ? 1 : 0;
        } else if (s.Kind == RowText || row == kIntervalRow) {
            value = CellNumber(row);
        } else if (!rt::Trim(vfgDatas->TextMatrix(row, 1)).isEmpty()) {
            // An empty list cell shows a stored value outside the list: the user did not
            // touch it, so it stays.
            value = GetRowValue(row);
        }
        if (!value || *value == s.Get(work)) continue;
        if (row == kO2Row && work.RomNumber() <= AtCommandVersion) {
            Dialogs().MsgBox(GetMessage(8001), vbOKOnly, GetMessage(8002));
            continue;
        }
        s.Set(work, *value);
    }
}

void frmFsDialog::cmdOK_Click() {
    if (!Instrument_ || !WorkInstrument) {
        reject();
        return;
    }
    // The grid is read as it shows: an entry still being typed is taken, or the dialog stays.
    if (!CommitGridEntries(*this, cmdOK->text())) return;
    // The read-back touches only the working copy: a failure leaves the caller's object as
    // it was and the dialog open.
    try {
        ReadSettingGrid();
    } catch (const AppError& e) {
        Dialogs().MsgBox(e.text(), vbCritical);
        return;
    }
    CopyInstrument(*Instrument_, *WorkInstrument, true);
    accept();
}

void frmFsDialog::cmdCancel_Click() {
    reject();
}

void frmFsDialog::CopyInstrument(clsInstrument& Dest, const clsInstrument& Src, bool ChangedOnly) {
// A setting without a change flag is copied only by the full copy.
#define QV_ALWAYS(Name) \
    if (!ChangedOnly) Dest.Set##Name(Src.Name());
#define QV_FLAGGED(Name, Flag) \
    if (!ChangedOnly || Src.Flag()) Dest.Set##Name(Src.Name());
#define QV_CHANNEL_ALWAYS(Name) \
    if (!ChangedOnly) Dest.Set##Name(gas, Src.Name(gas));
#define QV_CHANNEL_FLAGGED(Name, Flag) \
    if (!ChangedOnly || Src.Flag(gas)) Dest.Set##Name(gas, Src.Name(gas));

    QV_ALWAYS(RomNumber)
    QV_FLAGGED(UserId, Change_UserID)
    QV_FLAGGED(StationID, Change_StationID)
    QV_FLAGGED(SerialNo, Change_SerialNo)
    QV_ALWAYS(SysDate)
    QV_ALWAYS(SysDateOffset)
    QV_FLAGGED(DummySerial, Change_DummySerial)
    QV_FLAGGED(HcMode, Change_HCMode)
    QV_FLAGGED(AlarmMode, Change_AlarmMode)
    QV_FLAGGED(DispID, Change_DispID)
    QV_FLAGGED(DispCalLimit, Change_DispCalLimit)
    QV_FLAGGED(CalLimit, Change_CalLimit)
    QV_FLAGGED(CalCheck, Change_CalCheck)
    QV_FLAGGED(LunchBreak, Change_LunchBreak)
    QV_FLAGGED(AlarmSilence, Change_AlarmSilence)
    QV_FLAGGED(Confermation, Change_Confermation)
    QV_FLAGGED(LogOverWrite, Change_LogOverWrite)
    QV_FLAGGED(LcdBackLight, Change_LcdBackLight)
    QV_FLAGGED(LcdContrast, Change_LcdContrast)
    QV_FLAGGED(FlowAdjust, Change_FlowAdjust)
    QV_FLAGGED(FlowCheck, Change_FlowCheck)
    QV_FLAGGED(Intervals, Change_Interval)
    // An instrument whose program is too old refuses the oxygen alarm pattern.
    if (!ChangedOnly || (Src.Change_AlarmO2() && Dest.RomNumber() > AtCommandVersion))
        Dest.SetAlarmO2(Src.AlarmO2());
    for (int gas = 0; gas < 5; ++gas) {
        QV_CHANNEL_ALWAYS(GasName)
        QV_CHANNEL_ALWAYS(GasDesit)
        QV_CHANNEL_FLAGGED(GasPoint, Change_GasPoint)
        QV_CHANNEL_ALWAYS(GasUnit)
        QV_CHANNEL_ALWAYS(GasFullScale)
        QV_CHANNEL_FLAGGED(GasEnabled, Change_GasEnable)
        QV_CHANNEL_FLAGGED(Warning, Change_Warn)
        QV_CHANNEL_FLAGGED(Alarm, Change_Alarm)
        QV_CHANNEL_FLAGGED(Stel, Change_Stel)
        QV_CHANNEL_FLAGGED(Twa, Change_Twa)
        QV_CHANNEL_ALWAYS(AutoCalib)
        QV_CHANNEL_FLAGGED(Zero, Change_Zero)
        // The tail-zero setter raises no flag of its own.
        if (ChangedOnly && Src.Change_Zero(gas)) Dest.SetChange_Zero(gas, true);
    }
#undef QV_ALWAYS
#undef QV_FLAGGED
#undef QV_CHANNEL_ALWAYS
#undef QV_CHANNEL_FLAGGED
}

}  // namespace qv
