// What every downloaded record set shares: its collection key, the key of its stored header,
// the owned log header, the instrument whose settings fill the header's empty fields, and the
// copy of the database path taken at its last ClearDatas.
#pragma once

#include "clsHeader.h"

#include <QString>
#include <cstdint>
#include <memory>

namespace qv {

class clsInstrument;
class Database;

class clsRecordSet {
  public:
    virtual ~clsRecordSet() = default;

    const QString& Key() const { return key_; }
    void SetKey(const QString& v) { key_ = v; }
    int32_t SeqNo() const { return seqNo_; }
    void SetSeqNo(int32_t v) { seqNo_ = v; }
    clsHeader& GasInfo() { return header_; }
    const clsHeader& GasInfo() const { return header_; }
    const std::shared_ptr<clsInstrument>& Instrument() const { return instrument_; }
    void SetInstrument(std::shared_ptr<clsInstrument> v) { instrument_ = std::move(v); }

    virtual void ClearDatas() = 0;
    // Loads the stored log whose header key is SeqNo.
    virtual void ReLoad() = 0;

  protected:
    // Resets the shared fields: header cleared and given the kind, path copied.
    void ClearShared(int32_t types);
    // Reads a gas-table line: five blocks of 13 columns from column 5 (name, full scale,
    // resolution step). A block named "***" or blank disables its channel; a block whose numbers
    // are not numeric stores nothing and makes the answer False, the other blocks still count.
    bool ReadGasTable(const QString& vData, bool TestFlag);
    // Refuses to store without an instrument: the header's empty fields could not be filled.
    void RequireInstrument() const;
    // The stored count of a header that later downloads add to is the number of rows it holds.
    // Sets the count of the header relNo to the rows it holds in `table`.
    static void StoreRowCount(Database& db, const QString& table, int32_t relNo);
    // Readies the repeat check of `table` before a store: its index is made when the file lacks
    // it, and a file stored into for the first time so gets the counts of every header of the
    // kind `types` set from their rows, which adding keeps from then on.
    static void PrepareRepeatCheck(Database& db, const QString& table, int32_t types);

    QString key_;
    int32_t seqNo_ = 0;
    clsHeader header_;
    std::shared_ptr<clsInstrument> instrument_;
    QString dbPath_;
};

// The characters of a line with codes 32 to 126, in order.
QString PrintableOnly(const QString& text);

// Takes a date of year 2000 + YY, month and day from columns start, start + 2 and start + 4 and
// the time from the three two-character fields after them. Returns false when a field is not
// numeric; `date` and `timeOk` tell what was readable.
struct LineDate {
    bool dateOk = false;
    bool timeOk = false;
    QDateTime date;  // the date part, and the time added when timeOk
};
LineDate ReadLineDate(const QString& line, int start);

}  // namespace qv
