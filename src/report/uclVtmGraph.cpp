// The trend graph control: its tables and members, layout and scales, series, event marks,
// cursor read-out, zoom window and input.
#include "uclVtmGraph.h"

#include "AppError.h"
#include "Dates.h"
#include "KeyCodes.h"
#include "Runtime.h"
#include "Twips.h"
#include "UserDialogs.h"

#include <QCursor>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QtDebug>
#include <algorithm>
#include <cmath>

namespace qv {

using ui::TwipsPerPixelX;
using ui::TwipsPerPixelY;

namespace {

// Rounds to the nearest whole number, halves to the even neighbour.
double RoundEven(double value) {
    return std::nearbyint(value);
}

// The same as an index or count, held within int so that no conversion overflows.
int RoundIndex(double value) {
    const double r = RoundEven(value);
    if (!(r > -1e9)) return -1000000000;
    if (!(r < 1e9)) return 1000000000;
    return static_cast<int>(r);
}

[[noreturn]] void Subscript() {
    throw AppError(ErrSubscript, QStringLiteral("Subscript out of range"));
}

// A value in a series' number pattern; an empty or foreign pattern gives the general text.
QString FormatValue(double value, const QString& pattern) {
    if (!pattern.isEmpty()) {
        try {
            return rt::Format(value, pattern);
        } catch (const AppError&) {
        }
    }
    return rt::SingleText(static_cast<float>(value));
}

// A number of days from the zero date in a date pattern.
QString FormatDays(double days, const QString& pattern) {
    // Beyond the calendar the text only serves as a width: take the zero date's.
    if (!(std::fabs(days) < 2.9e6)) days = 0;
    return rt::FormatDate(rt::ZeroDate().addMSecs(std::llround(days * 86400000.0)), pattern);
}

const QString kDefaultFormatX = QStringLiteral("hh:nn:ss");
const QString kDefaultFormatY = QStringLiteral("##0.0");

// The read-out cursor: a vertical line, solid while the graph has the focus, dotted otherwise.
class CursorLine : public QWidget {
  public:
    explicit CursorLine(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    void SetLook(int32_t color, bool solid) {
        color_ = color;
        solid_ = solid;
        update();
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setPen(QPen(ui::ColorFromLong(color_), 1, solid_ ? Qt::SolidLine : Qt::DotLine));
        painter.drawLine(0, 0, 0, height());
    }

  private:
    int32_t color_ = 0x0000FF;
    bool solid_ = true;
};

}  // namespace

// ---- Creation and the tables ----------------------------------------------------------------

uclVtmGraph::uclVtmGraph(QWidget* parent) : QFrame(parent), series_(2) {
    picGraph = new ui::CanvasWidget(this);
    picGraph->setFocusPolicy(Qt::StrongFocus);
    picGraph->setMouseTracking(true);
    picGraph->installEventFilter(this);
    picGraph->Target().SetFont(font());
    picGraph->SetBackColor(0xFFFFFF);
    hslWidth = new QScrollBar(Qt::Horizontal, this);
    hslWidth->resize(hslWidth->width(), hslWidth->sizeHint().height());
    hslWidth->hide();
    connect(hslWidth, &QScrollBar::valueChanged, this,
            [this](int value) { Guarded([&] { hslWidth_Change(value); }); });
    linCursor = new CursorLine(picGraph);
    lblMsg = new QLabel(QStringLiteral("ALARM"), picGraph);
    lblMsg->setAttribute(Qt::WA_TransparentForMouseEvents);
    lblMsg->setAutoFillBackground(true);
    lblMsg->setFrameShape(QFrame::Box);
    SetCursorColor(cursorColor_);
    SetBorderStyle(borderStyle_);
}

uclVtmGraph::~uclVtmGraph() = default;

// The graph's own boundary, apart from the user actions' one: its steps run while it paints,
// resizes or scrolls, where a message box would itself call for another paint; a failure is
// logged and the graph stays as it was drawn last.
template <class F>
void uclVtmGraph::Guarded(F&& step) {
    if (const auto failure = FailureOf(step)) qWarning("Trend graph: %s", qPrintable(*failure));
}

const uclVtmGraph::Series& uclVtmGraph::At(int s) const {
    if (s < 0 || s >= static_cast<int>(series_.size())) Subscript();
    return series_[static_cast<size_t>(s)];
}

uclVtmGraph::Series& uclVtmGraph::At(int s) {
    if (s < 0 || s >= static_cast<int>(series_.size())) Subscript();
    return series_[static_cast<size_t>(s)];
}

qint64 uclVtmGraph::SecondsFromFirst(const QDateTime& date) const {
    const QDateTime first = xSamples_.empty() ? rt::ZeroDate() : xSamples_[0].Date;
    return static_cast<qint64>(RoundEven(first.msecsTo(date) / 1000.0));
}

int uclVtmGraph::Samples() const {
    return std::clamp(sampleCount_, 0, TableSize());
}

void uclVtmGraph::GrowSamples(int count) {
    if (count <= TableSize()) return;
    const auto n = static_cast<size_t>(count);
    xSamples_.resize(n, XSample{rt::ZeroDate(), 0});
    xFlags_.resize(n);
    for (Series& series : series_)
        series.Values.resize(n, 0.0f);
}

void uclVtmGraph::GrowEvents(Series& series, int count) {
    if (count <= static_cast<int>(series.Events.size())) return;
    series.Events.resize(static_cast<size_t>(count));
    series.Flags.resize(static_cast<size_t>(count));
}

int uclVtmGraph::AddSample(const QString& Names, int32_t Colors, const QString& Formats) {
    // Slot 0 is taken by the first series whatever its name: a blank name must not let the next
    // series overwrite it.
    int slot = 0;
    if (firstSeriesTaken_) {
        if (SeriesCount() >= kMaxSeries) throw AppError(ErrOverflow, QStringLiteral("Overflow"));
        slot = SeriesCount();
        series_.emplace_back().Values.resize(xSamples_.size(), 0.0f);
    }
    firstSeriesTaken_ = true;
    Series& series = series_[static_cast<size_t>(slot)];
    series.Name = Names;
    series.Color = Colors;
    series.Visible = true;
    if (!Formats.isEmpty()) series.Format = Formats;
    series.EventCount = 0;
    return slot;
}

void uclVtmGraph::Clear() {
    Series empty;
    empty.Values.resize(xSamples_.size(), 0.0f);
    series_.assign(2, empty);
    firstSeriesTaken_ = false;
    sampleCount_ = 0;
    cursorIndex_ = 0;
    cursorOffset_ = 0;
    std::fill(xFlags_.begin(), xFlags_.end(), QString());
}

QString uclVtmGraph::ValueName(int Index) const {
    return IsSeries(Index) ? At(Index).Name : QString();
}

void uclVtmGraph::SetValueName(int Index, const QString& name) {
    if (IsSeries(Index)) At(Index).Name = name;
}

int32_t uclVtmGraph::ValueColor(int Index) const {
    return IsSeries(Index) ? At(Index).Color : 0;
}

void uclVtmGraph::SetValueColor(int Index, int32_t color) {
    if (IsSeries(Index)) At(Index).Color = color;
}

bool uclVtmGraph::SampleVisible(int SampleNum) const {
    return At(SampleNum).Visible;
}

void uclVtmGraph::SetSampleVisible(int SampleNum, bool visible) {
    if (IsSeries(SampleNum)) At(SampleNum).Visible = visible;
}

QString uclVtmGraph::FormatY(int SampleNum) const {
    return At(SampleNum).Format;
}

void uclVtmGraph::SetFormatY(const QString& format, int SampleNum) {
    At(SampleNum).Format = format;
}

float uclVtmGraph::MinY(int SampleNum) const {
    return At(SampleNum).MinY;
}

void uclVtmGraph::SetMinY(float value, int SampleNum) {
    if (IsSeries(SampleNum)) At(SampleNum).MinY = value;
}

float uclVtmGraph::MaxY(int SampleNum) const {
    return At(SampleNum).MaxY;
}

void uclVtmGraph::SetMaxY(float value, int SampleNum) {
    if (IsSeries(SampleNum)) At(SampleNum).MaxY = value;
}

float uclVtmGraph::PosYStp(int SampleNum) const {
    return At(SampleNum).PosYStp;
}

float uclVtmGraph::ValueY(int Index, int Number) const {
    const Series& series = At(Index);
    if (Number < 0) Subscript();
    return Number < TableSize() ? series.Values[static_cast<size_t>(Number)] : 0.0f;
}

void uclVtmGraph::SetValueY(int Index, int Number, float value) {
    if (!IsSeries(Index) || Number < 0) return;
    GrowSamples(Number + 1);
    Series& series = At(Index);
    series.Values[static_cast<size_t>(Number)] = value;
    series.LastIndex = std::max(series.LastIndex, Number);
}

QDateTime uclVtmGraph::ValueX(int Index) const {
    if (Index < 0) Subscript();
    return Index < TableSize() ? xSamples_[static_cast<size_t>(Index)].Date : rt::ZeroDate();
}

void uclVtmGraph::SetValueX(int Index, const QDateTime& date) {
    if (Index < 0) return;
    GrowSamples(Index + 1);
    XSample& sample = xSamples_[static_cast<size_t>(Index)];
    sample.Date = date;
    sample.Seconds = Index == 0 ? 0 : SecondsFromFirst(date);
}

void uclVtmGraph::SetDataX(int Number, const QDateTime& date) {
    if (Number < 0) return;
    SetValueX(Number, date);
    sampleCount_ = std::max(sampleCount_, Number);
}

void uclVtmGraph::SetSampleCount(int count) {
    sampleCount_ = std::clamp(count, 0, TableSize());
}

QDateTime uclVtmGraph::EventX(int GasNo, int Number) const {
    const Series& series = At(GasNo);
    if (Number < 0) Subscript();
    return static_cast<size_t>(Number) < series.Events.size()
               ? series.Events[static_cast<size_t>(Number)].Date
               : QDateTime();
}

void uclVtmGraph::SetEventX(int GasNo, int Number, const QDateTime& date) {
    Series& series = At(GasNo);
    if (Number < 0) return;
    GrowEvents(series, Number + 1);
    EventMark& mark = series.Events[static_cast<size_t>(Number)];
    mark.Date = date;
    // Without a first sample date there is nothing to count seconds from.
    const double firstDays = rt::ZeroDate().msecsTo(ValueX(0)) / 86400000.0;
    if (RoundEven(firstDays) != 0) {
        mark.Seconds = SecondsFromFirst(date);
        series.EventCount = std::max(series.EventCount, Number);
    } else {
        mark.Seconds = 0;
    }
}

QString uclVtmGraph::EventFlag(int SampleNum, int Index) const {
    if (SampleNum < SeriesCount()) {
        const Series& series = At(SampleNum);
        if (Index < 0) Subscript();
        return static_cast<size_t>(Index) < series.Flags.size()
                   ? series.Flags[static_cast<size_t>(Index)]
                   : QString();
    }
    if (Index < 0) Subscript();
    return Index < TableSize() ? xFlags_[static_cast<size_t>(Index)] : QString();
}

void uclVtmGraph::SetEventFlag(int SampleNum, int Index, const QString& text) {
    if (Index < 0) return;
    if (SampleNum < SeriesCount()) {
        if (SampleNum < 0) return;
        Series& series = At(SampleNum);
        GrowEvents(series, Index + 1);
        series.Flags[static_cast<size_t>(Index)] = text;
    } else {
        GrowSamples(Index + 1);
        xFlags_[static_cast<size_t>(Index)] = text;
    }
}

bool uclVtmGraph::EventVisible(int SampleNum) const {
    return SampleNum < SeriesCount() ? At(SampleNum).EventsVisible : xFlagsVisible_;
}

void uclVtmGraph::SetEventVisible(int SampleNum, bool visible) {
    if (SampleNum >= SeriesCount())
        xFlagsVisible_ = visible;
    else if (SampleNum >= 0)
        At(SampleNum).EventsVisible = visible;
}

int uclVtmGraph::EventCount(int GasNo) const {
    return At(GasNo).EventCount;
}

void uclVtmGraph::SetEventCount(int GasNo, int count) {
    At(GasNo).EventCount = std::max(count, 0);
}

// ---- Appearance and the drawing object ------------------------------------------------------

int32_t uclVtmGraph::BackColor() const {
    return picGraph->Target().BackColor();
}

void uclVtmGraph::SetBackColor(int32_t color) {
    picGraph->SetBackColor(color);
}

void uclVtmGraph::SetCursorColor(int32_t color) {
    cursorColor_ = color;
    SetCursorLook(cursorFocused_);
}

bool uclVtmGraph::CursorVisible() const {
    return !linCursor->isHidden();
}

void uclVtmGraph::SetCursorVisible(bool visible) {
    linCursor->setVisible(visible);
    lblMsg->setVisible(visible);
}

void uclVtmGraph::SetCursorLook(bool focused) {
    cursorFocused_ = focused;
    static_cast<CursorLine*>(linCursor)->SetLook(cursorColor_, focused);
}

void uclVtmGraph::SetAppearance(int value) {
    appearance_ = value;
    SetBorderStyle(borderStyle_);
}

void uclVtmGraph::SetBorderStyle(int value) {
    borderStyle_ = value;
    setFrameStyle(value == 0 ? QFrame::NoFrame
                             : QFrame::Panel | (appearance_ == 0 ? QFrame::Plain : QFrame::Sunken));
    setLineWidth(1);
    if (DrawsOnPicture()) FitPicture();
}

ui::DrawTarget* uclVtmGraph::DrawObj() {
    return &Obj();
}

ui::DrawTarget& uclVtmGraph::Obj() {
    return drawObj_ ? *drawObj_ : picGraph->Target();
}

bool uclVtmGraph::DrawsOnPicture() const {
    return drawObj_ == nullptr || drawObj_ == &picGraph->Target();
}

void uclVtmGraph::Refresh() {
    struct Forced {
        bool& flag;
        explicit Forced(bool& f) : flag(f) { flag = true; }
        ~Forced() { flag = false; }
    } forced(refreshForced_);
    picGraph_Paint();
}

void uclVtmGraph::Cls() {
    picGraph->Target().Cls();
}

QImage uclVtmGraph::Picture() {
    return picGraph->Picture();
}

QAction* uclVtmGraph::PopupMenu(QMenu& Menu, int, std::optional<double> X, std::optional<double> Y,
                                QAction* DefaultMenu) {
    if (DefaultMenu) Menu.setDefaultAction(DefaultMenu);
    QPoint at = picGraph->mapFromGlobal(QCursor::pos());
    if (X) at.setX(ui::ToPixelsX(*X));
    if (Y) at.setY(ui::ToPixelsY(*Y));
    return Dialogs().PopupMenu(Menu, picGraph->mapToGlobal(at));
}

QFont uclVtmGraph::Font() const {
    return picGraph->Target().Font();
}

void uclVtmGraph::SetFont(const QFont& font) {
    setFont(font);
    picGraph->Target().SetFont(font);
}

void uclVtmGraph::changeEvent(QEvent* event) {
    // The picture follows the font the host gives the control.
    if (event->type() == QEvent::FontChange) picGraph->Target().SetFont(font());
    QFrame::changeEvent(event);
}

double uclVtmGraph::CurrentX() {
    return Obj().CurrentX();
}

double uclVtmGraph::CurrentY() {
    return Obj().CurrentY();
}

double uclVtmGraph::TextWidth(const QString& text) {
    return Obj().TextWidth(text);
}

double uclVtmGraph::TextHeight(const QString& text) {
    return Obj().TextHeight(text);
}

double uclVtmGraph::yPos(double Vals, int SampleNum) const {
    return YOf(At(SampleNum), Vals);
}

double uclVtmGraph::xData(double Vals) const {
    return xFactor_ == 0 ? minX_ : (Vals - plotLeft_) / xFactor_ + minX_;
}

double uclVtmGraph::yData(double Vals, int SampleNum) const {
    const Series& series = At(SampleNum);
    return series.YFactor == 0 ? series.MinY
                               : (plotTop_ + plotHeight_ - Vals) / series.YFactor + series.MinY;
}

int uclVtmGraph::LineWidthPixels(float width) {
    return std::clamp(RoundIndex(width), 1, 32767);
}

// ---- Paint, layout and scales ---------------------------------------------------------------

void uclVtmGraph::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    Guarded([this] {
        if (DrawsOnPicture()) FitPicture();
        picGraph_Paint();
    });
}

void uclVtmGraph::picGraph_Paint() {
    if (!autoRedraw_ && !refreshForced_) return;
    if (setDrawWidth_ == 0) setDrawWidth_ = static_cast<float>(ui::Width(picGraph));
    if (setDrawHeight_ == 0) setDrawHeight_ = static_cast<float>(ui::Height(picGraph));
    picGraph->Target().Cls();
    // A graph with nothing to draw shows nothing of the one drawn before, nor its cursor
    // read-out.
    const auto hideCursor = [this] {
        linCursor->resize(0, 0);
        lblMsg->resize(0, 0);
    };
    plotted_ = false;
    if (SeriesCount() < 1 || sampleCount_ < 1) {
        hideCursor();
        return;
    }
    CalcLayout();
    if (!hslWidth->isHidden()) {
        const QRect area = contentsRect();
        hslWidth->setGeometry(area.x(), area.bottom() + 1 - hslWidth->height() - ui::ToPixelsY(60),
                              area.width(), hslWidth->height());
    }
    if (xFactor_ > 0) {
        DrawScale();
        DrawSeries();
        DrawEvents();
        plotted_ = true;
        DrawCursor();
    } else {
        hideCursor();  // one sample, or every sample at one time: no time axis to draw on
    }
}

void uclVtmGraph::FitPicture() {
    const QRect area = contentsRect();
    int height = area.height();
    if (zoom_ > 1) height -= hslWidth->height() + ui::ToPixelsY(60);
    picGraph->setGeometry(area.x(), area.y(), area.width(), std::max(height, 1));
}

void uclVtmGraph::CalcLayout() {
    ui::DrawTarget& o = Obj();
    if (formatX_.isEmpty()) formatX_ = kDefaultFormatX;
    if (DrawsOnPicture()) {
        FitPicture();
    } else {
        if (setDrawWidth_ == 0)
            setDrawWidth_ = static_cast<float>(contentsRect().width() * TwipsPerPixelX());
        if (setDrawHeight_ == 0)
            setDrawHeight_ = static_cast<float>(contentsRect().height() * TwipsPerPixelY());
    }
    const int titles = (titleTop_.isEmpty() ? 0 : 1) + (titleBottom_.isEmpty() ? 0 : 1);

    // One scale column per series, hidden ones included; the first half of the series on the
    // left of the plot, the rest on the right.
    const int count = SeriesCount();
    const double half = RoundEven(count / 2.0);
    double total = 0;
    double left = 0;
    for (int s = 0; s < count; ++s) {
        const double w = o.TextWidth(series_[static_cast<size_t>(s)].Format) + 180;
        total += w;
        if (s < half) left += w;
    }

    const double lineHeight = o.TextHeight(titleBottom_);
    const double bands = o.TextHeight(QStringLiteral("8")) + (titles + 1) * lineHeight + 120;
    const double top = titles > 0 ? lineHeight + 120 : 120;
    if (DrawsOnPicture()) {
        plotLeft_ = static_cast<float>(left);
        plotTop_ = static_cast<float>(top);
        plotWidth_ = static_cast<float>(o.ScaleWidth() - total);
        plotHeight_ = static_cast<float>(o.ScaleHeight() - bands);
    } else {
        plotLeft_ = static_cast<float>(setDrawLeft_ + left);
        plotTop_ = static_cast<float>(setDrawTop_ + top);
        plotWidth_ = static_cast<float>(setDrawWidth_ - total);
        plotHeight_ = static_cast<float>(setDrawHeight_ - bands);
    }
    if (!(plotWidth_ > 0)) plotWidth_ = 1;
    if (!(plotHeight_ > 0)) plotHeight_ = 1;

    if (maxX_ == 0) minX_ = 0;
    if (!(maxX_ > 0) || !(maxX_ > minX_)) {
        double largest = -1e11;
        for (int i = 0; i < Samples(); ++i)
            largest = std::max(largest, static_cast<double>(Seconds(i)));
        maxX_ = static_cast<float>(largest);
    }
    posXStp_ = (maxX_ - minX_) / 10;
    xFactor_ = maxX_ == minX_ ? 0 : plotWidth_ / (maxX_ - minX_);
    CalcYScales();
}

void uclVtmGraph::CalcYScales() {
    const int n = Samples();
    for (int s = 0; s < SeriesCount(); ++s) {
        Series& series = series_[static_cast<size_t>(s)];
        if (series.MaxY == 0) {
            double smallest = 1e11;
            for (int i = 0; i < n; ++i)
                smallest = std::min(smallest, static_cast<double>(series.Values[i]));
            series.MinY = smallest >= 0 ? 0 : static_cast<float>(RoundEven(1.2 * smallest));
        }
        if (!(series.MaxY > 0) || !(series.MinY < series.MaxY)) {
            double largest = -1e11;
            for (int i = 0; i < n; ++i)
                largest = std::max(largest, static_cast<double>(series.Values[i]));
            // A multiple of 10 above the largest value with a fifth to spare.
            series.MaxY = static_cast<float>((std::trunc(RoundEven(1.2 * largest) / 10) + 1) * 10);
        }
        series.PosYStp = (series.MaxY - series.MinY) / 10;
        series.YFactor = series.MaxY == series.MinY ? 0 : plotHeight_ / (series.MaxY - series.MinY);
    }
}

int32_t uclVtmGraph::MixColor(int32_t c1, int32_t c2, double ratio) {
    int32_t mixed = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int a = (c1 >> shift) & 0xFF;
        const int b = (c2 >> shift) & 0xFF;
        const int channel = std::clamp(RoundIndex((a - b) * ratio + b), 0, 255);
        mixed |= channel << shift;
    }
    return mixed;
}

