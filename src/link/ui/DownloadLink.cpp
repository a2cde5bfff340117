// The download procedures' view of the real link control.
#include "DownloadLink.h"

#include "uclQvif.h"

namespace qv {

bool QvifDownloadLink::Connected() const {
    return link_.Connected();
}
LinkGuard& QvifDownloadLink::Guard() {
    return link_.Guard();
}
QString QvifDownloadLink::PortError() const {
    return link_.PortError();
}
bool QvifDownloadLink::Cancel() const {
    return link_.Cancel();
}
void QvifDownloadLink::SetCancel(bool v) {
    link_.SetCancel(v);
}
void QvifDownloadLink::AddLog(const QString& text) {
    link_.AddLog(text);
}
bool QvifDownloadLink::GetInstrument(const std::shared_ptr<clsInstrument>& iObj) {
    return link_.GetInstrument(iObj);
}
bool QvifDownloadLink::GetLatestHistory(const std::shared_ptr<clsInstrument>& iObj) {
    return link_.GetLatestHistory(iObj);
}
bool QvifDownloadLink::GetHistory(const std::shared_ptr<clsHistorys>& iObj) {
    return link_.GetHistory(iObj);
}
bool QvifDownloadLink::GetInterval(const std::shared_ptr<clsIntervals>& iObj) {
    return link_.GetInterval(iObj);
}
bool QvifDownloadLink::GetAlarm(const std::shared_ptr<clsAlarms>& aObj) {
    return link_.GetAlarm(aObj);
}
bool QvifDownloadLink::GetAlarmEvent(const std::shared_ptr<clsAlarmEvents>& aObj) {
    return link_.GetAlarmEvent(aObj);
}
bool QvifDownloadLink::GetTroubleEvent(const std::shared_ptr<clsTroubleEvents>& aObj) {
    return link_.GetTroubleEvent(aObj);
}
bool QvifDownloadLink::GetPowerEvent(const std::shared_ptr<clsPowerEvents>& aObj) {
    return link_.GetPowerEvent(aObj);
}
bool QvifDownloadLink::BodyDataClear() {
    return link_.BodyDataClear();
}
bool QvifDownloadLink::BodyPowerOff() {
    return link_.BodyPowerOff();
}

}  // namespace qv
