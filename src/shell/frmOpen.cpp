// The splash: layout, service-mode switch, the timed hand-over to the main window.
#include "frmOpen.h"

#include "Twips.h"
#include "UserAction.h"
#include "UserDialogs.h"
#include "modGlobals.h"
#include "modMessage.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include <algorithm>

namespace qv {

using ui::Height;
using ui::Left;
using ui::Move;
using ui::Top;
using ui::Width;

namespace {

// The product picture: the instrument drawn plainly.
QPixmap ProductPicture() {
    QPixmap picture(167, 219);
    picture.fill(QColor(230, 236, 242));
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 60, 90), 3));
    p.setBrush(QColor(250, 200, 40));
    p.drawRoundedRect(QRectF(28, 14, 111, 190), 16, 16);
    p.setBrush(QColor(30, 50, 60));
    p.drawRect(QRectF(44, 40, 79, 52));
    p.setPen(QColor(140, 255, 160));
    p.drawText(QRectF(44, 40, 79, 52), Qt::AlignCenter, QStringLiteral("QV-4170"));
    p.setPen(QPen(QColor(40, 60, 90), 2));
    p.setBrush(QColor(60, 80, 110));
    for (int i = 0; i < 3; ++i)
        p.drawEllipse(QPointF(55 + 28.5 * i, 130), 9, 9);
    return picture;
}

}  // namespace

frmOpen::frmOpen(QStringList arguments, std::function<std::unique_ptr<frmMain>()> makeMain)
    : QWidget(nullptr, Qt::SplashScreen),
      arguments_(std::move(arguments)),
      makeMain_(std::move(makeMain)) {
    if (!makeMain_) makeMain_ = [] { return std::make_unique<frmMain>(); };
    fraOpen = new QFrame(this);
    fraOpen->setFrameShape(QFrame::Box);
    fraOpen->installEventFilter(this);
    imgPellorin = new QLabel(fraOpen);
    imgPellorin->setPixmap(ProductPicture());
    imgPellorin->setScaledContents(true);
    lblTitle = new QLabel(QStringLiteral("QV-4170 Data Logger"), fraOpen);
    QFont titleFont = lblTitle->font();
    titleFont.setPointSizeF(18);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);
    lblTitle->adjustSize();
    lblTM = new QLabel(QStringLiteral("TM"), fraOpen);
    lblTM->adjustSize();
    // The program runs wherever Qt does: the line names no operating system.
    lblPCs = new QLabel(QStringLiteral("Station Utility"), fraOpen);
    QFont pcsFont = lblPCs->font();
    pcsFont.setPointSizeF(14);
    pcsFont.setItalic(true);
    lblPCs->setFont(pcsFont);
    lblPCs->adjustSize();
    Move(lblPCs, ui::Keep, ui::Keep, std::max(Width(lblPCs), 4200.0));
    lblPCs->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    for (auto& line : linBorder) {
        line = new QFrame(fraOpen);
        line->setFrameShape(QFrame::HLine);
    }
    for (QLabel** label : {&lblVersion, &lblNotice, &lblCompany}) {
        *label = new QLabel(fraOpen);
        (*label)->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        Move(*label, ui::Keep, ui::Keep, 4200, 300);
    }
    lblNotice->setText(GetMessage(9027));
    tmrTimer = new QTimer(this);
    connect(tmrTimer, &QTimer::timeout, this, ui::AsRepeatedAction([this] { tmrTimer_Timer(); }));
}

frmOpen::~frmOpen() {
    if (waitCursor_) QApplication::restoreOverrideCursor();
}