void uclVtmGraph::DrawScale() {
    ui::DrawTarget& o = Obj();
    const int32_t back = o.IsPrinter() ? 0xFFFFFF : o.BackColor();
    const int32_t grid = MixColor(back, scaleColor_, 0.8);
    const double bottom = plotTop_ + plotHeight_;
    const double right = plotLeft_ + plotWidth_;
    o.SetDrawWidth(LineWidthPixels(scaleLineWidth_));
    o.Line(plotLeft_, plotTop_, right, bottom, scaleColor_, ui::LineShape::Box);
    o.SetForeColor(scaleColor_);

    // Titles are centred on the whole surface, not on the graph's rectangle.
    const double titleGap = 1.5 * o.TextHeight(QStringLiteral("8888"));
    if (!titleTop_.isEmpty()) {
        o.SetCurrentX((o.ScaleWidth() - o.TextWidth(titleTop_)) / 2);
        o.SetCurrentY(plotTop_ - titleGap);
        o.Print(titleTop_);
    }
    if (!titleBottom_.isEmpty()) {
        o.SetCurrentX((o.ScaleWidth() - o.TextWidth(titleBottom_)) / 2);
        o.SetCurrentY(bottom + titleGap);
        o.Print(titleBottom_);
    }

    // Time axis: ticks every S samples, a label and a grid line on every M-th tick shown, M
    // being the ticks one label and a quarter of its width span. A plot too narrow to space
    // the ticks gets ticks only.
    const int ticks = RoundIndex((maxX_ - minX_) / (posXStp_ / zoom_));
    const int tickSpace = RoundIndex(xFactor_ * posXStp_);
    const double labelWidth = o.TextWidth(FormatDays(maxX_, formatX_));
    const int labelEvery = tickSpace > 0 ? RoundIndex(labelWidth * 1.25 / tickSpace + 0.5) : 0;
    const int n = Samples();
    int step = ticks > 0 ? RoundIndex(static_cast<double>(n) / ticks) : n;
    if (step <= 0) step = 1;
    int shown = 0;
    for (int i = 0; i < n; i += step) {
        const double seconds = static_cast<double>(Seconds(i));
        if (!(minX_ <= seconds && seconds <= maxX_)) continue;
        const double x = xPos(seconds);
        if (labelEvery <= 0 || shown % labelEvery != 0) {
            o.Line(x, bottom, x, bottom + 40);
        } else {
            o.Line(x, bottom, x, bottom + 70);
            const QString label = rt::FormatDate(xSamples_[static_cast<size_t>(i)].Date, formatX_);
            o.SetCurrentX(x - o.TextWidth(label) / 2);
            o.SetCurrentY(bottom + 80);
            o.Print(label);
            if (seconds != minX_ && seconds != maxX_) {
                o.SetDrawStyle(ui::DrawDashDotDot);
                o.Line(x, bottom, x, plotTop_, grid);
                o.SetDrawStyle(ui::DrawSolid);
            }
        }
        ++shown;
    }

    // Ten fixed bands, whatever the value scales' steps.
    for (int w = 1; w <= 9; ++w) {
        const double y = plotHeight_ / 10.0 * w + plotTop_;
        o.Line(plotLeft_ - 4 * TwipsPerPixelX(), y, plotLeft_, y);
        o.SetDrawStyle(ui::DrawDashDotDot);
        o.Line(plotLeft_, y, right, y, grid);
        o.SetDrawStyle(ui::DrawSolid);
    }

    // Value scales; a hidden series keeps its reserved width but draws nothing.
    const double half = RoundEven(SeriesCount() / 2.0);
    double leftColumn = setDrawLeft_ + 60;
    double rightColumn = right + 60;
    const double labelHalf = o.TextHeight(QStringLiteral("00000")) / 2;
    for (int s = 0; s < SeriesCount(); ++s) {
        const Series& series = series_[static_cast<size_t>(s)];
        if (!series.Visible) continue;
        double& column = s < half ? leftColumn : rightColumn;
        o.SetForeColor(series.Color);
        o.SetCurrentX(column);
        o.SetCurrentY(setDrawTop_ + 2 * TwipsPerPixelY());
        o.Print(series.Name);
        // Equal bounds leave no step between labels: the scale then shows none.
        const double labels =
            series.PosYStp != 0 ? RoundEven((series.MaxY - series.MinY) / series.PosYStp) : -1;
        for (int k = 0; k <= labels && k <= 1000; ++k) {
            const double v = k * static_cast<double>(series.PosYStp) + series.MinY;
            o.SetCurrentX(column);
            o.SetCurrentY(yPos(v, s) - labelHalf);
            o.Print(FormatValue(v, series.Format));
        }
        column += o.TextWidth(series.Format) + 240;
    }
}

