// The trend graph control: series of values against the dates of shared X samples, event marks
// with flag texts, one value scale per series, a read-out cursor moved by keys and a zoom window
// with a scroll bar. The same code draws it on its own picture, on the printer or on an image:
// whatever twips surface the host hands it as DrawObj.
#pragma once

#include "CanvasWidget.h"
#include "DrawTarget.h"

#include <QDateTime>
#include <QFrame>
#include <algorithm>
#include <array>
#include <optional>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QScrollBar;

namespace qv {

class uclVtmGraph : public QFrame {
    Q_OBJECT

  public:
    static constexpr int kMaxSeries = 32767;

    explicit uclVtmGraph(QWidget* parent = nullptr);
    ~uclVtmGraph() override;

    // Series. Index s runs over the series; a guarded writer ignores an s that is not a series;
    // a reader or unguarded writer given an index outside the tables raises a subscript error.
    // The tables of X samples, values and events grow with what is written, so a log of any
    // length is drawn whole: a negative sample or event index is outside them, and one never
    // written reads as 0, the zero date or "".
    int AddSample(const QString& Names, int32_t Colors = 0, const QString& Formats = {});
    void Clear();
    // Number of series (1 after Clear: slot 0, empty and hidden, until the first AddSample).
    int SampleDataCount() const { return SeriesCount(); }
    QString ValueName(int Index) const;
    void SetValueName(int Index, const QString& name);
    int32_t ValueColor(int Index) const;
    void SetValueColor(int Index, int32_t color);
    bool SampleVisible(int SampleNum) const;
    void SetSampleVisible(int SampleNum, bool visible);
    QString FormatY(int SampleNum = 0) const;
    void SetFormatY(const QString& format, int SampleNum = 0);
    float MinY(int SampleNum = 0) const;
    void SetMinY(float value, int SampleNum = 0);
    float MaxY(int SampleNum = 0) const;
    void SetMaxY(float value, int SampleNum = 0);
    float PosYStp(int SampleNum = 0) const;
    // Value of series Index at X sample Number; writing raises the series' last index.
    float ValueY(int Index, int Number) const;
    void SetValueY(int Index, int Number, float value);

    // X samples: their dates, and seconds from sample 0 computed when a date is written.
    QDateTime ValueX(int Index) const;
    void SetValueX(int Index, const QDateTime& date);
    QDateTime DataX(int Number) const { return ValueX(Number); }
    // As SetValueX, raising SampleCount to Number when it is larger.
    void SetDataX(int Number, const QDateTime& date);
    int SampleCount() const { return sampleCount_; }
    // Held within the samples written, so no drawing reads past them.
    void SetSampleCount(int count);

    // Events of a series and texts marked on X samples: a series index that is not a series
    // (hosts use 1000) addresses the X-sample texts.
    QDateTime EventX(int GasNo, int Number) const;
    void SetEventX(int GasNo, int Number, const QDateTime& date);
    QString EventFlag(int SampleNum, int Index) const;
    void SetEventFlag(int SampleNum, int Index, const QString& text);
    bool EventVisible(int SampleNum) const;
    void SetEventVisible(int SampleNum, bool visible);
    int EventCount(int GasNo) const;
    // A count beyond the events written draws the written ones only.
    void SetEventCount(int GasNo, int count);

    // The visible window in seconds from sample 0; 0 lets the paint take it from the samples.
    float MinX() const { return minX_; }
    void SetMinX(float seconds) { minX_ = seconds; }
    float MaxX() const { return maxX_; }
    void SetMaxX(float seconds) { maxX_ = seconds; }
    float PosXStp() const { return posXStp_; }
    // Date pattern of the X labels and the read-out ("hh:nn:ss" when empty at drawing time).
    QString FormatX() const { return formatX_; }
    void SetFormatX(const QString& format) { formatX_ = format; }
    QString ScaleXFormat() const { return formatX_; }
    void SetScaleXFormat(const QString& format) { formatX_ = format; }
    // Shows 1/Zoom of the samples with a scroll bar (below 1 counts as 1); ignored while there
    // are fewer than 2 samples. Does not repaint.
    int Zoom() const { return zoom_; }
    void SetZoom(int zoom);

