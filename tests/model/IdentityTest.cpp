// Identity texts (serial number, station, user, log name and folder) compare without regard to
// case wherever a stored row is looked up, in new database files and in files whose columns
// were made without a collation.
#include "Database.h"
#include "Dates.h"
#include "ModelTestLines.h"
#include "TestSupport.h"
#include "clsHeader.h"
#include "clsHistorys.h"
#include "clsInstrument.h"
#include "clsPowerEvents.h"
#include "modDatabase.h"
#include "modGlobals.h"

#include <gtest/gtest.h>

#include <QFile>

using namespace qv;

namespace {

std::shared_ptr<clsInstrument> Instrument(const QString& user, const QString& station,
                                          const QString& serial) {
    auto inst = std::make_shared<clsInstrument>();
    inst->SetUserId(user);
    inst->SetStationID(station);
    inst->SetSerialNo(serial);
    inst->SetGasName(0, "CH4");
    return inst;
}

// Replaces the scratch file by one whose tables have no collation of their own.
void MakePlainColumns(const test::ScratchDatabase& scratch) {
    QFile::remove(scratch.path());
    auto db = Database::CreateNew(scratch.path());
    for (QString statement : CreateTableStatements())
        db->execute(statement.remove(QStringLiteral(" COLLATE NOCASE")));
}

long long Headers(const test::ScratchDatabase& scratch, int32_t types) {
    return Database(scratch.path())
        .scalar(QStringLiteral("Select Count(*) From Log_Head Where Types=?"), {types})
        .toLongLong();
}

}  // namespace

TEST(IdentityTexts, CompareWithoutRegardToCase) {
    for (const bool plain : {false, true}) {
        SCOPED_TRACE(plain ? "columns without collation" : "new file");
        test::ScratchDatabase scratch;
        if (plain) MakePlainColumns(scratch);
        const auto upper = Instrument("USER01", "ST-A", "A1234567");
        const auto lower = Instrument("user01", "st-a", "a1234567");

        // The duplicate probe of a log.
        clsHeader h;
        h.SetNames("iv08123000");
        h.SetFolderID("AB/14");
        h.SetTypes(TypeInterval);
        h.CopyFromInstruments(upper.get());
        ASSERT_EQ(h.InsertDatabase(), 1);
        h.SetNames("IV08123000");
        h.SetFolderID("ab/14");
        h.SetUserId("user01");
        h.SetStationID("st-a");
        h.SetSerialNo("a1234567");
        EXPECT_EQ(h.InsertDatabase(), -1);

        // Events grouped under one header per identity.
        for (const auto& inst : {upper, lower}) {
            clsPowerEvents p;
            const QString stamp = test::Stamp(14, 5, 13, inst == upper ? 8 : 9, 0, 0);
            ASSERT_TRUE(test::Download(p, {("01FD" + stamp + "1111").leftJustified(24)}));
            p.Item(1)->SetInstrument(inst);
            p.Item(1)->Update();
        }
        EXPECT_EQ(Headers(scratch, TypePowerEvents), 1);
        EXPECT_EQ(scratch.count("Power_Event"), 2);

        // One calibration-history header per identity.
        for (const auto& inst : {upper, lower}) {
            clsHistorys c;
            c.SetInstruments(inst);
            const QDateTime when = rt::MakeDate(2020, 1, inst == upper ? 1 : 2, 9, 30, 0);
            const QStringList lines{"01" + rt::FormatDate(when, "yymmddhhnnss") + "  0.0  0.1"};
            ASSERT_TRUE(c.TestLines(0, lines) && c.StoreLines(0, lines));
            c.Item(1)->HistoryUpdate();
        }
        EXPECT_EQ(Headers(scratch, TypeCalHistory), 1);
        EXPECT_EQ(scratch.count("cHistory"), 2);

        // One latest calibration per identity.
        EXPECT_TRUE(upper->HistoryUpdate());
        EXPECT_TRUE(lower->HistoryUpdate());
        EXPECT_EQ(scratch.count("cLatestHist"), 1);
        // A new file's columns carry the collation themselves, for every later query.
        if (!plain) {
            EXPECT_EQ(Database(scratch.path())
                          .scalar("Select Count(*) From cLatestHist Where SerialNo=?", {"A1234567"})
                          .toInt(),
                      1);
        }
    }
}
