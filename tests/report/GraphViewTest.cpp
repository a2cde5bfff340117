// The trend graph's zoom window, cursor keys and read-out, event marks on screen, printer and
// image, and its picture, which is also written to the screenshots folder for looking at.
#include "GraphRig.h"

#include "FontCopy.h"
#include "ImageTarget.h"
#include "PrinterTarget.h"
#include "modGlobals.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>

#include <cmath>

namespace qv::test {
namespace {

using Graph = GraphRig;

TEST_F(Graph, ZoomShowsAPartOfTheSamplesAndScrollsThroughThem) {
    Load(1, 100, [](int, int i) { return float(i); });
    graph.SetZoom(4);
    EXPECT_EQ(graph.MaxX(), 24 * 60);
    EXPECT_FALSE(graph.hslWidth->isHidden());
    EXPECT_EQ(graph.hslWidth->maximum(), 74);
    EXPECT_EQ(graph.hslWidth->pageStep(), 24);
    Draw();
    // Segments that start inside the window, the one starting on its right edge excluded.
    const auto series = [&] {
        std::vector<ui::DrawCall> lines;
        for (const auto& call : rec.Calls(Kind::Line))
            if (call.stroke.Color == graph.ValueColor(0)) lines.push_back(call);
        return lines;
    };
    ASSERT_EQ(series().size(), 24u);
    EXPECT_NEAR(series().back().b.x(), Frame().right(), 0.01);

    rec.Forget();
    graph.hslWidth->setValue(74);  // scrolling redraws: the window ends on the last sample
    EXPECT_EQ(graph.MinX(), 74 * 60);
    EXPECT_EQ(graph.MaxX(), 99 * 60);
    ASSERT_EQ(series().size(), 25u);
    EXPECT_NEAR(series().back().b.x(), Frame().right(), 0.01);

    for (int zoom : {0, -3}) {
        graph.SetZoom(zoom);
        EXPECT_EQ(graph.Zoom(), 1);
        EXPECT_EQ(graph.MaxX(), 99 * 60);
        EXPECT_TRUE(graph.hslWidth->isHidden());
    }
    // A window narrower than one sample: the paint takes it to the last sample.
    graph.SetZoom(1000);
    EXPECT_EQ(graph.MaxX(), 0);
    Draw();
    EXPECT_EQ(graph.MaxX(), 99 * 60);
    graph.hslWidth->setValue(50);
    EXPECT_EQ(graph.MinX(), 50 * 60);
    EXPECT_EQ(graph.MaxX(), 99 * 60);
}

void Key(uclVtmGraph& graph, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
         int times = 1) {
    for (int i = 0; i < times; ++i) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(graph.picGraph, &press);
    }
}

TEST_F(Graph, CursorKeysMoveTheReadOut) {
    Load(2, 100, [](int s, int i) { return s == 0 ? i * 0.5f : 100.0f - i; });
    graph.SetFormatY(QString(), 1);
    Draw();
    const auto readOut = [&](int i) {
        return QStringLiteral("[%1]\nG1 : %2\nG2 : %3\n")
            .arg(rt::FormatDate(Sample(i), QStringLiteral("hh:nn:ss")))
            .arg(rt::Format(i * 0.5, QStringLiteral("##0.0")))
            .arg(rt::Format(100.0 - i, QStringLiteral("##0.0")));
    };
    EXPECT_EQ(graph.lblMsg->text(), readOut(0));
    EXPECT_EQ(graph.FormatY(1), "##0.0");  // an empty format takes the read-out's

    // The host hears of the key before the cursor moves.
    QString seenAtKeyDown;
    const auto heard = QObject::connect(&graph, &uclVtmGraph::KeyDown, [&](int code, int shift) {
        EXPECT_EQ(code, ui::vbKeyRight);
        EXPECT_EQ(shift, 0);
        seenAtKeyDown = graph.lblMsg->text();
    });
    Key(graph, Qt::Key_Right);
    EXPECT_EQ(seenAtKeyDown, readOut(0));
    QObject::disconnect(heard);
    EXPECT_EQ(graph.lblMsg->text(), readOut(1));
    EXPECT_EQ(graph.linCursor->x(), ui::ToPixelsX(graph.xPos(60)));

    Key(graph, Qt::Key_Left, Qt::ShiftModifier);  // 1 is below 10: stays
    EXPECT_EQ(graph.lblMsg->text(), readOut(1));
    Key(graph, Qt::Key_Right, Qt::ShiftModifier, 8);
    Key(graph, Qt::Key_Right, Qt::NoModifier, 8);
    EXPECT_EQ(graph.lblMsg->text(), readOut(89));
    Key(graph, Qt::Key_Right, Qt::ShiftModifier);  // 89 is not below 100 - 11
    EXPECT_EQ(graph.lblMsg->text(), readOut(89));
    Key(graph, Qt::Key_Left);
    Key(graph, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(graph.lblMsg->text(), readOut(98));
    Key(graph, Qt::Key_Right, Qt::NoModifier, 5);
    EXPECT_EQ(graph.lblMsg->text(), readOut(99));

    const int top = graph.lblMsg->y();
    Key(graph, Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(graph.lblMsg->y(), top - 10);
    Key(graph, Qt::Key_Down);
    EXPECT_EQ(graph.lblMsg->y(), top - 9);

    // A zoom window pulls the cursor onto its last sample.
    graph.SetZoom(4);
    Draw();
    EXPECT_EQ(graph.lblMsg->text(), readOut(24));
}

// The sample the cursor's read-out is on.
int CursorSample(const uclVtmGraph& graph) {
    const QString text = graph.lblMsg->text();
    for (int i = 0; i < graph.SampleCount(); ++i)
        if (text.startsWith(u'[' + rt::FormatDate(graph.ValueX(i), QStringLiteral("hh:nn:ss"))))
            return i;
    return -1;
}

// The cursor's sample, the window's first and last samples and the scroll position.
struct View {
    int cursor, first, last, scroll;
    bool operator==(const View&) const = default;
    friend std::ostream& operator<<(std::ostream& out, const View& v) {
        return out << "cursor " << v.cursor << ", window " << v.first << " to " << v.last
                   << ", scroll " << v.scroll;
    }
};

TEST_F(Graph, TheCursorTakesAZoomWindowAlongPastItsEdge) {
    Load(2, 100, [](int s, int i) { return s == 0 ? i * 0.5f : 100.0f - i; });
    graph.SetZoom(4);
    Draw();
    const auto view = [&] {
        return View{CursorSample(graph), static_cast<int>(graph.MinX()) / 60,
                    static_cast<int>(graph.MaxX()) / 60, graph.hslWidth->value()};
    };
    const auto keys = [&](int key, Qt::KeyboardModifiers modifiers, int times) {
        Key(graph, key, modifiers, times);
        // The cursor line stands on the frame, at its sample.
        const QRectF frame = Frame();
        EXPECT_GE(graph.linCursor->x(), ui::ToPixelsX(frame.left()));
        EXPECT_LE(graph.linCursor->x(), ui::ToPixelsX(frame.right()));
        EXPECT_EQ(graph.linCursor->x(), ui::ToPixelsX(graph.xPos(60.0 * CursorSample(graph))));
        return view();
    };
    EXPECT_EQ(keys(Qt::Key_Right, Qt::NoModifier, 24), (View{24, 0, 24, 0}));
    // One sample past the edge: the window moves on by the scroll bar's step, one sample.
    EXPECT_EQ(keys(Qt::Key_Right, Qt::NoModifier, 1), (View{25, 0, 25, 0}));
    EXPECT_EQ(keys(Qt::Key_Right, Qt::NoModifier, 1), (View{26, 1, 26, 1}));
    EXPECT_EQ(keys(Qt::Key_Right, Qt::ShiftModifier, 1), (View{36, 11, 36, 11}));
    EXPECT_EQ(keys(Qt::Key_Right, Qt::NoModifier, 80), (View{99, 74, 99, 74}));
    // Back: the cursor crosses the window before taking it along.
    EXPECT_EQ(keys(Qt::Key_Left, Qt::NoModifier, 25), (View{74, 74, 99, 74}));
    EXPECT_EQ(keys(Qt::Key_Left, Qt::NoModifier, 1), (View{73, 73, 98, 73}));
    EXPECT_EQ(keys(Qt::Key_Left, Qt::ShiftModifier, 1), (View{63, 63, 88, 63}));
    EXPECT_EQ(keys(Qt::Key_Left, Qt::NoModifier, 70), (View{0, 0, 25, 0}));
    // The mouse still scrolls on its own, the cursor kept on the window.
    graph.hslWidth->setValue(50);
    EXPECT_EQ(view(), (View{50, 50, 75, 50}));
    // Without a zoom the keys move the cursor only.
    graph.SetZoom(1);
    Draw();
    EXPECT_EQ(keys(Qt::Key_Right, Qt::NoModifier, 49), (View{99, 0, 99, 0}));
}

TEST_F(Graph, TheReadOutNeverCoversTheScales) {
    graph.SetTitleTop(QStringLiteral("Data Browse (Tank) - Alarm Trend"));
    graph.SetTitleBottom(
        QStringLiteral("Sampling Date/Time: 1-May-24 08:00:00 to 1-May-24 09:39:00"));
    Load(4, 100, [](int s, int i) { return s == 0 ? 0.0f : s * 10.0f + i % 7; });
    graph.SetZoom(2);
    Draw();
    // Everything drawn is a scale, a title or a series: the read-out's box stays inside the
    // frame, so off every scale text.
    const auto scaleTexts = rec.Calls(Kind::Text);
    ASSERT_GT(scaleTexts.size(), 40u);
    const auto readOut = [&] {
        return QRectF(ui::Left(graph.lblMsg), ui::Top(graph.lblMsg), ui::Width(graph.lblMsg),
                      ui::Height(graph.lblMsg));
    };
    const auto check = [&](const char* where) {
        SCOPED_TRACE(where);
        const QRectF box = readOut();
        EXPECT_TRUE(Frame().contains(box))
            << box.left() << "," << box.top() << " " << box.right() << "," << box.bottom();
        ui::RecordingTarget measure(1, 1);
        for (const auto& text : scaleTexts) {
            measure.SetFont(text.font);
            const QRectF area(text.a,
                              QSizeF(measure.TextWidth(text.text), measure.TextHeight(text.text)));
            EXPECT_FALSE(box.intersects(area)) << text.text.toStdString();
        }
    };
    // Series 1 at 0 hangs the read-out from the frame's bottom.
    check("first sample");
    Key(graph, Qt::Key_Right, Qt::NoModifier, 49);
    ASSERT_EQ(CursorSample(graph), 49);
    check("the window's last sample");
    // There the read-out stands left of the cursor.
    EXPECT_LE(graph.lblMsg->geometry().right(), graph.linCursor->x());
    Key(graph, Qt::Key_Right, Qt::NoModifier, 50);
    ASSERT_EQ(CursorSample(graph), 99);
    check("the last sample");

    // Moved up or down as far as the keys go, it stops at the frame; the key back moves it at
    // once.
    Key(graph, Qt::Key_Up, Qt::ShiftModifier, 100);
    check("moved up");
    const int top = graph.lblMsg->y();
    Key(graph, Qt::Key_Down);
    EXPECT_EQ(graph.lblMsg->y(), top + 1);
    Key(graph, Qt::Key_Down, Qt::ShiftModifier, 100);
    check("moved down");
    const int bottom = graph.lblMsg->y();
    Key(graph, Qt::Key_Up);
    EXPECT_EQ(graph.lblMsg->y(), bottom - 1);
}

TEST_F(Graph, AGraphThatCannotBeDrawnKeepsNoCursorOfTheOneBefore) {
    const auto shown = [&] {
        return graph.lblMsg->size() != QSize(0, 0) || graph.linCursor->size() != QSize(0, 0);
    };
    // One sample, then every sample at one time: neither has a time axis to draw on.
    for (const int samples : {1, 6}) {
        graph.Clear();
        Load(2, 100, [](int, int i) { return i * 1.0f; });
        Draw();
        ASSERT_TRUE(shown());
        ASSERT_FALSE(graph.lblMsg->text().isEmpty());
        graph.Clear();
        Load(2, samples, [](int, int) { return 5.0f; });
        for (int i = 0; i < samples; ++i)
            graph.SetValueX(i, start);
        graph.SetMinX(0);  // the window taken from the samples, as a host sets up a new trend
        graph.SetMaxX(0);
        Draw();
        EXPECT_FALSE(shown()) << samples;
        // Nor do the cursor keys bring back the read-out of the samples before.
        Key(graph, Qt::Key_Up);
        Key(graph, Qt::Key_Right);
        EXPECT_FALSE(shown()) << samples;
    }
}

TEST_F(Graph, EventMarksSitInTheirSeriesBands) {
    // Captions no taller than the bands are spaced for (5.5 points) keep the bands as laid out.
    QFont small = rec.Font();
    small.setPointSizeF(5.5);
    rec.SetFont(small);
    Load(2, 60, [](int, int i) { return float(i); });
    for (int s = 0; s < 2; ++s) {
        for (int n = 0; n < 5; ++n) {
            graph.SetEventX(s, n, Sample(10 * (n + 1) + s));
            graph.SetEventFlag(s, n, QStringLiteral("S%1E%2").arg(s).arg(n));
        }
        graph.SetEventVisible(s, true);
    }
    graph.SetEventFlag(1000, 30, QStringLiteral("Alarm"));
    graph.SetEventVisible(1000, true);
    Draw();
    // Events 0 to 4 leave the count at 4 until the host sets it.
    EXPECT_EQ(rec.Calls(Kind::Polygon).size(), 4u + 4u + 1u);
    EXPECT_TRUE(rec.Texts(QStringLiteral("S0E4")).empty());
    graph.SetEventCount(0, 5);
    graph.SetEventCount(1, 5);
    Draw();
    const auto marks = rec.Calls(Kind::Polygon);
    ASSERT_EQ(marks.size(), 11u);

    const QRectF frame = Frame();
    const double pixel = ui::TwipsPerPixelY();
    const auto check = [&](const ui::DrawCall& mark, double x, double y, bool up, int32_t color,
                           const QString& text, double textTop) {
        EXPECT_NEAR(mark.points[0].x(), x, 0.01);
        EXPECT_NEAR(mark.points[0].y(), up ? y + pixel : y - pixel, 0.01);
        EXPECT_NEAR(mark.points[2].x() - mark.points[1].x(), 83, 0.01);
        EXPECT_NEAR(mark.points[1].y(), up ? y + 110 : y - 110, 0.01);
        EXPECT_EQ(mark.fill, (ui::Fill{color, ui::FillSolid}));
        const auto texts = rec.Texts(text);
        ASSERT_EQ(texts.size(), 1u) << text.toStdString();
        EXPECT_EQ(texts[0].stroke.Color, color);
        EXPECT_NEAR(texts[0].a.y(), textTop, 0.01);
        ui::RecordingTarget measure(1, 1);
        measure.SetFont(texts[0].font);
        EXPECT_NEAR(texts[0].a.x() + measure.TextWidth(text) / 2, x, 0.01);
    };
    // Series 0 of 2 in the upper band, 300 twips below the top; series 1 in the lower band,
    // (1 / 2 + 2) x 300 above the bottom; the alarm mark points up from 300 above the bottom.
    const double y0 = frame.top() + 300;
    const double y1 = frame.bottom() - 750;
    for (int n = 0; n < 5; ++n) {
        check(marks[n], graph.xPos(600.0 * (n + 1)), y0, false, graph.ValueColor(0),
              QStringLiteral("S0E%1").arg(n), y0 - 240);
        check(marks[5 + n], graph.xPos(600.0 * (n + 1) + 60), y1, false, graph.ValueColor(1),
              QStringLiteral("S1E%1").arg(n), y1 + 120);
    }
    check(marks[10], graph.xPos(1800), frame.bottom() - 300, true, 1, QStringLiteral("Alarm"),
          frame.bottom() - 180);

    graph.SetEventVisible(0, false);
    graph.SetEventVisible(1000, false);
    Draw();
    EXPECT_EQ(rec.Calls(Kind::Polygon).size(), 5u);
}

// Where the one mark and its caption stand on a surface, from the point on the frame's bottom
// at the event's time: the mark's corners, the caption's top and the middle of its width.
struct MarkPlace {
    QPolygonF mark;
    double captionTop = 0;
    double captionMiddle = 0;
};
MarkPlace PlaceOfMark(const uclVtmGraph& graph, ui::RecordingTarget& tap, double seconds) {
    const auto marks = tap.Calls(Kind::Polygon);
    const auto texts = tap.Texts(QStringLiteral("WARNING"));
    if (marks.size() != 1 || texts.size() != 1) {
        ADD_FAILURE() << marks.size() << " marks, " << texts.size() << " captions";
        return {};
    }
    const QPointF origin(graph.xPos(seconds), tap.Calls(Kind::Box).front().b.y());
    tap.SetFont(texts[0].font);
    return {marks[0].points.translated(-origin), texts[0].a.y() - origin.y(),
            texts[0].a.x() + tap.TextWidth(texts[0].text) / 2 - origin.x()};
}

TEST_F(Graph, MarksLandOnTheSameTwipsOnPrinterAndImage) {
    Load(1, 50, [](int, int i) { return float(i); });
    graph.SetEventX(0, 0, Sample(20));
    graph.SetEventFlag(0, 0, QStringLiteral("WARNING"));
    graph.SetEventCount(0, 1);
    graph.SetEventVisible(0, true);

    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("graph.pdf")));
    ui::PrinterTarget page(printer);
    ui::RecordingTarget printed(page);
    DrawOn(printed);
    graph.Refresh();
    const MarkPlace onPaper = PlaceOfMark(graph, printed, 1200);
    page.EndDoc();

    ui::ImageTarget image(QSize(ui::ToPixelsX(kWidth), ui::ToPixelsY(kHeight)));
    ui::RecordingTarget shown(image);
    DrawOn(shown);
    graph.Refresh();
    const MarkPlace onScreen = PlaceOfMark(graph, shown, 1200);
    ASSERT_EQ(onScreen.mark.size(), 3);
    ASSERT_EQ(onPaper.mark.size(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(onPaper.mark[i].x(), onScreen.mark[i].x(), 0.01) << i;
        EXPECT_NEAR(onPaper.mark[i].y(), onScreen.mark[i].y(), 0.01) << i;
    }
    EXPECT_NEAR(onPaper.captionTop, onScreen.captionTop, 0.01);
    // The mark points down at the event's time with its caption centred on it; one series
    // (half of one rounds to 0) marks in the lower band, the caption below the mark.
    for (const MarkPlace& place : {onPaper, onScreen}) {
        EXPECT_NEAR(place.mark[0].x(), 0, 0.01);
        EXPECT_NEAR(place.mark[2].x() - place.mark[1].x(), 83, 0.01);
        EXPECT_LT(place.mark[1].y(), place.mark[0].y());
        EXPECT_NEAR(place.captionMiddle, 0, 0.01);
        EXPECT_GT(place.captionTop, place.mark[0].y());
    }
    // The mark's middle is in the series' colour.
    const QPolygonF mark = shown.Calls(Kind::Polygon)[0].points;
    const QPointF inside = (mark[0] + mark[1] + mark[2]) / 3;
    EXPECT_EQ(image.Image().pixelColor(ui::ToPixelsX(inside.x()), ui::ToPixelsY(inside.y())),
              ui::ColorFromLong(graph.ValueColor(0)));
}

// The captions drawn on a surface: in regular weight, inside the frame and clear of every mark.
// Gives their fonts.
std::vector<QFont> CaptionsInPlace(ui::RecordingTarget& tap, const QStringList& captions) {
    const QRectF frame(tap.Calls(Kind::Box).front().a, tap.Calls(Kind::Box).front().b);
    std::vector<QFont> fonts;
    for (const QString& caption : captions) {
        const auto texts = tap.Texts(caption);
        EXPECT_EQ(texts.size(), 1u) << caption.toStdString();
        for (const auto& text : texts) {
            EXPECT_FALSE(text.font.bold()) << caption.toStdString();
            const QFont kept = tap.Font();
            tap.SetFont(text.font);
            const QRectF box(text.a, QSizeF(tap.TextWidth(caption), tap.TextHeight(caption)));
            tap.SetFont(kept);
            EXPECT_TRUE(frame.contains(box)) << caption.toStdString();
            for (const auto& mark : tap.Calls(Kind::Polygon))
                EXPECT_FALSE(box.intersects(mark.points.boundingRect())) << caption.toStdString();
            fonts.push_back(text.font);
        }
    }
    return fonts;
}

TEST_F(Graph, EventCaptionsCanBeReadOnScreenAndOnPaper) {
    // The program's font, as the data view and the print form hand it to the graph: bold on
    // screen, regular on paper after the page header.
    FontSetting program;
    program.Size = 9;
    const QFont normal = ui::MakeFont(program);
    QFont bold = normal;
    bold.setBold(true);
    const QStringList captions{"STEL", "ALARM", "TWA", "OVER", "Alarm"};
    Load(4, 120, [](int s, int i) { return float(s * 10 + i % 30); });
    for (int s = 0; s < 4; ++s) {
        graph.SetEventX(s, 0, Sample(10 + 12 * s));
        graph.SetEventFlag(s, 0, captions[s]);
        graph.SetEventCount(s, 1);
        graph.SetEventVisible(s, true);
    }
    graph.SetEventFlag(1000, 70, captions[4]);
    graph.SetEventVisible(1000, true);

    // On screen: at least as tall as the program's other texts.
    graph.resize(ui::ToPixelsX(kWidth), ui::ToPixelsY(kHeight));
    graph.SetFont(bold);
    ui::RecordingTarget screen(graph.picGraph->Target());
    screen.SetFont(bold);
    DrawOn(screen);
    graph.Refresh();
    screen.SetFont(normal);
    const double normalPixels = screen.TextHeight(QStringLiteral("Ag")) / ui::TwipsPerPixelY();
    for (const QFont& font : CaptionsInPlace(screen, captions)) {
        screen.SetFont(font);
        EXPECT_GE(screen.TextHeight(QStringLiteral("Ag")) / ui::TwipsPerPixelY(), normalPixels);
    }

    // On paper: in points at least the program's size, in the PDF as on the page.
    QDir().mkpath(QStringLiteral(QV_SCREENSHOT_DIR));
    const QString pdf = QStringLiteral(QV_SCREENSHOT_DIR "/graph-captions.pdf");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    ui::PrinterTarget page(printer);
    ui::RecordingTarget paper(page);
    paper.SetFont(normal);
    DrawOn(paper);
    graph.SetDrawWidth(static_cast<float>(paper.ScaleWidth()));
    graph.Refresh();
    for (const QFont& font : CaptionsInPlace(paper, captions))
        EXPECT_GE(font.pointSizeF(), program.Size);
    page.EndDoc();
    QProcess render;
    render.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    ASSERT_TRUE(render.waitForFinished(30000));
    const QString words = QString::fromUtf8(render.readAllStandardOutput());
    // A word's box spans the font's ascent and descent: more than its size.
    const QRegularExpression word(
        QStringLiteral(R"re(yMin="([\d.]+)" xMax="[\d.]+" yMax="([\d.]+)">(\w+)<)re"));
    QStringList found;
    for (auto m = word.globalMatch(words); m.hasNext();) {
        const auto match = m.next();
        if (!captions.contains(match.captured(3))) continue;
        found << match.captured(3);
        EXPECT_GE(match.captured(2).toDouble() - match.captured(1).toDouble(), program.Size)
            << match.captured(3).toStdString();
    }
    found.sort();
    QStringList expected = captions;
    expected.sort();
    EXPECT_EQ(found, expected);
    // The sheet as a picture, for looking at.
    QProcess::execute(QStringLiteral("pdftoppm"),
                      {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("100"),
                       QStringLiteral("-singlefile"), pdf,
                       QStringLiteral(QV_SCREENSHOT_DIR "/graph-captions-print")});
}

TEST_F(Graph, PictureShowsTheTrendWithoutTheCursor) {
    static const int32_t colors[] = {ui::RGB(200, 160, 0), ui::RGB(0, 128, 255),
                                     ui::RGB(128, 64, 64), ui::RGB(0, 150, 0)};
    graph.SetDrawObj(nullptr);
    graph.SetTitleTop(QStringLiteral("Data Browse (Sample log) - Interval Trend"));
    graph.SetTitleBottom(
        QStringLiteral("Sampling Date/Time: 1-May-24 08:00:00 to 1-May-24 14:59:00"));
    const QString names[] = {QStringLiteral("CH4"), QStringLiteral("O2"), QStringLiteral("H2S"),
                             QStringLiteral("CO")};
    const QString formats[] = {QStringLiteral("##0"), QStringLiteral("##0.0"),
                               QStringLiteral("##0.0"), QStringLiteral("##0")};
    for (int s = 0; s < 4; ++s) {
        graph.AddSample(names[s], colors[s], formats[s]);
        graph.SetEventVisible(s, true);
    }
    const int n = 420;
    for (int i = 0; i < n; ++i) {
        graph.SetValueX(i, Sample(i));
        graph.SetValueY(0, i, 20 + 15 * std::sin(i / 40.0) + (i > 200 && i < 260 ? 30 : 0));
        graph.SetValueY(1, i, 20.9f - (i > 300 ? (i - 300) * 0.02f : 0));
        graph.SetValueY(2, i, i % 97 < 10 ? 12 : 1.5f);
        graph.SetValueY(3, i, 10 + i * 0.1f);
    }
    graph.SetSampleCount(n);
    const QString words[] = {QStringLiteral("WARNING"), QStringLiteral("ALARM"),
                             QStringLiteral("NORMAL")};
    for (int s = 0; s < 4; ++s) {
        for (int e = 0; e < 6; ++e) {
            graph.SetEventX(s, e, Sample(30 + 70 * e + 11 * s));
            graph.SetEventFlag(s, e, words[(e + s) % 3]);
        }
        graph.SetEventCount(s, 6);
    }
    graph.SetEventFlag(1000, 360, QStringLiteral("Alarm"));
    graph.SetEventVisible(1000, true);
    QFont bold = graph.Font();
    bold.setBold(true);
    graph.SetFont(bold);
    graph.resize(ui::ToPixelsX(14000), ui::ToPixelsY(6400));
    graph.show();
    graph.Refresh();
    graph.picGraph->setFocus();
    Key(graph, Qt::Key_Right, Qt::ShiftModifier, 24);

    const auto hasCursorColor = [&](const QImage& image) {
        const QColor cursor = ui::ColorFromLong(graph.CursorColor());
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y) == cursor) return true;
        return false;
    };
    const QImage picture = graph.Picture();
    EXPECT_EQ(picture.size(), graph.picGraph->size());
    EXPECT_FALSE(hasCursorColor(picture));
    const QImage onScreen = graph.grab().toImage();
    EXPECT_TRUE(hasCursorColor(onScreen));

    QDir().mkpath(QStringLiteral(QV_SCREENSHOT_DIR));
    const QString path = QStringLiteral(QV_SCREENSHOT_DIR "/graph-trend.png");
    ASSERT_TRUE(onScreen.save(path, "PNG"));
}

}  // namespace
}  // namespace qv::test