    QString TitleTop() const { return titleTop_; }
    void SetTitleTop(const QString& title) { titleTop_ = title; }
    QString TitleBottom() const { return titleBottom_; }
    void SetTitleBottom(const QString& title) { titleBottom_ = title; }
    int32_t ScaleColor() const { return scaleColor_; }
    void SetScaleColor(int32_t color) { scaleColor_ = color; }
    int32_t BackColor() const;
    void SetBackColor(int32_t color);
    int32_t CursorColor() const { return cursorColor_; }
    void SetCursorColor(int32_t color);
    bool CursorVisible() const;
    void SetCursorVisible(bool visible);
    float DrawLineWidth() const { return drawLineWidth_; }
    void SetDrawLineWidth(float width) { drawLineWidth_ = width; }
    float ScaleLineWidth() const { return scaleLineWidth_; }
    void SetScaleLineWidth(float width) { scaleLineWidth_ = width; }
    bool AutoRedraw() const { return autoRedraw_; }
    void SetAutoRedraw(bool on) { autoRedraw_ = on; }
    // 0 flat, 1 three-dimensional; border 0 none, 1 single.
    int Appearance() const { return appearance_; }
    void SetAppearance(int value);
    int BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(int value);

    // Where the graph is drawn: its own picture (nullptr) or a host's surface, within the
    // rectangle SetDraw* on a host's surface (each read without and written with its value).
    ui::DrawTarget* DrawObj();
    void SetDrawObj(ui::DrawTarget* target) { drawObj_ = target; }
    float SetDrawLeft() const { return setDrawLeft_; }
    void SetDrawLeft(float twips) { setDrawLeft_ = twips; }
    float SetDrawTop() const { return setDrawTop_; }
    void SetDrawTop(float twips) { setDrawTop_ = twips; }
    float SetDrawWidth() const { return setDrawWidth_; }
    void SetDrawWidth(float twips) { setDrawWidth_ = twips; }
    float SetDrawHeight() const { return setDrawHeight_; }
    void SetDrawHeight(float twips) { setDrawHeight_ = twips; }

    // Draws the whole graph now (also when AutoRedraw is off).
    void Refresh();
    void Cls();
    // The graph's own picture as last drawn; never shows the cursor, its label or the scroll bar.
    QImage Picture();
    QAction* PopupMenu(QMenu& Menu, int Flags = 0, std::optional<double> X = {},
                       std::optional<double> Y = {}, QAction* DefaultMenu = nullptr);
    QFont Font() const;
    void SetFont(const QFont& font);
    double CurrentX();
    double CurrentY();
    double TextWidth(const QString& text);
    double TextHeight(const QString& text);

    // Twips of a value and back.
    double xPos(double Vals) const { return (Vals - minX_) * xFactor_ + plotLeft_; }
    double yPos(double Vals, int SampleNum = 0) const;
    double xData(double Vals) const;
    double yData(double Vals, int SampleNum = 0) const;

    // The controls of the surface: the picture, the zoom scroll bar, and the cursor line and
    // read-out label, which lie over the picture and are never drawn into it.
    ui::CanvasWidget* picGraph = nullptr;
    QScrollBar* hslWidth = nullptr;
    QWidget* linCursor = nullptr;
    QLabel* lblMsg = nullptr;

  signals:
    // Raised from the picture's own events; positions in twips of the picture.
    void Click();
    void DblClick();
    void KeyDown(int KeyCode, int Shift);
    void KeyPress(int KeyAscii);
    void KeyUp(int KeyCode, int Shift);
    void MouseDown(int Button, int Shift, double X, double Y);
    void MouseMove(int Button, int Shift, double X, double Y);
    void MouseUp(int Button, int Shift, double X, double Y);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    struct EventMark {
        QDateTime Date;
        qint64 Seconds = 0;
    };
    struct Series {
        QString Name;
        int32_t Color = 0;
        int LastIndex = 0;
        QString Format;
        float MinY = 0;
        float MaxY = 0;
        float PosYStp = 0;
        float YFactor = 0;
        bool Visible = false;
        std::vector<float> Values;  // as many as the X samples
        bool EventsVisible = false;
        std::vector<EventMark> Events;
        std::vector<QString> Flags;  // as many as the events
        int EventCount = 0;
    };
    struct XSample {
        QDateTime Date;
        qint64 Seconds = 0;
    };