// ---- Series, events and cursor --------------------------------------------------------------

void uclVtmGraph::DrawSeries() {
    ui::DrawTarget& o = Obj();
    o.SetDrawWidth(LineWidthPixels(drawLineWidth_));
    o.SetDrawStyle(ui::DrawSolid);
    QPolygonF run;
    for (int s = 0; s < SeriesCount(); ++s) {
        const Series& series = series_[static_cast<size_t>(s)];
        if (!series.Visible) continue;
        // A segment that starts inside the window is drawn whole, ending where it ends; runs
        // of such segments go to the surface as one polyline.
        const auto point = [&](int i) {
            return QPointF(xPos(static_cast<double>(Seconds(i))), YOf(series, series.Values[i]));
        };
        run.clear();
        for (int j = 0; j < series.LastIndex; ++j) {
            const double start = static_cast<double>(Seconds(j));
            if (minX_ <= start && start < maxX_) {
                if (run.isEmpty()) run << point(j);
                run << point(j + 1);
            } else if (!run.isEmpty()) {
                o.Polyline(run, series.Color);
                run.clear();
            }
        }
        if (!run.isEmpty()) o.Polyline(run, series.Color);
    }
    o.SetFillStyle(ui::FillTransparent);
}

void uclVtmGraph::DrawEvents() {
    ui::DrawTarget& o = Obj();
    const QFont saved = o.Font();
    // Captions in the graph's own font, not bold: 3.5 points smaller (5.5 points from the
    // program's 9) could be read neither on screen nor on paper.
    QFont caption = saved;
    caption.setBold(false);
    o.SetFont(caption);
    // The bands' spacing suits captions up to 130 twips high; taller ones spread the bands,
    // so that a caption runs neither into its mark nor out of the frame. The height is the
    // screen's, so that the marks stand on the same twips on every surface.
    const double captionHeight = QFontMetricsF(caption).height() * TwipsPerPixelY();
    const double spread = std::max(1.0, (captionHeight + 50) / 180);

    const double bottom = plotTop_ + plotHeight_;
    const double half = RoundEven(SeriesCount() / 2.0);
    for (int n = 0; n < SeriesCount(); ++n) {
        const Series& series = series_[static_cast<size_t>(n)];
        if (!series.EventsVisible) continue;
        const int events = std::clamp(series.EventCount, 0, static_cast<int>(series.Events.size()));
        for (int f = 0; f < events; ++f) {
            const double x = static_cast<double>(series.Events[static_cast<size_t>(f)].Seconds);
            const QString& flag = series.Flags[static_cast<size_t>(f)];
            if (!(minX_ <= x && x <= maxX_) || flag.isEmpty()) continue;
            const double px = xPos(x);
            // The first half of the series mark below the top of the plot, the rest above
            // its bottom, each series in a band of its own.
            double y = 0;
            double textY = 0;
            if (n < half) {
                y = plotTop_ + (n / 2.0 + 1) * 300 * spread;
                textY = y - 240 * spread;
            } else {
                y = bottom - (n / 2.0 + 2) * 300 * spread;
                textY = y + 120 * spread;
            }
            // The text takes its own series' colour, not the colour of the mark drawn before.
            o.SetForeColor(series.Color);
            o.SetCurrentX(px - o.TextWidth(flag) / 2);
            o.SetCurrentY(textY);
            o.Print(flag);
            DrawMarker(px, y, false, 50, series.Color);
        }
    }

    if (xFlagsVisible_) {
        const int32_t markColor = 1;
        for (int j = 0; j < Samples(); ++j) {
            const double x = static_cast<double>(Seconds(j));
            const QString& flag = xFlags_[static_cast<size_t>(j)];
            if (!(minX_ <= x && x <= maxX_) || flag.isEmpty()) continue;
            const double px = xPos(x);
            DrawMarker(px, bottom - 300 * spread, true, 50, markColor);
            o.SetForeColor(markColor);
            o.SetCurrentX(px - o.TextWidth(flag) / 2);
            o.SetCurrentY(bottom - 180 * spread);
            o.Print(flag);
        }
    }
    o.SetFont(saved);
}

