// The gas of a stored row: read from the row's own columns, the log's where the row has none.
#include "RowGas.h"

#include "Database.h"
#include "clsHeader.h"
#include "modGasCommon.h"

namespace qv {

QString RowGas::Caption() const {
    return FormatNameUnit(Name, Unit);
}

QString RowGas::Form(float value, bool convert) const {
    return FormatGasValue(value, Points, convert);
}

RowGas HeaderGas(const clsHeader& header, int gas) {
    return {header.GasName(gas), header.GasUnit(gas), header.GasPoint(gas)};
}

RowGas HistoryRowGas(const DbRow& row, int gas, const RowGas& fallback) {
    const QString prefix = QStringLiteral("Gas%1").arg(gas + 1);
    RowGas g;
    g.Name = row.toText(prefix + QStringLiteral("Name"), fallback.Name);
    g.Unit = row.toText(prefix + QStringLiteral("Unit"), fallback.Unit);
    g.Points = ClampedTo<int16_t>(row.toLong(prefix + QStringLiteral("Point"), fallback.Points));
    return g;
}

RowGas EventRowGas(const DbRow& row, const RowGas& fallback) {
    const QString name = row.toText(QStringLiteral("GasName"), fallback.Name);
    if (name.trimmed() == fallback.Name.trimmed()) return {name, fallback.Unit, fallback.Points};
    return {name, QString(), 0};
}

}  // namespace qv
