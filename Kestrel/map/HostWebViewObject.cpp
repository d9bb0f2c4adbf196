#include "map/HostWebViewObject.h"

#include "map/IHostWebViewFuncs.h"

namespace kestrel {

QString HostWebViewObject::TestMethod(const QString& stringParameter, int integerParameter) {
    return QStringLiteral("TestMethod(") + stringParameter + QStringLiteral(", ") +
           QString::number(integerParameter) + QStringLiteral(") called.\n");
}

int HostWebViewObject::JS2C_ConnectTest() {
    return funcs_ ? funcs_->ConnectTest() : 0;
}

QString HostWebViewObject::JS2C_GetMapURL() {
    return funcs_ ? funcs_->GetMapURL() : QString();
}

QVariant HostWebViewObject::JS2C_GetGPSData() {
    return funcs_ ? QVariant(funcs_->GetGPSData()) : QVariant();
}

QVariant HostWebViewObject::JS2C_GetGridData(const QString& unused) {
    return funcs_ ? funcs_->GetGridData(unused) : QVariant();
}

QString HostWebViewObject::JS2C_GetRelJpgNum() {
    return funcs_ ? funcs_->GetRelJpgNum() : QStringLiteral("-1");
}

void HostWebViewObject::JS2C_OnClickCrashPoint(int ifile, int igrid, int ipos, int valid,
                                               double lat, double lng, double speed,
                                               double direction) {
    if (funcs_)
        funcs_->OnClickCrashPoint(ifile, igrid, ipos, valid, lat, lng, speed, direction);
}

void HostWebViewObject::JS2C_OnInitHtml() {
    if (funcs_)
        funcs_->OnInitHtml();
}

void HostWebViewObject::JS2C_SetSend() {
    if (funcs_)
        funcs_->SetSend();
}

QVariantMap HostWebViewObject::JS2C_GetTileLayer() {
    return funcs_ ? funcs_->GetTileLayer() : QVariantMap();
}

} // namespace kestrel
