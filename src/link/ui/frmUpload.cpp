// The progress dialog: its texts by operation, fixed layout, the Cancel button and the timer that
// keeps it in front.
#include "frmUpload.h"

#include "FontCopy.h"
#include "Twips.h"
#include "UserAction.h"
#include "modGlobals.h"
#include "modMessage.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include <algorithm>

namespace qv {

using ui::Height;
using ui::Move;
using ui::Top;

namespace {

constexpr int kAnimationPixels = 64;
constexpr int kWidthPixels = 288;
constexpr int kFrames = FileMoveAnimation::Frames;

// The label's height: one line of its font with some air, never below 25 pixels.
double LabelHeight(const QLabel* label) {
    const int pixels = std::max(25, label->fontMetrics().height() + 10);
    return pixels * ui::TwipsPerPixelY();
}

}  // namespace

FileMoveAnimation::FileMoveAnimation(QWidget* parent) : QWidget(parent) {
    timer_.setInterval(100);
    QObject::connect(&timer_, &QTimer::timeout, this, ui::AsRepeatedAction([this] {
        frame_ = (frame_ + 1) % kFrames;
        update();
    }));
}

void FileMoveAnimation::Play() {
    frame_ = 0;
    timer_.start();
}

void FileMoveAnimation::Stop() {
    timer_.stop();
}

void FileMoveAnimation::ShowFrame(int frame) {
    frame_ = std::clamp(frame, 0, kFrames - 1);
    update();
}

void FileMoveAnimation::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const double w = width();
    const double h = height();
    const double folderW = std::min(48.0, w / 5);
    const double folderH = folderW * 0.7;
    const double baseY = h - folderH - 4;
    auto folder = [&](double x) {
        p.setPen(QColor(150, 110, 20));
        p.setBrush(QColor(250, 200, 70));
        p.drawRect(QRectF(x, baseY, folderW, folderH));
        p.drawRect(QRectF(x, baseY - 6, folderW * 0.4, 6));
    };
    folder(4);
    folder(w - folderW - 4);
    // The sheet flies along an arc from the left folder to the right one, its top never above
    // the area's top edge.
    const double t = static_cast<double>(frame_) / (kFrames - 1);
    const double x = 4 + folderW / 4 + t * (w - folderW * 1.5 - 8);
    const double rise = std::max(0.0, baseY - 8 - 2);
    const double y = baseY - 8 - std::sin(t * 3.14159) * rise;
    p.setPen(QColor(80, 80, 80));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(x, y, folderW / 2, folderH * 0.8));
}

frmUpload::frmUpload(std::function<void()> cancelTransfer, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      cancelTransfer_(std::move(cancelTransfer)) {
    setModal(false);
    amnUpload = new FileMoveAnimation(this);
    lblUpload = new QLabel(this);
    lblUpload->setAlignment(Qt::AlignCenter);
    cmdUpload = new QPushButton(this);
    QObject::connect(cmdUpload, &QPushButton::clicked, this,
                     ui::AsUserAction([this] { cmdUpload_Click(); }));
    tmrInter = new QTimer(this);
    tmrInter->setInterval(500);
    // Keeping the dialog in front is worth one box when it fails, not one every half second.
    QObject::connect(tmrInter, &QTimer::timeout, this,
                     ui::AsRepeatedAction([this] { tmrInter_Timer(); }));
    Move(lblUpload, 60, ui::Keep, ui::Keep, LabelHeight(lblUpload));
}

QSizeF frmUpload::WantedSize() const {
    const double labelRows = cmdUpload->isHidden() ? 2.0 : 2.6;
    return {kWidthPixels * ui::TwipsPerPixelX() + 240,
            kAnimationPixels * ui::TwipsPerPixelY() + labelRows * Height(lblUpload)};
}

void frmUpload::Form_Load() {
    int text = 6004;
    bool cancellable = false;
    switch (OperationMode) {
        case OpSingleDownload:
            text = 6001;
            cancellable = true;
            break;
        case OpZeroCalibration:
            text = 6002;
            break;
        case OpSpanCalibration:
            text = 6003;
            break;
        case OpCompleteDownload:
        case OpAutomatic:
            cancellable = true;
            break;
        default:
            break;
    }
    setWindowTitle(GetMessage(text));
    lblUpload->setText(GetMessage(text));
    cmdUpload->setText(GetMessage(6005));
    cmdUpload->setHidden(!cancellable);
    cmdUpload->setEnabled(true);
    canceled_ = false;
    amnUpload->Play();
    for (QWidget* control : findChildren<QWidget*>())
        ui::CopyFont(control, AppFont);
    Move(lblUpload, ui::Keep, ui::Keep, ui::Keep, LabelHeight(lblUpload));
    Form_Resize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move((area.width() - width()) / 2, (area.height() - height()) / 2);
    }
    tmrInter->start();
}

void frmUpload::Form_Resize() {
    if (inResize_) return;
    inResize_ = true;
    const QSizeF wanted = WantedSize();
    const QSize pixels(ui::ToPixelsX(wanted.width()), ui::ToPixelsY(wanted.height()));
    if (size() != pixels) setFixedSize(pixels);
    const double inner = ui::Width(this);
    const double innerHeight = Height(this);
    Move(amnUpload, 60, 60, inner - 120, kAnimationPixels * ui::TwipsPerPixelY());
    Move(lblUpload, 60, Top(amnUpload) + Height(amnUpload) + 60, inner - 120);
    if (!cmdUpload->isHidden())
        Move(cmdUpload, 60, Top(lblUpload) + Height(lblUpload) + 60, inner - 120,
             innerHeight - Top(lblUpload) - Height(lblUpload) - 120);
    inResize_ = false;
}

void frmUpload::cmdUpload_Click() {
    lblUpload->setText(GetMessage(6006));
    if (cancelTransfer_) cancelTransfer_();
    canceled_ = true;
    cmdUpload->setEnabled(false);
}

void frmUpload::tmrInter_Timer() {
    if (!isVisible()) return;
    // A platform without windows on a screen has no order to keep.
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) raise();
    activateWindow();
}

void frmUpload::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    Form_Resize();
}

void frmUpload::paintEvent(QPaintEvent* event) {
    Form_Resize();
    QDialog::paintEvent(event);
}

void frmUpload::closeEvent(QCloseEvent* event) {
    event->ignore();
}

}  // namespace qv
