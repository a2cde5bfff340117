// Controls, captions, layout and event wiring of the stored-data page.
#include "BrowserPage.h"

#include "BrowserKinds.h"
#include "Twips.h"
#include "UserAction.h"
#include "modMessage.h"

#include <QScopeGuard>
#include <QStyle>

namespace qv {

using ui::Height;
using ui::Keep;
using ui::Left;
using ui::Move;
using ui::Top;
using ui::Width;

QString LogWhere::Clause() const {
    return sql.isEmpty() ? QString() : QStringLiteral(" Where ") + sql;
}

void BrowserPage::Handle(const std::function<void()>& action) {
    if (!host_) return;
    ++acting_;
    {
        const auto ended = qScopeGuard([this] { --acting_; });
        ui::RunUserAction(action);
    }
    // Logs stored while an action waited are shown once no action of the page is running; a
    // page hidden meanwhile is built afresh when it is opened.
    if (acting_ == 0 && afreshPending_ && ui::IsShown(this)) ShowAfresh();
}

BrowserPage::BrowserPage(QWidget* parent) : PageFrame(parent) {
    tvwLog = new ui::KeyedTree(this);
    fraLog = new QGroupBox(this);
    for (size_t i = 0; i < chkLog.size(); ++i) {
        chkLog[i] = new QCheckBox(fraLog);
        Move(chkLog[i], 120, 180 + 255.0 * i, 2400, 240);
        connect(chkLog[i], &QCheckBox::clicked, this,
                [this, i] { Handle([&] { chkLog_Click(static_cast<int>(i)); }); });
    }
    lvwLog = new ui::KeyedList(this);
    vfgLog = new ui::FlexGrid(this);
    cmdDetail = new QPushButton(this);
    cmdLogInst = new QPushButton(this);
    connect(cmdDetail, &QPushButton::clicked, this, [this] { Handle([&] { cmdDetail_Click(); }); });
    connect(cmdLogInst, &QPushButton::clicked, this,
            [this] { Handle([&] { cmdLogInst_Click(); }); });

    // The pictures of the tree and the list.
    const QStyle* look = style();
    const struct {
        const char* name;
        QStyle::StandardPixmap picture;
    } images[] = {
        {"QV-4170", QStyle::SP_ComputerIcon},      {"CloseFolder", QStyle::SP_DirClosedIcon},
        {"OpenFolder", QStyle::SP_DirOpenIcon},    {"Interval", QStyle::SP_FileDialogContentsView},
        {"Alarm", QStyle::SP_MessageBoxWarning},   {"History", QStyle::SP_FileDialogDetailedView},
        {"AEvent", QStyle::SP_MessageBoxCritical}, {"TEvent", QStyle::SP_MessageBoxInformation},
        {"PEvent", QStyle::SP_MediaPlay}};
    for (const auto& image : images) {
        tvwLog->SetImage(QString::fromLatin1(image.name), look->standardIcon(image.picture));
        lvwLog->SetImage(QString::fromLatin1(image.name), look->standardIcon(image.picture));
    }

    tvwLog->ItemClick = [this](const QString& key) { Handle([&] { tvwLog_NodeClick(key); }); };
    tvwLog->MouseDown = [this](int button, int shift, double x, double y) {
        Handle([&] { tvwLog_MouseDown(button, shift, x, y); });
    };
    lvwLog->ItemClick = [this](const QString& key) { Handle([&] { lvwLog_ItemClick(key); }); };
    lvwLog->MouseDown = [this](int button, int shift, double x, double y) {
        Handle([&] { lvwLog_MouseDown(button, shift, x, y); });
    };
    lvwLog->DblClick = [this] { Handle([&] { lvwLog_DblClick(); }); };
    lvwLog->ColumnClick = [this](int column) { Handle([&] { lvwLog_ColumnClick(column); }); };
    vfgLog->MouseUp = [this](int button, int shift, double x, double y) {
        Handle([&] { vfgLog_MouseUp(button, shift, x, y); });
    };

    mnuDeletes = new QMenu(this);
    mnuDelete = mnuDeletes->addAction(GetMessage(9007));
    mnuUnits = new QMenu(this);
    mnuUnit = mnuUnits->addAction(QString());
    for (QAction*& unit : unitname) {
        unit = mnuUnits->addAction(QString());
        unit->setCheckable(true);
    }
}

BrowserPage::~BrowserPage() = default;

void BrowserPage::Bind(const BrowserHost& host) {
    host_ = std::make_unique<BrowserHost>(host);
}

void BrowserPage::SetCaptions() {
    setTitle(GetMessage(5101));
    chkLog[0]->setText(GetMessage(5102));
    chkLog[1]->setText(GetMessage(5104));
    chkLog[2]->setText(GetMessage(5103));
    cmdDetail->setText(GetMessage(5005));
    cmdLogInst->setText(GetMessage(5025));
    cmdLogInst->hide();
}

void BrowserPage::LayoutPage() {
    const double pw = Width(this);
    const double ph = Height(this);
    Move(tvwLog, 120, ui::ContentTop(this), pw * 0.35, ph * 0.75);
    const double treeBottom = Top(tvwLog) + Height(tvwLog);
    Move(fraLog, 120, treeBottom, Width(tvwLog), ph - treeBottom - 120);
    for (QCheckBox* box : chkLog)
        Move(box, Keep, Keep, Width(fraLog) - 240);
    const double right = Left(tvwLog) + Width(tvwLog);
    Move(lvwLog, right + 120, Top(tvwLog), pw - right - 240, ph * 0.42);
    Move(vfgLog, Left(lvwLog), Top(lvwLog) + Height(lvwLog) + 120, Width(lvwLog), ph * 0.42);
    const double gridBottom = Top(vfgLog) + Height(vfgLog);
    Move(cmdDetail, Left(lvwLog), gridBottom + 120, Width(vfgLog), ph - gridBottom - 240);

    switch (vfgLog->Cols()) {
        case 2:
            vfgLog->SetColWidths({0.5});
            break;
        case 3:
            vfgLog->SetColWidths({0.4, 0.25});
            break;
        case 4:
            vfgLog->SetColWidths({0.35, 0.2, 0.2});
            break;
        case 5:
            vfgLog->SetColWidths({0.27, 0.17, 0.17, 0.17});
            break;
        default:
            break;
    }
    vfgLog->FitColsToText();
}

QWidget* BrowserPage::MainControl() const {
    if (lvwLog->Count() > 0) return lvwLog;
    return tvwLog;
}

void BrowserPage::RefreshLogBrowser() {
    FillHidden([this] {
        tvwLog->Refresh();
        lvwLog->Refresh();
        vfgLog->Refresh();
    });
}

bool BrowserPage::Checked(int index) const {
    return chkLog[static_cast<size_t>(index)]->checkState() == Qt::Checked;
}

void BrowserPage::SetBoxesEnabled(bool enabled) {
    for (QCheckBox* box : chkLog)
        box->setEnabled(enabled);
}

void BrowserPage::RebuildTree() {
    host_->LogTreeChanged = true;
    const ui::FocusKeeper focus(*this);
    SetBoxesEnabled(false);
    const auto enable = qScopeGuard([this] { SetBoxesEnabled(true); });
    BuildLogTree();
}

}  // namespace qv
