// The gas a stored row was stored with. A log that gathers rows over several downloads (a month's
// events, an instrument's calibration history) can hold rows of two gases on one channel when a
// sensor was swapped between downloads: each row is shown, printed and exported with its own.
#pragma once

#include <QString>
#include <cstdint>

namespace qv {

class DbRow;
class clsHeader;

struct RowGas {
    QString Name;
    QString Unit;
    int16_t Points = 0;

    // "Name(Unit)", or "----(---)" for a channel without a name.
    QString Caption() const;
    // A reading or status code with this gas's decimal places.
    QString Form(float value, bool convert = false) const;
};

// The header's gas of a channel.
RowGas HeaderGas(const clsHeader& header, int gas);

// The gas of channel `gas` (0 to 4) in a cHistory or cLatestHist row (Gas<n>Name, Gas<n>Unit,
// Gas<n>Point). Rows written before the row kept its own gas, or a column left Null, take the
// log's gas of the channel, `fallback`.
RowGas HistoryRowGas(const DbRow& row, int gas, const RowGas& fallback);

// The gas of an Alarm_Event or Trouble_Event row: its GasName. Such a row keeps no unit or
// decimal places: they are the log's (`fallback`) where the row names the log's gas, and none
// where it names another.
RowGas EventRowGas(const DbRow& row, const RowGas& fallback);

}  // namespace qv
