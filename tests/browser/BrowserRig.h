// Test rig of the stored-data page on its own: the shared fixture database, scripted dialogs,
// the English catalogue, and a host whose window entries record their calls.
#pragma once

#include "BrowserPage.h"
#include "BrowserState.h"
#include "FixtureDatabase.h"
#include "ScriptedDialogs.h"
#include "Twips.h"
#include "modGlobals.h"
#include "modMessage.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMouseEvent>
#include <functional>
#include <memory>
#include <utility>

namespace qv::test {

class BrowserRig : public ::testing::Test, public BrowserState {
  protected:
    void SetUp() override {
        ResetGlobals();
        fixture_ = std::make_unique<FixtureDatabase>();
        SetCatalogueLanguage(CatalogueLanguage::English);
        ConvFactor = 0.05f;
        auto call = [this](const char* name) { return [this, name] { calls << name; }; };
        page.Bind(Host(
            [this] {
                calls << "password";
                if (whilePassword) std::exchange(whilePassword, nullptr)();
                PasswordOK = passwordAccepted;
            },
            call("open data view"), call("data view"),
            [this] { calls << (ShowLogInstrument ? "instrument [log]" : "instrument"); },
            [this](int index) { calls << QString("page %1").arg(index); }));
        page.SetCaptions();
        page.resize(ui::ToPixelsX(12000), ui::ToPixelsY(8000));
        page.show();
        page.LayoutPage();
    }
    void TearDown() override {
        fixture_.reset();
        FollowSystemLanguage();
        ResetGlobals();
    }

    const FixtureLogs& logs() const { return fixture_->logs(); }
    long long Count(const QString& table) const { return fixture_->count(table); }
    // Builds the tree with these grouping boxes ticked, as opening the page does.
    void Open(bool serial = false, bool station = false, bool user = false) {
        page.chkLog[0]->setChecked(serial);
        page.chkLog[1]->setChecked(station);
        page.chkLog[2]->setChecked(user);
        LogTreeChanged = true;
        page.MakeLogTree();
    }
    // The texts of a node's children.
    QStringList Children(const QString& key) const {
        QStringList texts;
        for (const QString& child : page.tvwLog->ChildKeys(key))
            texts << page.tvwLog->Text(child);
        return texts;
    }
    // The key of the child of `parent` with this text (case-blind), "" when there is none.
    QString Child(const QString& parent, const QString& text) const {
        for (const QString& child : page.tvwLog->ChildKeys(parent))
            if (page.tvwLog->Text(child).compare(text, Qt::CaseInsensitive) == 0) return child;
        return {};
    }
    // The node reached from the root through these texts.
    QString Path(const QStringList& texts) const {
        QString key = page.tvwLog->RootKey();
        for (const QString& text : texts)
            key = Child(key, text);
        return key;
    }
    QStringList ListTexts() const {
        QStringList texts;
        for (const QString& key : page.lvwLog->Keys())
            texts << page.lvwLog->Text(key);
        return texts;
    }
    QStringList PaneRow(int row) const {
        QStringList texts;
        for (int c = 0; c < page.vfgLog->Cols(); ++c)
            texts << page.vfgLog->TextMatrix(row, c);
        return texts;
    }
    int32_t PaneColor(int row, int col) {
        page.vfgLog->SetRow(row);
        page.vfgLog->SetCol(col);
        return page.vfgLog->CellBackColor();
    }
    // Presses a mouse button on a tree node or list item, scrolled into view.
    static void Press(ui::KeyedItemView& view, const QString& key, Qt::MouseButton button) {
        view.scrollToItem(view.Item(key));
        const QPoint at = view.visualItemRect(view.Item(key)).center();
        QMouseEvent press(QEvent::MouseButtonPress, at, view.viewport()->mapToGlobal(at), button,
                          button, Qt::NoModifier);
        QCoreApplication::sendEvent(view.viewport(), &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, view.viewport()->mapToGlobal(at),
                            button, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view.viewport(), &release);
    }
    // Presses the left button on an item twice, the second press a double click.
    static void DoubleClick(ui::KeyedItemView& view, const QString& key) {
        Press(view, key, Qt::LeftButton);
        const QPoint at = view.visualItemRect(view.Item(key)).center();
        QMouseEvent twice(QEvent::MouseButtonDblClick, at, view.viewport()->mapToGlobal(at),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view.viewport(), &twice);
    }
    // The key of the list item with this text, "" when none shows it.
    QString ListKey(const QString& text) const {
        for (const QString& key : page.lvwLog->Keys())
            if (page.lvwLog->Text(key) == text) return key;
        return {};
    }
    // An interval trend of two samples from 05/20, written as the program writes it, then its
    // identity and folder changed by hand as another tool could leave them (Null stays Null).
    int32_t AddMendedLog(const QString& name, const QVariant& serial, const QVariant& station,
                         const QVariant& user, const QVariant& folder) {
        int32_t seqNo = 0;
        {
            FixtureBuilder builder(DatabasePath);
            seqNo = builder.AddInterval(FixtureDatabase::A(), name,
                                        QDateTime(QDate(2024, 5, 20), QTime(9, 0)), 2);
            builder.Commit();
        }
        Database(DatabasePath)
            .execute(
                "Update Log_head Set SerialNo = ?, StationID = ?, UserID = ?, FolderID = ? "
                "Where SeqNo = ?",
                {serial, station, user, folder, seqNo});
        return seqNo;
    }
    QString LastMessage() const {
        const QStringList shown = dialogs.messages();
        return shown.isEmpty() ? QString() : shown.last();
    }
    static QString Key(int32_t seqNo, char letter) {
        return QString::number(seqNo) + u' ' + QChar::fromLatin1(letter);
    }

    std::unique_ptr<FixtureDatabase> fixture_;
    ScriptedDialogs dialogs;
    BrowserPage page;
    bool passwordAccepted = true;
    // Runs once while the password dialog would be shown.
    std::function<void()> whilePassword;
    QStringList calls;
};

}  // namespace qv::test
