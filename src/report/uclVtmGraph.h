// The trend graph control of the data view page. The main window's layout uses only its
// position, size and visibility.
#pragma once

#include <QFrame>

namespace qv {

class uclVtmGraph : public QFrame {
  public:
    explicit uclVtmGraph(QWidget* parent = nullptr);
};

}  // namespace qv
