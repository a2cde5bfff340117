// The trend graph control.
#include "uclVtmGraph.h"

namespace qv {

uclVtmGraph::uclVtmGraph(QWidget* parent) : QFrame(parent) {
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
}

}  // namespace qv
