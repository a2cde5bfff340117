// The stored-data tree, the condition of a node and the list of a node's content.
#include "AppError.h"
#include "BrowserKinds.h"
#include "BrowserPage.h"
#include "Database.h"
#include "Runtime.h"
#include "Twips.h"
#include "modGlobals.h"
#include "modKeys.h"
#include "modMessage.h"

#include <QMap>
#include <QSet>
#include <vector>

namespace qv {

namespace {

const QString kRootKey = QStringLiteral("0 #");
const QString kClosed = QStringLiteral("CloseFolder");
const QString kOpen = QStringLiteral("OpenFolder");

// One distinct combination of the values the tree groups by.
struct HeadGroup {
    std::array<QString, 4> values;  // serial number, station, user, folder, each TrimOrStar'd
    int32_t types = 0;
};

// A grouping level of the tree and the place of its value in HeadGroup.
struct Level {
    const GroupingLevel* level;
    size_t slot;
};

// The database compares identities and folders with its NOCASE rule, which folds the ASCII
// letters only; the tree groups by the same rule, so that a node lists what it stands for.
QString NoCaseFolded(const QString& value) {
    QString folded = value;
    for (QChar& c : folded)
        if (c >= u'A' && c <= u'Z') c = QChar(c.unicode() + (u'a' - u'A'));
    return folded;
}

// The grouping levels below the root, as the boxes choose them, then the folders.
std::vector<Level> GroupingLevels(bool serial, bool station, bool user) {
    std::vector<Level> levels;
    if (serial) levels.push_back({LevelOfLetter(u'S'), 0});
    if (station) levels.push_back({LevelOfLetter(u'T'), 1});
    if (user) levels.push_back({LevelOfLetter(u'U'), 2});
    levels.push_back({LevelOfLetter(u'M'), 3});
    return levels;
}

class TreeBuilder {
  public:
    TreeBuilder(ui::KeyedTree& tree, std::vector<Level> levels)
        : tree_(tree), levels_(std::move(levels)) {}

    // Adds the nodes below `parentKey` for these rows.
    void AddChildren(const QString& parentKey, const std::vector<const HeadGroup*>& rows,
                     size_t depth) {
        if (depth == levels_.size()) {
            AddCategories(parentKey, rows);
            return;
        }
        const Level& level = levels_[depth];
        // Values that differ only in the case of ASCII letters are one node, in order without
        // regard to that case.
        QMap<QString, std::pair<QString, std::vector<const HeadGroup*>>> groups;
        for (const HeadGroup* row : rows) {
            const QString& v = row->values[level.slot];
            auto& group = groups[NoCaseFolded(v)];
            if (group.second.empty()) group.first = v;
            group.second.push_back(row);
        }
        for (const auto& [text, children] : groups) {
            const QString key = GroupingKey(parentKey, level.level->letter, text);
            Add(parentKey, key, text);
            AddChildren(key, children, depth + 1);
        }
    }

  private:
    void AddCategories(const QString& folderKey, const std::vector<const HeadGroup*>& rows) {
        QSet<int32_t> present;
        for (const HeadGroup* row : rows)
            present.insert(row->types);
        for (const LogKind& kind : LogKinds()) {
            if (!present.contains(kind.types)) continue;
            if (kind.types == TypePowerEvents && !ServiceMode) continue;
            Add(folderKey, CategoryKey(folderKey, kind.category), GetMessage(kind.message));
        }
    }
    // Keys of different branches differ by their making: a key in use means a fault here, and
    // a branch left out of the tree would hide stored logs.
    void Add(const QString& parentKey, const QString& key, const QString& text) {
        if (!tree_.AddNode(parentKey, key, text, kClosed, kOpen))
            throw AppError(ErrInvalidCall,
                           QStringLiteral("The stored-data tree has a node under the key ") + key);
    }

