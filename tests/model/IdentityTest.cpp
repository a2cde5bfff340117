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

TEST(IdentityTexts, CompareWithoutRegardToCase) {
    for (const bool plain : {false, true}) {
        SCOPED_TRACE(plain ? "columns without collation" : "new file");
        test::ScratchDatabase scratch;
        if (plain) {
            QFile::remove(scratch.path());
            auto db = Database::CreateNew(scratch.path());
            for (QString statement : CreateTableStatements())
                db->execute(statement.remove(QStringLiteral(" COLLATE NOCASE")));
        }
        const auto headers = [&](int32_t types) {
            return Database(scratch.path())
                .scalar("Select Count(*) From Log_Head Where Types=?", {types})
                .toInt();
        };
        for (const QString serial : {"A1234567", "a1234567"}) {
            const bool upper = serial == "A1234567";
            auto inst = std::make_shared<clsInstrument>();
            inst->SetUserId(upper ? "USER01" : "user01");
            inst->SetStationID(upper ? "ST-A" : "st-a");
            inst->SetSerialNo(serial);
            // The duplicate probe of a log.
            clsHeader h;
            h.SetNames(upper ? "iv08123000" : "IV08123000");
            h.SetFolderID(upper ? "AB/14" : "ab/14");
            h.SetTypes(TypeInterval);
            h.CopyFromInstruments(inst.get());
            EXPECT_EQ(h.InsertDatabase(), upper ? 1 : -1);
            // Events grouped under one header per identity.
            clsPowerEvents p;
            const QString stamp = test::Stamp(14, 5, 13, upper ? 8 : 9, 0, 0);
            ASSERT_TRUE(test::Download(p, {("01FD" + stamp + "1111").leftJustified(24)}));
            p.Item(1)->SetInstrument(inst);
            p.Item(1)->Update();
            // One calibration-history header per identity.
            clsHistorys c;
            c.SetInstruments(inst);
            const QStringList lines{
                "01" + rt::FormatDate(rt::MakeDate(2020, 1, upper ? 1 : 2), "yymmddhhnnss") +
                "  0.0  0.1"};
            ASSERT_TRUE(c.TestLines(0, lines) && c.StoreLines(0, lines));
            c.Item(1)->HistoryUpdate();
            // One latest calibration per identity.
            EXPECT_TRUE(inst->HistoryUpdate());
        }
        EXPECT_EQ(headers(TypePowerEvents), 1);
        EXPECT_EQ(scratch.count("Power_Event"), 2);
        EXPECT_EQ(headers(TypeCalHistory), 1);
        EXPECT_EQ(scratch.count("cHistory"), 2);
        EXPECT_EQ(scratch.count("cLatestHist"), 1);
        // A new file's columns carry the collation themselves, for every later query.
        const QVariant found = Database(scratch.path())
                                   .scalar("Select SeqNo From cLatestHist Where SerialNo=?",
                                           {QStringLiteral("A1234567")});
        EXPECT_EQ(found.isNull(), plain);
    }
}
