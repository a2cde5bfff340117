// The instrument information page: the identity of the instrument on show (the connected one,
// the one stored with a trend log, or none), its program number, its sensor settings and its
// latest calibrations with the days until they fall due.
#pragma once

#include "FlexGrid.h"
#include "PageFrame.h"
#include "SettingsHost.h"

#include <QGroupBox>
#include <QLabel>
#include <array>
#include <memory>

namespace qv {

class InstrumentPage : public ui::PageFrame {
  public:
    explicit InstrumentPage(QWidget* parent = nullptr);
    ~InstrumentPage() override;
    void SetCaptions() override;
    void LayoutPage() override;
    // The latest calibrations.
    QWidget* MainControl() const override { return vfgInst; }

    // Connects the page to its window; called once, before ShowInstrumentInfo.
    void Bind(const SettingsHost& host);

    // Fills the title, the labels and both grids from the instrument on show.
    void ShowInstrumentInfo();

    QGroupBox* fraInst = nullptr;
    // 0, 1, 2, 6 names; 3, 4, 5, 7 the values beside them.
    std::array<QLabel*, 8> lblInst{};
    // Latest calibrations: 6 columns (5 for a stored log), 7 rows.
    ui::FlexGrid* vfgInst = nullptr;
    // Sensor settings: 6 columns, 7 rows.
    ui::FlexGrid* vfgInstSensor = nullptr;

  private:
    enum class Shown { None, StoredLog, Connected };
    Shown Which() const;
    void FillCalibrations(Shown shown);
    void FillConnectedCalibration(int gas);
    void FillSensors(Shown shown);

    std::unique_ptr<SettingsHost> host_;
};

}  // namespace qv