void frmOpen::LayoutSplash() {
    const double pictureWidth = 167 * ui::TwipsPerPixelX();
    const double pictureHeight = 219 * ui::TwipsPerPixelY();
    // The texts stand in a column right of the picture, never over it; the window is made
    // wide enough for the widest of them.
    const double textLeft = 240 + pictureWidth + 240;
    double column = Width(lblTitle) + 120 + Width(lblTM);
    for (const QLabel* label : {lblPCs, lblVersion, lblNotice, lblCompany})
        column = std::max(column, Width(label));
    resize(ui::ToPixelsX(std::max((Width(lblPCs) + pictureWidth) * 1.02, textLeft + column + 240)),
           ui::ToPixelsY(std::max(Height(lblTitle), 360.0) + pictureHeight));
    const double scaleWidth = Width(this);
    const double scaleHeight = Height(this);
    Move(fraOpen, 60, 0, scaleWidth - 120, scaleHeight - 120);
    const double frameWidth = Width(fraOpen);
    const double frameHeight = Height(fraOpen);
    Move(lblTitle, textLeft, 240);
    Move(lblTM, Left(lblTitle) + Width(lblTitle) + 120, Top(lblTitle));
    const double rule = Top(lblTitle) + Height(lblTitle) + 60;
    for (QFrame* line : linBorder)
        Move(line, textLeft - 120, rule, frameWidth - textLeft, 2 * ui::TwipsPerPixelY());
    Move(imgPellorin, 240, 120, pictureWidth, pictureHeight);
    auto alignRight = [&](QLabel* label, double top) {
        Move(label, frameWidth - 120 - Width(label), top);
    };
    alignRight(lblPCs, rule);
    alignRight(lblVersion, Top(lblPCs) + Height(lblPCs) + 120);
    alignRight(lblNotice, frameHeight - 120 - Height(lblNotice));
    alignRight(lblCompany, Top(lblNotice) - 120 - Height(lblCompany));
}

void frmOpen::Form_Load() {
    LayoutSplash();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move((area.width() - width()) / 2, (area.height() - height()) / 2);
    }
    show();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    waitCursor_ = true;
    // The switch counts in any case and inside a longer argument.
    ServiceMode = arguments_.join(u' ').toUpper().contains(QStringLiteral("-K"));
}

void frmOpen::Form_Activate() {
    SplashTicks = 0;
    tmrTimer->start(500);
    const QString partNumber =
        GetMessage(101) == QLatin1String("JP") ? QStringLiteral("73140") : QStringLiteral("73141");
    lblVersion->setText(QStringLiteral("P.No.") + partNumber);
    lblCompany->setText(GetMessage(200));
}

void frmOpen::tmrTimer_Timer() {
    ++SplashTicks;
    // The main window waits while the pause box is open.
    if (SplashTicks > 4 && !pausing_) ShowMain();
}

void frmOpen::fraOpen_DblClick() {
    pausing_ = true;
    Dialogs().MsgBox(GetMessage(9021), vbInformation, GetMessage(9022));
    pausing_ = false;
    if (SplashTicks > 4) ShowMain();
}

void frmOpen::ShowMain() {
    if (done_) return;
    done_ = true;
    tmrTimer->stop();
    // A load that fails is shown and ends the program as a load that refuses does: the splash
    // would otherwise stay, with no window to work in nor to end the program with.
    bool loaded = false;
    ui::RunUserAction([&] {
        main_ = makeMain_();
        loaded = main_->Form_Load();
    });
    if (!loaded) {
        // The user has been told why; the program ends without the main window's unload.
        main_.reset();
        failed_ = true;
        close();
        QCoreApplication::exit(1);
        return;
    }
    if (endRequested_) {
        // Asked to end while the main window was loading: it lets go of what it took.
        main_->Form_Unload();
        close();
        QCoreApplication::quit();
    } else {
        main_->show();
        mainShown_ = true;
        if (main_->FirstActivate) main_->Form_Activate();
        close();
    }
    if (waitCursor_) {
        QApplication::restoreOverrideCursor();
        waitCursor_ = false;
    }
}

void frmOpen::EndProgram() {
    endRequested_ = true;
    if (!done_) {
        // Still the splash: nothing has been read or taken yet.
        done_ = true;
        tmrTimer->stop();
        close();
        QCoreApplication::quit();
        return;
    }
    if (!main_) return;
    // Nobody may be left to answer: no dialog waits from here on. The main window must not
    // close under a question or menu still waiting for the user (one its load asked, too);
    // each is dismissed and its event loop returns before the window closes.
    main_->StopAsking();
    for (int i = 0; i < 16 && QApplication::activePopupWidget(); ++i)
        QApplication::activePopupWidget()->close();
    for (int i = 0; i < 16 && QApplication::activeModalWidget(); ++i) {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
    }
    // A window still loading is unloaded as soon as its load is done.
    if (!mainShown_) return;
    QTimer::singleShot(0, main_.get(), ui::AsUserAction([main = main_.get()] { main->close(); }));
}

bool frmOpen::eventFilter(QObject* watched, QEvent* event) {
    if (watched == fraOpen && event->type() == QEvent::MouseButtonDblClick) {
        fraOpen_DblClick();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace qv