void uclVtmGraph::DrawMarker(double x, double y, bool up, double size, int32_t color) {
    ui::DrawTarget& o = Obj();
    o.SetFillColor(color);
    o.SetForeColor(color);
    o.SetFillStyle(ui::FillSolid);
    o.SetDrawWidth(LineWidthPixels(drawLineWidth_));
    // The triangle is given in twips on every surface, so a printed mark has the size and
    // place of the one on screen; its apex stands one screen pixel off the point.
    const double apex = up ? y + TwipsPerPixelY() : y - TwipsPerPixelY();
    const double base = up ? y + 2.2 * size : y - 2.2 * size;
    o.Polygon(QPolygonF(
        {QPointF(x, apex), QPointF(x - 0.83 * size, base), QPointF(x + 0.83 * size, base)}));
    o.SetFillStyle(ui::FillTransparent);
}

int uclVtmGraph::FindXIndex(double pos) const {
    if (!(pos > static_cast<double>(Seconds(0)))) return 0;
    const int n = Samples();
    for (int i = 0; i < n; ++i)
        if (static_cast<double>(Seconds(i)) > pos) return i;
    return std::max(n - 1, 0);
}

float uclVtmGraph::DrawCursor() {
    // The cursor stays on the window: outside it, it lands on the last sample at or before the
    // window's edge.
    int c = std::clamp(RoundIndex(cursorIndex_), 0, TableSize() - 1);
    const auto land = [&](double edge) {
        c = FindXIndex(edge);
        if (edge > static_cast<double>(Seconds(c))) ++c;
        if (edge < static_cast<double>(Seconds(c))) --c;
        c = std::clamp(c, 0, TableSize() - 1);
    };
    if (minX_ > static_cast<double>(Seconds(c)))
        land(minX_);
    else if (static_cast<double>(Seconds(c)) > maxX_)
        land(maxX_);
    cursorIndex_ = static_cast<float>(c);

    const double x = xPos(static_cast<double>(Seconds(c)));
    const double top = plotTop_ + TwipsPerPixelY();
    const double lineBottom = plotTop_ + plotHeight_ - TwipsPerPixelY();
    ui::Move(linCursor, x, top, TwipsPerPixelX(), std::max(0.0, lineBottom - top));

    if (formatX_.isEmpty()) formatX_ = kDefaultFormatX;
    QString text = u'[' + rt::FormatDate(xSamples_[static_cast<size_t>(c)].Date, formatX_) +
                   QStringLiteral("]\n");
    for (int s = 0; s < SeriesCount(); ++s) {
        Series& series = series_[static_cast<size_t>(s)];
        if (!series.Visible) continue;
        if (series.Format.isEmpty()) series.Format = kDefaultFormatY;
        text += series.Name + QStringLiteral(" : ") +
                FormatValue(series.Values[static_cast<size_t>(c)], series.Format) + u'\n';
    }
    lblMsg->setText(text);
    lblMsg->adjustSize();

    // The label hangs above the lowest point of any series at the cursor, moved by the keys.
    double anchor = -1e8;
    for (int s = 0; s < SeriesCount(); ++s)
        anchor = std::max(anchor, yPos(series_[static_cast<size_t>(s)].Values[c], s));
    anchor = std::clamp(anchor, static_cast<double>(plotTop_),
                        static_cast<double>(plotTop_) + plotHeight_);
    // The read-out stays inside the frame, clear of the scales around it: right of the cursor,
    // or left of it where the right has no room, and no higher or lower than the frame lets it
    // go whatever the keys moved it to.
    const double width = ui::Width(lblMsg);
    const double height = ui::Height(lblMsg);
    const double innerLeft = plotLeft_ + TwipsPerPixelX();
    const double innerRight = plotLeft_ + plotWidth_ - TwipsPerPixelX();
    double left = x + 2 * TwipsPerPixelX();
    if (left + width > innerRight) left = x - 2 * TwipsPerPixelX() - width;
    left = std::max(innerLeft, std::min(left, innerRight - width));
    const double hung = anchor - height;
    const double labelTop =
        std::max(top, std::min(hung + cursorOffset_ * TwipsPerPixelY(), lineBottom - height));
    ui::Move(lblMsg, left, labelTop);
    return static_cast<float>((labelTop - hung) / TwipsPerPixelY());
}

