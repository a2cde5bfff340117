// Controls, captions and layout of the download page, its status log, the progress dialog it
// holds and the bookkeeping of the operations it runs.
#include "DownloadPage.h"

#include "Dates.h"
#include "Twips.h"
#include "UserAction.h"
#include "clsInstrument.h"
#include "modGlobals.h"
#include "modMessage.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QScrollBar>
#include <QTextCursor>

namespace qv {

using ui::ContentTop;
using ui::Height;
using ui::Keep;
using ui::Left;
using ui::Move;
using ui::Top;
using ui::Width;

namespace {
// The lamp each lamp-name label belongs to.
constexpr std::array<int, 4> kLampLabel{0, 1, 8, 9};
// The lamp strip's height when its caption takes the 240 twips of a caption in the program's
// usual 9-point font; a taller caption adds to it.
constexpr double kLampStripHeight = 615;
}  // namespace

DownloadPage::DownloadPage(QWidget* parent) : PageFrame(parent) {
    for (auto& f : fraDown)
        f = new QGroupBox(this);
    Move(fraDown[0], 120, 240, 6000, kLampStripHeight);
    Move(fraDown[1], 6300, 240, 3000, 1200);
    for (size_t i = 0; i < shpStatus.size(); ++i) {
        shpStatus[i] = new ui::ShapeControl(fraDown[0]);
        Move(shpStatus[i], 120 + 1500.0 * i, 240, 255, 255);
    }
    for (size_t i = 0; i < lblStatus.size(); ++i)
        lblStatus[i] = new QLabel(fraDown[0]);
    for (size_t k = 0; k < kLampLabel.size(); ++k)
        Move(lblStatus[kLampLabel[k]], 435 + 1500.0 * k, 240, 1800, 255);
    for (int i = 2; i <= 7; ++i)
        lblStatus[i]->setParent(fraDown[3]);
    for (int row = 0; row < 3; ++row) {
        Move(lblStatus[2 + row], 120, 300 + 360.0 * row, 3000, 255);
        Move(lblStatus[5 + row], 3240, 300 + 360.0 * row, 2400, 255);
    }
    lblTitle0 = new QLabel(this);
    Move(lblTitle0, 120, 855, 2400, 255);
    rtbLog = new QTextEdit(this);
    rtbLog->setReadOnly(true);
    for (size_t i = 0; i < chkAutoLoad.size(); ++i) {
        chkAutoLoad[i] = new QCheckBox(fraDown[1]);
        Move(chkAutoLoad[i], 120, 240 + 300.0 * i, 2760, 240);
    }
    for (auto& b : cmdDown)
        b = new QPushButton(fraDown[2]);
    for (size_t i = 0; i < cmdDown.size(); ++i)
        QObject::connect(cmdDown[i], &QPushButton::clicked, this,
                         ui::AsUserAction([this, i] { cmdDown_Click(static_cast<int>(i)); }));
    // A change from code runs the handler too; InAutoLoadClick keeps such changes out.
    for (size_t i = 0; i < chkAutoLoad.size(); ++i)
        QObject::connect(chkAutoLoad[i], &QCheckBox::toggled, this,
                         ui::AsUserAction([this, i] { chkAutoLoad_Click(static_cast<int>(i)); }));
}

DownloadPage::~DownloadPage() = default;

QWidget* DownloadPage::MainControl() const {
    if (ui::CanTakeFocus(*this, cmdDown[0])) return cmdDown[0];
    return rtbLog;
}

void DownloadPage::Bind(const DownloadHost& host) {
    host_ = std::make_unique<DownloadHost>(host);
}

void DownloadPage::SetCaptions() {
    setTitle(GetMessage(5002));
    fraDown[0]->setTitle(GetMessage(5021));
    lblStatus[0]->setText(GetMessage(5022));
    lblStatus[1]->setText(GetMessage(5023));
    lblTitle0->setText(GetMessage(5002));
    fraDown[3]->setTitle(GetMessage(5025));
    lblStatus[2]->setText(GetMessage(5026));
    lblStatus[3]->setText(GetMessage(5027));
    lblStatus[4]->setText(GetMessage(5028));
    fraDown[1]->setTitle(GetMessage(5032));
    chkAutoLoad[0]->setText(GetMessage(5033));
    chkAutoLoad[1]->setText(GetMessage(5034));
    fraDown[2]->setTitle(GetMessage(5035));
    // The message numbers of the buttons do not follow the button order.
    constexpr std::array<int, 9> kButtonMessage{5036, 5037, 5038, 5039, 5042,
                                                5043, 5045, 5040, 5041};
    for (size_t i = 0; i < cmdDown.size(); ++i)
        cmdDown[i]->setText(GetMessage(kButtonMessage[i]));
}

void DownloadPage::LayoutPage() {
    const double pw = Width(this);
    const double ph = Height(this);

    // The lamps stand below the strip's caption; the strip grows by what that caption takes
    // beyond 240 twips, so that a larger font or a taller script never covers the lamps.
    const double lampTop = ContentTop(fraDown[0]);
    Move(fraDown[0], 120, ContentTop(this), pw * 0.6, kLampStripHeight + lampTop - 240);
    const double strip = Width(fraDown[0]);
    const std::array<double, 4> lampLeft{120, strip / 4, strip / 2, strip * 3 / 4};
    for (size_t k = 0; k < shpStatus.size(); ++k) {
        Move(shpStatus[k], lampLeft[k], lampTop);
        Move(lblStatus[kLampLabel[k]], Left(shpStatus[k]) + Width(shpStatus[k]) + 60, lampTop);
    }
    Move(lblTitle0, 120, Top(fraDown[0]) + Height(fraDown[0]));
    Move(rtbLog, 120, Top(lblTitle0) + Height(lblTitle0), pw * 0.6, ph * 0.55);
    Move(fraDown[3], 120, Top(rtbLog) + Height(rtbLog), pw * 0.6,
         ph - Top(rtbLog) - Height(rtbLog) - 120);
    for (int row = 0; row < 3; ++row) {
        QLabel* name = lblStatus[2 + row];
        Move(name, Keep, Keep, Width(fraDown[3]) * 0.5);
        Move(lblStatus[5 + row], Left(name) + Width(name) + 120, Keep,
             Width(fraDown[3]) - Left(name) - Width(name) - 240);
    }

    Move(fraDown[1], Left(rtbLog) + Width(rtbLog) + 60, ContentTop(this), pw - Width(rtbLog) - 240);
    Move(chkAutoLoad[0], 120, ContentTop(fraDown[1]), Width(fraDown[1]) - 240,
         Height(fraDown[1]) / 5);
    Move(chkAutoLoad[1], 120, Top(chkAutoLoad[0]) + Height(chkAutoLoad[0]) + 60,
         Width(chkAutoLoad[0]), Height(chkAutoLoad[0]));
    Move(fraDown[2], Left(fraDown[1]), Top(fraDown[1]) + Height(fraDown[1]), Width(fraDown[1]),
         ph - Top(fraDown[1]) - Height(fraDown[1]) - 120);

    // The power events button is offered in service mode only.
    const double commands = Height(fraDown[2]);
    cmdDown[6]->setVisible(ServiceMode);
    const std::vector<int> order = ServiceMode ? std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8}
                                               : std::vector<int>{0, 1, 2, 3, 4, 5, 7, 8};
    const double buttonHeight = ServiceMode ? (commands - 1080) / 10 : (commands - 900) / 9;
    Move(cmdDown[0], 120, ContentTop(fraDown[2]), Width(fraDown[2]) - 240, buttonHeight);
    for (size_t k = 1; k < order.size(); ++k) {
        const QPushButton* above = cmdDown[order[k - 1]];
        Move(cmdDown[order[k]], 120, Top(above) + Height(above) + 120, Width(cmdDown[0]),
             Height(cmdDown[0]));
    }
}