    int SeriesCount() const { return static_cast<int>(series_.size()) - 1; }
    bool IsSeries(int s) const { return s >= 0 && s < SeriesCount(); }
    // A slot of the series table (the spare slot included); raises outside it.
    const Series& At(int s) const;
    Series& At(int s);
    double YOf(const Series& series, double value) const {
        return plotTop_ + plotHeight_ - (value - series.MinY) * series.YFactor;
    }
    // X samples the tables hold; every series holds as many values.
    int TableSize() const { return static_cast<int>(xSamples_.size()); }
    // Makes every table hold at least `count` samples.
    void GrowSamples(int count);
    static void GrowEvents(Series& series, int count);
    qint64 Seconds(int i) const {
        if (xSamples_.empty()) return 0;
        return xSamples_[static_cast<size_t>(std::clamp(i, 0, TableSize() - 1))].Seconds;
    }
    qint64 SecondsFromFirst(const QDateTime& date) const;
    // Samples the drawing may read: SampleCount held within the table.
    int Samples() const;
    ui::DrawTarget& Obj();
    bool DrawsOnPicture() const;
    static int LineWidthPixels(float width);

    static int32_t MixColor(int32_t c1, int32_t c2, double ratio);
    void FitPicture();
    void CalcLayout();
    void CalcYScales();
    void DrawScale();
    void DrawSeries();
    void DrawEvents();
    void DrawMarker(double x, double y, bool up, double size, int32_t color);
    // Gives the offset, in screen pixels, at which the read-out stands: CursorOffset unless
    // the frame stopped it.
    float DrawCursor();
    int FindXIndex(double pos) const;
    void SetCursorLook(bool focused);
    void hslWidth_Change(int value);
    // The last sample of the window that scroll position `value` shows.
    int ScrollEnd(int value) const;
    // Scrolls a zoom window by whole steps of its scroll bar, as few as bring sample `index`
    // into it, and redraws. False when the window shows the sample already.
    bool ScrollToSample(int index);
    void picGraph_KeyDown(int keyCode, int shift);
    void picGraph_Paint();
    // Runs a step started by the window system, where nothing may pass a failure on.
    template <class F>
    void Guarded(F&& step);

    std::vector<Series> series_;
    bool firstSeriesTaken_ = false;
    std::vector<XSample> xSamples_;
    std::vector<QString> xFlags_;
    bool xFlagsVisible_ = false;

    ui::DrawTarget* drawObj_ = nullptr;
    float setDrawLeft_ = 0;
    float setDrawTop_ = 0;
    float setDrawWidth_ = 1000;
    float setDrawHeight_ = 1000;
    float drawLineWidth_ = 1;
    float scaleLineWidth_ = 1;
    int sampleCount_ = 0;
    bool autoRedraw_ = true;
    bool refreshForced_ = false;
    bool plotted_ = false;  // the last paint drew the plot, so the cursor has a place on it
    float plotLeft_ = 0;
    float plotTop_ = 0;
    float plotWidth_ = 0;
    float plotHeight_ = 0;
    float posXStp_ = 0;
    float xFactor_ = 0;
    float minX_ = 0;
    float maxX_ = 0;
    QString formatX_;
    QString titleTop_;
    QString titleBottom_;
    int32_t scaleColor_ = 0;
    int32_t cursorColor_ = 0x0000FF;
    int zoom_ = 1;
    float cursorIndex_ = 0;
    float cursorOffset_ = 0;
    int appearance_ = 1;
    int borderStyle_ = 1;
    bool cursorFocused_ = true;
    bool doubleClicked_ = false;
};

}  // namespace qv