// ---- Zoom, scrolling and input --------------------------------------------------------------

void uclVtmGraph::SetZoom(int zoom) {
    const int n = sampleCount_;
    if (n < 2) return;
    const int z = std::max(zoom, 1);
    zoom_ = z;
    hslWidth->setVisible(z > 1);
    minX_ = 0;
    const double window = static_cast<double>(n) / z;
    maxX_ = static_cast<float>(Seconds(RoundIndex(window - 1)));
    // Setting the bar up is not a scroll: the window set here stays until the user scrolls.
    const QSignalBlocker block(hslWidth);
    hslWidth->setMinimum(0);
    hslWidth->setMaximum(std::max(0, RoundIndex(n - window - 1)));
    hslWidth->setPageStep(std::max(0, RoundIndex(window - 1)));
    hslWidth->setSingleStep(1);
    hslWidth->setValue(0);
}

int uclVtmGraph::ScrollEnd(int value) const {
    return RoundIndex(static_cast<double>(sampleCount_) / zoom_ + value);
}

void uclVtmGraph::hslWidth_Change(int value) {
    minX_ = static_cast<float>(Seconds(value));
    maxX_ = static_cast<float>(Seconds(ScrollEnd(value)));
    Refresh();
}

bool uclVtmGraph::ScrollToSample(int index) {
    const double at = static_cast<double>(Seconds(index));
    if (hslWidth->isHidden() || (minX_ <= at && at <= maxX_)) return false;
    const int step = std::max(hslWidth->singleStep(), 1);
    int value = hslWidth->value();
    if (at > maxX_) {
        while (value < hslWidth->maximum() && static_cast<double>(Seconds(ScrollEnd(value))) < at)
            value = std::min(value + step, hslWidth->maximum());
    } else {
        while (value > hslWidth->minimum() && static_cast<double>(Seconds(value)) > at)
            value = std::max(value - step, hslWidth->minimum());
    }
    // The window that Zoom sets ends a sample short of the one its scroll position shows: the
    // same position may show the sample.
    if (value != hslWidth->value())
        hslWidth->setValue(value);  // its change handler scrolls and redraws
    else
        hslWidth_Change(value);
    return true;
}