// ---- Status log ----

void DownloadPage::AddLogLine(const QString& text, int32_t color) {
    // Always at the end, whatever the user has selected or where the caret is.
    QTextCursor cursor(rtbLog->document());
    cursor.movePosition(QTextCursor::End);
    QTextCharFormat format;
    format.setForeground(ui::ColorFromLong(color));
    QString line = text;
    line.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    cursor.insertText(line + u'\n', format);
    QScrollBar* bar = rtbLog->verticalScrollBar();
    bar->setValue(bar->maximum());
}

void DownloadPage::ShowStatusIds(const clsInstrument& instrument) {
    lblStatus[5]->setText(instrument.SerialNo());
    lblStatus[6]->setText(instrument.StationID());
    lblStatus[7]->setText(instrument.UserId());
}

QString DownloadPage::Now() const {
    return GeneralDate(rt::Now());
}

// ---- Progress dialog ----

frmUpload* DownloadPage::Upload() {
    if (!upload_) {
        DownloadLink* link = host_ ? &host_->link : nullptr;
        upload_ = std::make_unique<frmUpload>(
            [link] {
                if (link) link->SetCancel(true);
            },
            window());
        upload_->Form_Load();
    }
    return upload_.get();
}

void DownloadPage::UnloadUpload() {
    upload_.reset();
}

// ---- Operations in progress ----

void DownloadPage::CancelForClose() {
    closing_ = true;
    if (!Busy()) return;
    if (upload_ && upload_->cmdUpload->isEnabled() && !upload_->cmdUpload->isHidden())
        upload_->cmdUpload_Click();
    else if (host_)
        host_->link.SetCancel(true);
}

void DownloadPage::WaitTicks(int32_t ticks) {
    int32_t& count = host_->TickCount;
    count = 0;
    // The keep-alive makes sure the loop looks at the count again even when nothing else runs.
    QTimer keepAlive;
    keepAlive.start(20);
    // A window that closes waits for nothing.
    while (count < ticks && !closing_)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

}  // namespace qv
