// The download page: status lamps, the status log, the instrument identity, the automatic-mode
// check boxes and the download command buttons.
#pragma once

#include "PageFrame.h"
#include "ShapeControl.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>
#include <array>

namespace qv {

class DownloadPage : public ui::PageFrame {
  public:
    explicit DownloadPage(QWidget* parent = nullptr);
    void SetCaptions() override;
    void LayoutPage() override;

    // 0 lamp strip, 1 automatic mode, 2 download commands, 3 instrument identity.
    std::array<QGroupBox*, 4> fraDown{};
    // 0 port lamp, 1 link lamp, 2 and 3 further lamps (hidden at rest).
    std::array<ui::ShapeControl*, 4> shpStatus{};
    // 0, 1, 8, 9 lamp names; 2 to 4 identity names; 5 to 7 identity values.
    std::array<QLabel*, 10> lblStatus{};
    QLabel* lblTitle0 = nullptr;
    QTextEdit* rtbLog = nullptr;
    std::array<QCheckBox*, 2> chkAutoLoad{};
    std::array<QPushButton*, 9> cmdDown{};
};

}  // namespace qv