void uclVtmGraph::picGraph_KeyDown(int keyCode, int shift) {
    const bool shifted = (shift & ui::vbShiftMask) != 0;
    const double pixels = picGraph->height();
    const float before = cursorIndex_;
    const float offsetBefore = cursorOffset_;
    switch (keyCode) {
        case ui::vbKeyLeft:
            if (!shifted && cursorIndex_ > 0) cursorIndex_ -= 1;
            if (shifted && cursorIndex_ >= 10) cursorIndex_ -= 10;
            break;
        case ui::vbKeyRight:
            if (!shifted && cursorIndex_ < sampleCount_ - 1) cursorIndex_ += 1;
            if (shifted && cursorIndex_ < sampleCount_ - 11) cursorIndex_ += 10;
            break;
        case ui::vbKeyUp:
            if (cursorOffset_ < pixels) cursorOffset_ -= shifted ? 10 : 1;
            break;
        case ui::vbKeyDown:
            if (cursorOffset_ > -pixels) cursorOffset_ += shifted ? 10 : 1;
            break;
        default:
            break;
    }
    // Without a plot there is no cursor to move, nor a read-out of stale samples to show.
    if (!plotted_) return;
    // A cursor moved past the edge of a zoom window takes the window with it.
    if (cursorIndex_ != before && ScrollToSample(RoundIndex(cursorIndex_))) return;
    if (cursorIndex_ == before && cursorOffset_ == offsetBefore) return;
    const float shown = DrawCursor();
    // The read-out stops at the frame: an offset that moves it no further is not kept, so the
    // key back moves it at once.
    if (cursorOffset_ != offsetBefore) cursorOffset_ = shown;
}

