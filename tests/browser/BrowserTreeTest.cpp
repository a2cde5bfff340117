// The stored-data tree for each grouping, node conditions and the lists of nodes.
#include "BrowserRig.h"

#include <QHeaderView>

namespace qv::test {
namespace {

QStringList Folded(QStringList texts) {
    for (QString& t : texts)
        t = t.toCaseFolded();
    return texts;
}

using BrowserTree = BrowserRig;

TEST_F(BrowserTree, EachGroupingBuildsItsLevels) {
    const struct {
        bool serial, station, user;
        QStringList path;      // texts from the root
        QStringList children;  // of the node at the end of the path, compared without case
    } cases[] = {
        {false, false, false, {}, {"-----", "05/24", "06/24", "12/23"}},
        {false, false, false, {"-----"}, {"Calibration History"}},
        {false,
         false,
         false,
         {"05/24"},
         {"Interval Trend", "Alarm Trend", "Alarm Events", "Trouble Events"}},
        {true, false, false, {}, {"*", "1", "12", "SN1001", "SN2002"}},
        {true, false, false, {"sn1001"}, {"-----", "05/24", "06/24"}},
        {false, true, false, {}, {"*", "23", "3", "ST-1", "St-2", "x' Or ''='"}},
        {false, false, true, {}, {"*", "Alice", "Bob", "O'Brien"}},
        {false,
         false,
         true,
         {"alice", "05/24"},
         {"Interval Trend", "Alarm Trend", "Alarm Events", "Trouble Events"}},
        {true, false, true, {"SN1001"}, {"Alice"}},
        {true, false, true, {"SN1001", "Alice"}, {"-----", "05/24", "06/24"}},
        {true, true, true, {"SN1001"}, {"ST-1", "St-2"}},
        // B's power events make a folder without categories outside the service mode.
        {true, true, true, {"SN1001", "St-2", "Alice"}, {"-----", "05/24"}},
        {true, true, true, {"SN1001", "St-2", "Alice", "-----"}, {}},
    };
    for (const auto& c : cases) {
        Open(c.serial, c.station, c.user);
        const QString node = Path(c.path);
        ASSERT_FALSE(node.isEmpty()) << c.path.join('/').toStdString();
        EXPECT_EQ(Folded(Children(node)), Folded(c.children)) << c.path.join('/').toStdString();
        EXPECT_TRUE(page.tvwLog->Expanded(page.tvwLog->RootKey()));
        EXPECT_FALSE(LogTreeChanged);
    }
    EXPECT_EQ(page.tvwLog->Text("0 #"), "QV-4170 Data");

    // Power events only in service mode.
    ServiceMode = true;
    Open();
    EXPECT_EQ(Children(Path({"-----"})), (QStringList{"Calibration History", "Power Events"}));
}

TEST_F(BrowserTree, KeysCarryEveryLevelAndNeverClash) {
    Open(true, true, true);
    EXPECT_EQ(Path({"SN1001"}), "SN1001 S");
    EXPECT_EQ(Path({"SN1001", "ST-1", "Alice", "05/24"}), "SN1001|S|ST-1|T|Alice|U|05/24 M");
    EXPECT_EQ(Path({"SN1001", "ST-1", "Alice", "05/24", "Interval Trend"}),
              "SN1001|S|ST-1|T|Alice|U|05/24 I");
    // Serial 1 with station 23 and serial 12 with station 3 run together as one text; their
    // keys differ, and each lists only its own log.
    EXPECT_EQ(Path({"1", "23"}), "1|S|23 T");
    EXPECT_EQ(Path({"12", "3"}), "12|S|3 T");
    for (const auto& [path, log] :
         {std::pair{QStringList{"1", "23", "Bob", "05/24", "Interval Trend"}, logs().intervalF},
          std::pair{QStringList{"12", "3", "Bob", "05/24", "Interval Trend"}, logs().intervalE}}) {
        page.ShowLogList(Path(path));
        EXPECT_EQ(page.lvwLog->Keys(), QStringList{Key(log, 'G')});
    }

    // A value holding the separator, the escape or a letter outside ASCII in either case is a
    // node of its own with a key of its own.
    const QStringList odd{"A|S|B", "50%", "\u00e4b1", "\u00c4B1"};
    QList<int32_t> seqNos;
    for (const QString& station : odd)
        seqNos << AddMendedLog(station, "SN1001", station, "Alice", "05/24");
    Open(false, true, false);
    for (qsizetype i = 0; i < odd.size(); ++i) {
        QString station;
        for (const QString& key : page.tvwLog->ChildKeys("0 #"))
            if (page.tvwLog->Text(key) == odd[i]) station = key;
        const QString node = Child(Child(station, "05/24"), "Interval Trend");
        ASSERT_FALSE(node.isEmpty()) << i;
        page.ShowLogList(node);
        EXPECT_EQ(page.lvwLog->Keys(), QStringList{Key(seqNos[i], 'G')}) << i;
    }
}

TEST_F(BrowserTree, ConditionsAreBoundAndCaseBlind) {
    Open(false, true, false);
    const QString station = Path({"x' Or ''='"});
    const auto where = page.MakeLogWhere(Path({"x' Or ''='", "12/23", "Interval Trend"}));
    ASSERT_TRUE(where.has_value());
    EXPECT_EQ(where->sql,
              "Types = ? And Coalesce(NullIf(Trim(FolderID), ''), '*') = ? COLLATE NOCASE And "
              "Coalesce(NullIf(Trim(StationID), ''), '*') = ? COLLATE NOCASE");
    EXPECT_EQ(where->params, (QVariantList{1, "12/23", "x' Or ''='"}));
    EXPECT_EQ(page.MakeLogWhere("0 #")->Clause(), "");
    EXPECT_FALSE(page.MakeLogWhere("no such S").has_value());
    EXPECT_EQ(Children(station), (QStringList{"-----", "12/23"}));

    // Both spellings of a station in one node, and its list holds the logs of both.
    Open(true, false, false);
    page.ShowLogList(Path({"SN1001", "05/24", "Interval Trend"}));
    EXPECT_EQ(ListTexts(), (QStringList{"Tank 'A' run", "tank b"}));
}

TEST_F(BrowserTree, EmptyBlankAndNullValuesAreListedUnderTheStar) {
    const QVariant null;
    const QString blanks = "   ";
    AddMendedLog("null serial", null, "ST-1", "Alice", "05/24");
    AddMendedLog("empty serial", "", "ST-1", "Alice", "05/24");
    AddMendedLog("blank serial", blanks, "ST-1", "Alice", "05/24");
    const int32_t paddedSerial =
        AddMendedLog("padded serial", " SN1001 ", "ST-1", "Alice", "05/24");
    const int32_t nullFolder = AddMendedLog("null folder", "SN1001", "ST-1", "Alice", null);
    const int32_t blankAll = AddMendedLog("blank all", blanks, "", null, blanks);

    Open(true, false, false);
    page.ShowLogList(Path({"*", "05/24", "Interval Trend"}));
    EXPECT_EQ(ListTexts(),
              (QStringList{"blank serial", "empty serial", "iv15100000", "null serial"}));
    page.ShowLogList(Path({"SN1001", "05/24", "Interval Trend"}));
    EXPECT_TRUE(page.lvwLog->Contains(Key(paddedSerial, 'G')));
    page.ShowLogList(Path({"SN1001", "*", "Interval Trend"}));
    EXPECT_EQ(page.lvwLog->Keys(), QStringList{Key(nullFolder, 'G')});
    page.ShowLogList(Path({"*", "*", "Interval Trend"}));
    EXPECT_EQ(page.lvwLog->Keys(), QStringList{Key(blankAll, 'G')});
}

TEST_F(BrowserTree, CaseIsFoldedOneWayForTheTreeAndTheList) {
    // Letters outside ASCII keep their case, as stored identities compare; ASCII ones do not.
    const QString upper = "\u00c4B1", lower = "\u00e4b1", mixed = "\u00e4B1";
    const int32_t a = AddMendedLog("upper", "SN1001", upper, "Alice", "05/24");
    const int32_t b = AddMendedLog("lower", "SN1001", lower, "Alice", "05/24");
    const int32_t c = AddMendedLog("mixed", "SN1001", mixed, "Alice", "05/24");
    Open(false, true, false);
    // The station node of each spelling, found by its first letter alone.
    auto station = [&](QChar first) {
        for (const QString& key : page.tvwLog->ChildKeys("0 #"))
            if (page.tvwLog->Text(key).startsWith(first)) return key;
        return QString();
    };
    const QString upperNode = station(upper[0]), lowerNode = station(lower[0]);
    ASSERT_FALSE(upperNode.isEmpty());
    ASSERT_FALSE(lowerNode.isEmpty());
    EXPECT_EQ(Children("0 #").size(), 8);
    for (const auto& [node, logs] :
         {std::pair{upperNode, QList<int32_t>{a}}, std::pair{lowerNode, QList<int32_t>{b, c}}}) {
        const QString category =
            page.tvwLog->ChildKeys(page.tvwLog->ChildKeys(node).value(0)).value(0);
        ASSERT_TRUE(category.endsWith(" I")) << category.toStdString();
        page.ShowLogList(category);
        QStringList keys;
        for (int32_t log : logs)
            keys << Key(log, 'G');
        EXPECT_EQ(page.lvwLog->Keys(), keys) << node.toStdString();
    }
}

TEST_F(BrowserTree, ListsOfFoldersAndLogs) {
    // Before any node is listed the list shows no column of its own and no heading.
    Open();
    const QTreeWidgetItem* heading = page.lvwLog->headerItem();
    EXPECT_EQ(page.lvwLog->ColumnCount(), 0);
    EXPECT_EQ(page.lvwLog->header()->count(), heading->columnCount());
    for (int c = 0; c < heading->columnCount(); ++c)
        EXPECT_EQ(heading->text(c), "") << c;

    CurDataType = 5;
    page.ShowLogList("0 #");
    EXPECT_EQ(page.lvwLog->ColumnText(0), "(MM/YY)");
    EXPECT_EQ(ListTexts(), (QStringList{"-----", "05/24", "06/24", "12/23"}));
    EXPECT_EQ(page.lvwLog->SelectedKey(), page.lvwLog->Keys().front());
    EXPECT_EQ(CurDataType, 0);

    page.ShowLogList(Path({"05/24"}));
    EXPECT_EQ(page.lvwLog->ColumnText(0), "Folder");
    EXPECT_EQ(page.lvwLog->Keys().front(), "05/24 I");

    page.ShowLogList(Path({"05/24", "Interval Trend"}));
    EXPECT_EQ(page.lvwLog->ColumnCount(), 5);
    EXPECT_EQ(ListTexts(),
              (QStringList{"iv15100000", "iv16100000", "iv17100000", "Tank 'A' run", "tank b"}));
    const QString a = Key(logs().intervalA0514, 'G');
    EXPECT_EQ(page.lvwLog->SubItem(a, 1), "SN1001");
    EXPECT_EQ(page.lvwLog->SubItem(a, 2), "ST-1");
    EXPECT_EQ(page.lvwLog->SubItem(a, 3), "Alice");
    EXPECT_EQ(page.lvwLog->SubItem(a, 4), "5/14/2024 10:00:00 AM");
    EXPECT_TRUE(page.lvwLog->Sorted());

    page.ShowLogList(Path({"-----", "Calibration History"}));
    EXPECT_EQ(page.lvwLog->Keys(),
              (QStringList{Key(logs().historyA, 'H'), Key(logs().historyC, 'H')}));
    EXPECT_EQ(page.lvwLog->Item(page.lvwLog->Keys().front())->icon(0).cacheKey(),
              page.lvwLog->Image("History").cacheKey());

    // A category without logs leaves the list empty with its columns, the current log kept.
    CurDataType = 2;
    Database(DatabasePath).execute("Delete From Log_head Where Types = 2");
    page.ShowLogList(Path({"05/24", "Alarm Trend"}));
    EXPECT_EQ(page.lvwLog->Count(), 0);
    EXPECT_EQ(page.lvwLog->ColumnCount(), 5);
    EXPECT_EQ(CurDataType, 2);
}

TEST_F(BrowserTree, ARebuildHappensOnlyWhenAskedFor) {
    Open();
    const QString folder = Path({"05/24"});
    page.tvwLog->SetExpanded(folder, true);
    page.MakeLogTree();
    EXPECT_TRUE(page.tvwLog->Expanded(folder));
    Database(DatabasePath).execute("Delete From Log_head");
    page.MakeLogTree();
    EXPECT_EQ(Children("0 #").size(), 4);
    LogTreeChanged = true;
    page.MakeLogTree();
    EXPECT_TRUE(Children("0 #").isEmpty());
    EXPECT_TRUE(page.tvwLog->Expanded("0 #"));

    // A database that cannot be read is reported; the flag stays for the next try.
    LogTreeChanged = true;
    DatabasePath += ".gone";
    page.MakeLogTree();
    EXPECT_TRUE(LogTreeChanged);
    EXPECT_EQ(dialogs.asked().back().style, vbCritical);
}

}  // namespace
}  // namespace qv::test
