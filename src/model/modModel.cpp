// Program-wide model objects and gas captions.
#include "modModel.h"

namespace qv {

const std::shared_ptr<clsInstrument>& DefaultInstrument() {
    static const std::shared_ptr<clsInstrument> instrument = std::make_shared<clsInstrument>();
    return instrument;
}

MainFormSettings& MainForm() {
    static MainFormSettings settings;
    return settings;
}

QString GetGasCaption(const clsInstrument* source, int gas) {
    if (!source) return FormatNameUnit(QString(), QString());
    return FormatNameUnit(source->GasName(gas), source->GasUnit(gas));
}

QString GetGasCaption(const clsHeader* source, int gas) {
    if (!source) return FormatNameUnit(QString(), QString());
    return FormatNameUnit(source->GasName(gas), source->GasUnit(gas));
}

QString GetGasCaption(const clsRecordSet* source, int gas) {
    return GetGasCaption(source ? &source->GasInfo() : nullptr, gas);
}

}  // namespace qv
