// The series and titles of a trend graph.
#include "TrendGraphSetup.h"

#include "Dates.h"
#include "Runtime.h"
#include "clsHeader.h"
#include "modGasCommon.h"
#include "modGlobals.h"
#include "modMessage.h"
#include "modViewSupport.h"
#include "uclVtmGraph.h"

namespace qv {

namespace {

// The trend's date in the title: the medium date, then the time.
QString TitleDate(const QDateTime& date) {
    return MediumDate(date) + rt::FormatDate(date, QStringLiteral(" hh:nn:ss"));
}

}  // namespace

void StartTrendGraph(uclVtmGraph& graph, const clsHeader& header, int32_t kind,
                     const QDateTime& first, const QDateTime& last, bool showEvents) {
    for (int s = 0; s < 4; ++s) {
        const int c = ShownChannel(s);
        graph.AddSample(header.GasName(c), GraphColor[static_cast<size_t>(s)],
                        QStringLiteral("#") + GetPointFormat(header.GasPoint(c)));
        graph.SetEventVisible(s, showEvents);
    }
    graph.SetTitleTop(GetMessage(5602, {header.Names()}) + QStringLiteral(" - ") +
                      GetMessage(kind == TypeInterval ? 5624 : 5625));
    graph.SetTitleBottom(GetMessage(5603, {TitleDate(first), TitleDate(last)}));
    graph.SetFormatX(QStringLiteral("hh:nn:ss"));
}

}  // namespace qv