    ui::KeyedTree& tree_;
    std::vector<Level> levels_;
};

}  // namespace

void BrowserPage::MakeLogTree() {
    Handle([&] {
        const bool rebuild = host_->LogTreeChanged;
        BuildLogTree();
        if (rebuild) RelistAfterRebuild();
    });
}

void BrowserPage::StoredDataChanged() {
    if (!host_) return;
    host_->LogTreeChanged = true;
    if (!ui::IsShown(this)) return;
    // A command waiting for the user goes on with what it showed; the page is built afresh
    // once it has ended.
    if (acting_ > 0)
        afreshPending_ = true;
    else
        ShowAfresh();
}

void BrowserPage::ShowAfresh() {
    afreshPending_ = false;
    Handle([&] {
        const QString selected = tvwLog->SelectedKey();
        QStringList opened;
        const std::function<void(const QString&)> collect = [&](const QString& key) {
            if (tvwLog->Expanded(key)) opened << key;
            for (const QString& child : tvwLog->ChildKeys(key))
                collect(child);
        };
        collect(tvwLog->RootKey());
        RebuildTree();
        for (const QString& key : opened)
            tvwLog->SetExpanded(key, true);
        if (tvwLog->Contains(selected)) tvwLog->SetSelectedKey(selected);
        RelistAfterRebuild();
        RefreshLogBrowser();
    });
}

void BrowserPage::RelistAfterRebuild() {
    // A list left as it was would offer items that no longer name what they named when shown.
    if (listKey_.isEmpty()) return;
    const QString selected = lvwLog->SelectedKey();
    const QString highlighted = lvwLog->DropHighlight();
    const QString shown = paneKey_;
    const LogKind* currentKind = nullptr;
    for (const LogKind& kind : LogKinds())
        if (kind.types == host_->CurDataType) currentKind = &kind;
    const QString current = currentKind && host_->CurSeqNo != 0
                                ? QString::number(host_->CurSeqNo) + u' ' + currentKind->record
                                : QString();
    if (tvwLog->Contains(listKey_)) {
        ShowLogList(listKey_);
    } else {
        lvwLog->ClearItems();
        lvwLog->Refresh();
    }
    const auto listed = [&](const QString& key) { return !key.isEmpty() && lvwLog->Contains(key); };
    lvwLog->SetSelectedKey(listed(selected) ? selected : QString());
    lvwLog->SetDropHighlight(listed(highlighted) ? highlighted : QString());
    if (listed(current)) {
        host_->CurDataType = currentKind->types;
        host_->CurSeqNo = GetLeadingNumber(current);
    } else {
        host_->CurDataType = 0;
        host_->CurSeqNo = 0;
    }
    if (listed(shown))
        ShowLogProperty(shown);
    else
        EmptyPane();
}

void BrowserPage::BuildLogTree() {
    if (host_->LogTreeChanged) {
        shownLogs_.clear();
        tvwLog->ClearItems();
        tvwLog->AddNode(QString(), kRootKey, GetMessage(5107), QStringLiteral("QV-4170"),
                        QStringLiteral("QV-4170"));
        Database db(DatabasePath);
        // The tree and the logs it stands for are read as one.
        Database::Transaction read(db);
        const auto rows = db.query(QStringLiteral(
            "Select Distinct SerialNo COLLATE NOCASE As SerialNo, StationID COLLATE NOCASE As "
            "StationID, UserID COLLATE NOCASE As UserID, FolderID COLLATE NOCASE As FolderID, "
            "Types From Log_Head;"));
        const QList<int32_t> stored = LogsUnder(db, LogWhere{});
        read.commit();
        std::vector<HeadGroup> groups;
        groups.reserve(rows.size());
        static const QString kColumns[4] = {"SerialNo", "StationID", "UserID", "FolderID"};
        for (const DbRow& row : rows) {
            HeadGroup g;
            for (size_t i = 0; i < 4; ++i)
                g.values[i] = TrimOrStar(row.toText(kColumns[i], QString()));
            g.types = static_cast<int32_t>(row.toLong(QStringLiteral("Types"), 0));
            groups.push_back(std::move(g));
        }
        std::vector<const HeadGroup*> all;
        for (const HeadGroup& g : groups)
            all.push_back(&g);
        TreeBuilder(*tvwLog, GroupingLevels(Checked(0), Checked(1), Checked(2)))
            .AddChildren(kRootKey, all, 0);
        tvwLog->SetExpanded(kRootKey, true);
        shownLogs_ = QSet<int32_t>(stored.begin(), stored.end());
        host_->LogTreeChanged = false;
        afreshPending_ = false;
    }
    tvwLog->Refresh();
}

std::optional<LogWhere> BrowserPage::MakeLogWhere(const QString& key) const {
    // A node no longer in the tree names no logs any more; the values a node stands for are
    // read from its key, whatever node holds that key now.
    if (!tvwLog->Contains(key)) return std::nullopt;
    LogWhere where;
    if (KeyLetter(key) == u'#') return where;
    const std::optional<KeyPath> path = ReadKeyPath(key);
    if (!path) return std::nullopt;
    QStringList terms;
    if (path->kind) {
        terms << QStringLiteral("Types = ?");
        where.params << path->kind->types;
    }
    // From the node up to the top level.
    for (auto level = path->levels.rbegin(); level != path->levels.rend(); ++level) {
        // The value is the stored one as the tree shows it: trimmed of blanks, "*" for Null, the
        // empty text, blanks or "*". The condition takes the column the same way, so that the
        // node lists and deletes what it stands for.
        terms << QStringLiteral("Coalesce(NullIf(Trim(") + level->first->column +
                     QStringLiteral("), ''), '*') = ? COLLATE NOCASE");
        where.params << level->second;
    }
    where.sql = terms.join(QStringLiteral(" And "));
    return where;
}

void BrowserPage::ShowLogList(const QString& key) {
    const QChar letter = KeyLetter(key);
    const double width = ui::Width(lvwLog);
    if (IsGroupingLetter(letter) || KindOfCategory(letter)) listKey_ = key;
    if (IsGroupingLetter(letter)) {
        lvwLog->ClearItems();
        lvwLog->ClearColumns();
        lvwLog->AddColumn(QStringLiteral("1 C"), QStringLiteral("DataName"), width * 0.30);
        lvwLog->AddColumn(QStringLiteral("2 C"), QStringLiteral("Type"), width * 0.25);
        lvwLog->AddColumn(QStringLiteral("3 C"), QStringLiteral("Date/Time"), width * 0.40);
        const QStringList children = tvwLog->ChildKeys(key);
        if (!children.isEmpty()) {
            lvwLog->SetSorted(false);
            for (const QString& child : children) {
                lvwLog->AddItem(child, QString(), kClosed, kOpen);
                const QChar childLetter = KeyLetter(child);
                QString heading;
                if (childLetter == u'S')
                    heading = GetMessage(5608);
                else if (childLetter == u'U')
                    heading = GetMessage(5610);
                else if (childLetter == u'T')
                    heading = GetMessage(5609);
                else if (childLetter == u'M')
                    heading = QStringLiteral("(MM/YY)");
                else if (KindOfCategory(childLetter))
                    heading = GetMessage(5667);
                lvwLog->SetColumnText(0, heading);
                lvwLog->SetText(child, tvwLog->Text(child));
                lvwLog->SetSubItem(child, 1, QString());
            }
            const QString first = lvwLog->Keys().front();
            lvwLog->SetSelectedKey(first);
            lvwLog->SetDropHighlight(first);
            host_->CurDataType = 0;
            host_->CurSeqNo = 0;
        }
    } else if (const LogKind* kind = KindOfCategory(letter)) {
        lvwLog->ClearItems();
        lvwLog->ClearColumns();
        const struct {
            const char *key, *text;
            double share;
        } columns[] = {{"1 C", "Name", 0.25},
                       {"2 C", "SerialNo", 0.16},
                       {"3 C", "StationID", 0.16},
                       {"4 C", "UserID", 0.15},
                       {"5 C", "Date/Time", 0.25}};
        for (const auto& c : columns)
            lvwLog->AddColumn(QString::fromLatin1(c.key), QString::fromLatin1(c.text),
                              width * c.share);
        const std::optional<LogWhere> where = MakeLogWhere(key);
        if (!where) return;
        Database db(DatabasePath);
        const auto rows =
            db.query(QStringLiteral(
                         "Select SeqNo, Names, SerialNo, StationID, UserID, Dates From Log_Head") +
                         where->Clause() + u';',
                     where->params);
        if (!rows.empty()) {
            lvwLog->SetSorted(false);
            const QString icon = QString::fromLatin1(kind->icon);
            for (const DbRow& row : rows) {
                const QString item =
                    QString::number(row.toLong(QStringLiteral("SeqNo"), 0)) + u' ' + kind->record;
                const QDateTime dates = row.toDate(QStringLiteral("Dates"), QDateTime());
                lvwLog->AddItem(item, rt::Trim(row.toText(QStringLiteral("Names"), QString())),
                                icon, icon,
                                {row.toText(QStringLiteral("SerialNo"), QString()),
                                 row.toText(QStringLiteral("StationID"), QString()),
                                 row.toText(QStringLiteral("UserID"), QString()),
                                 dates.isValid() ? GeneralDate(dates) : QString()});
                shownLogs_.insert(GetLeadingNumber(item));
            }
            lvwLog->SetSortOrder(0);
            lvwLog->SetSorted(true);
            const QString first = lvwLog->Keys().front();
            lvwLog->SetSelectedKey(first);
            lvwLog->SetDropHighlight(first);
            host_->CurDataType = 0;
            host_->CurSeqNo = 0;
        }
    }
    lvwLog->Refresh();
}

}  // namespace qv
