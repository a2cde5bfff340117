// The members of the link control that the download procedures use, behind one interface so
// that the procedures can be driven by a scripted link in tests; QvifDownloadLink forwards to
// the real control.
#pragma once

#include <QString>
#include <memory>

namespace qv {

class LinkGuard;
class clsAlarmEvents;
class clsAlarms;
class clsHistorys;
class clsInstrument;
class clsIntervals;
class clsPowerEvents;
class clsTroubleEvents;
class uclQvif;

class DownloadLink {
  public:
    virtual ~DownloadLink() = default;

    virtual bool Connected() const = 0;
    // Held while an operation runs on the link, by this page or another.
    virtual LinkGuard& Guard() = 0;
    // Why the port is not open (it cannot be opened, or its device went away); empty while it
    // is open.
    virtual QString PortError() const = 0;
    // True when the running transfer was cancelled.
    virtual bool Cancel() const = 0;
    virtual void SetCancel(bool v) = 0;
    // One line of the serial log.
    virtual void AddLog(const QString& text) = 0;

    // Each fills its argument and returns True when the transfer completed.
    virtual bool GetInstrument(const std::shared_ptr<clsInstrument>& iObj) = 0;
    virtual bool GetLatestHistory(const std::shared_ptr<clsInstrument>& iObj) = 0;
    virtual bool GetHistory(const std::shared_ptr<clsHistorys>& iObj) = 0;
    virtual bool GetInterval(const std::shared_ptr<clsIntervals>& iObj) = 0;
    virtual bool GetAlarm(const std::shared_ptr<clsAlarms>& aObj) = 0;
    virtual bool GetAlarmEvent(const std::shared_ptr<clsAlarmEvents>& aObj) = 0;
    virtual bool GetTroubleEvent(const std::shared_ptr<clsTroubleEvents>& aObj) = 0;
    virtual bool GetPowerEvent(const std::shared_ptr<clsPowerEvents>& aObj) = 0;
    // True when the instrument confirmed the erase.
    virtual bool BodyDataClear() = 0;
    // True when the instrument took the power-off command.
    virtual bool BodyPowerOff() = 0;
};

class QvifDownloadLink final : public DownloadLink {
  public:
    explicit QvifDownloadLink(uclQvif& link) : link_(link) {}

    bool Connected() const override;
    LinkGuard& Guard() override;
    QString PortError() const override;
    bool Cancel() const override;
    void SetCancel(bool v) override;
    void AddLog(const QString& text) override;
    bool GetInstrument(const std::shared_ptr<clsInstrument>& iObj) override;
    bool GetLatestHistory(const std::shared_ptr<clsInstrument>& iObj) override;
    bool GetHistory(const std::shared_ptr<clsHistorys>& iObj) override;
    bool GetInterval(const std::shared_ptr<clsIntervals>& iObj) override;
    bool GetAlarm(const std::shared_ptr<clsAlarms>& aObj) override;
    bool GetAlarmEvent(const std::shared_ptr<clsAlarmEvents>& aObj) override;
    bool GetTroubleEvent(const std::shared_ptr<clsTroubleEvents>& aObj) override;
    bool GetPowerEvent(const std::shared_ptr<clsPowerEvents>& aObj) override;
    bool BodyDataClear() override;
    bool BodyPowerOff() override;

  private:
    uclQvif& link_;
};

}  // namespace qv