bool uclVtmGraph::eventFilter(QObject* watched, QEvent* event) {
    if (watched != picGraph) return QFrame::eventFilter(watched, event);
    const auto twipsX = [](const QMouseEvent* m) { return m->position().x() * TwipsPerPixelX(); };
    const auto twipsY = [](const QMouseEvent* m) { return m->position().y() * TwipsPerPixelY(); };
    switch (event->type()) {
        case QEvent::KeyPress: {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) return false;
            const int code = ui::KeyCodeOf(key->key());
            const int shift = ui::ShiftOf(key->modifiers());
            emit KeyDown(code, shift);
            Guarded([&] { picGraph_KeyDown(code, shift); });
            if (!key->text().isEmpty()) emit KeyPress(key->text().at(0).unicode());
            return true;
        }
        case QEvent::KeyRelease: {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) return false;
            if (!key->isAutoRepeat())
                emit KeyUp(ui::KeyCodeOf(key->key()), ui::ShiftOf(key->modifiers()));
            return true;
        }
        case QEvent::MouseButtonPress: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            doubleClicked_ = false;
            emit MouseDown(ui::ButtonsOf(mouse->button()), ui::ShiftOf(mouse->modifiers()),
                           twipsX(mouse), twipsY(mouse));
            return false;
        }
        case QEvent::MouseMove: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            emit MouseMove(ui::ButtonsOf(mouse->buttons()), ui::ShiftOf(mouse->modifiers()),
                           twipsX(mouse), twipsY(mouse));
            return false;
        }
        case QEvent::MouseButtonRelease: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            emit MouseUp(ui::ButtonsOf(mouse->button()), ui::ShiftOf(mouse->modifiers()),
                         twipsX(mouse), twipsY(mouse));
            // The release that ends a double click is not a click of its own.
            if (mouse->button() == Qt::LeftButton && !doubleClicked_) emit Click();
            doubleClicked_ = false;
            return false;
        }
        case QEvent::MouseButtonDblClick:
            doubleClicked_ = true;
            emit DblClick();
            return false;
        case QEvent::FocusIn:
            SetCursorLook(true);
            return false;
        case QEvent::FocusOut:
            SetCursorLook(false);
            return false;
        default:
            return false;
    }
}

}  // namespace qv
