// The stored-data tree, the condition of a node and the list of a node's content.
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

// The column of each grouping letter and its place in HeadGroup.
struct Level {
    QChar letter;
    QString column;
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
    if (serial) levels.push_back({u'S', QStringLiteral("SerialNo"), 0});
    if (station) levels.push_back({u'T', QStringLiteral("StationID"), 1});
    if (user) levels.push_back({u'U', QStringLiteral("UserID"), 2});
    levels.push_back({u'M', QStringLiteral("FolderID"), 3});
    return levels;
}

class TreeBuilder {
  public:
    TreeBuilder(ui::KeyedTree& tree, std::vector<Level> levels)
        : tree_(tree), levels_(std::move(levels)) {}

    // Adds the nodes below `parentKey` for these rows; `prefix` is the value part that the
    // children's keys start with.
    void AddChildren(const QString& parentKey, const QString& prefix,
                     const std::vector<const HeadGroup*>& rows, size_t depth) {
        if (depth == levels_.size()) {
            AddCategories(parentKey, prefix, rows);
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
            const QString key = tree_.UniqueKey(prefix + text + u' ' + level.letter);
            tree_.AddNode(parentKey, key, text, kClosed, kOpen);
            tree_.SetTag(key, QVariantList{level.column, text});
            AddChildren(key, DropLastTwo(key), children, depth + 1);
        }
    }

  private:
    void AddCategories(const QString& folderKey, const QString& prefix,
                       const std::vector<const HeadGroup*>& rows) {
        QSet<int32_t> present;
        for (const HeadGroup* row : rows)
            present.insert(row->types);
        for (const LogKind& kind : LogKinds()) {
            if (!present.contains(kind.types)) continue;
            if (kind.types == TypePowerEvents && !ServiceMode) continue;
            const QString key = tree_.UniqueKey(prefix + u' ' + kind.category);
            tree_.AddNode(folderKey, key, GetMessage(kind.message), kClosed, kOpen);
            tree_.SetTag(key, QVariantList{QStringLiteral("Types"), kind.types});
        }
    }

    ui::KeyedTree& tree_;
    std::vector<Level> levels_;
};

}  // namespace

void BrowserPage::MakeLogTree() {
    Handle([&] { BuildLogTree(); });
}

void BrowserPage::BuildLogTree() {
    if (host_->LogTreeChanged) {
        tvwLog->ClearItems();
        tvwLog->AddNode(QString(), kRootKey, GetMessage(5107), QStringLiteral("QV-4170"),
                        QStringLiteral("QV-4170"));
        const auto rows = Database(DatabasePath)
                              .query(QStringLiteral(
                                  "Select Distinct SerialNo COLLATE NOCASE As SerialNo, StationID "
                                  "COLLATE NOCASE As StationID, UserID COLLATE NOCASE As UserID, "
                                  "FolderID COLLATE NOCASE As FolderID, Types From Log_Head;"));
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
            .AddChildren(kRootKey, QString(), all, 0);
        tvwLog->SetExpanded(kRootKey, true);
        host_->LogTreeChanged = false;
    }
    tvwLog->Refresh();
}

std::optional<LogWhere> BrowserPage::MakeLogWhere(const QString& key) const {
    if (!tvwLog->Contains(key)) return std::nullopt;
    LogWhere where;
    QStringList terms;
    for (QString node = key; !node.isEmpty() && KeyLetter(node) != u'#';
         node = tvwLog->ParentKey(node)) {
        const QVariantList tag = tvwLog->Tag(node).toList();
        if (tag.size() != 2) return std::nullopt;
        const QString column = tag[0].toString();
        if (column == QLatin1String("Types")) {
            terms << QStringLiteral("Types = ?");
            where.params << tag[1].toInt();
        } else {
            // The node's text is the stored value as the tree shows it: trimmed of blanks, "*"
            // for Null, the empty text, blanks or "*". The condition takes the column the same
            // way, so that the node lists and deletes what it stands for.
            terms << QStringLiteral("Coalesce(NullIf(Trim(") + column +
                         QStringLiteral("), ''), '*') = ? COLLATE NOCASE");
            where.params << tag[1].toString();
        }
    }
    where.sql = terms.join(QStringLiteral(" And "));
    return where;
}

void BrowserPage::ShowLogList(const QString& key) {
    const QChar letter = KeyLetter(key);
    const double width = ui::Width(lvwLog);
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
