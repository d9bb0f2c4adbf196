#include "map/HostWebViewObject.h"

#include "map/IHostWebViewFuncs.h"

#include <QByteArray>

#include <cstring>

namespace kestrel {
namespace {

// A value array goes to the page as the base64 text of its doubles in the machine's order: one
// string crosses the channel instead of one JSON number per value, and the page reads it
// straight into a Float64Array.
QVariant Packed(const QVariantList& values) {
    QByteArray bytes(values.size() * static_cast<qsizetype>(sizeof(double)), '\0');
    char* out = bytes.data();
    for (const QVariant& v : values) {
        const double d = v.toDouble();
        std::memcpy(out, &d, sizeof d);
        out += sizeof d;
    }
    return QString::fromLatin1(bytes.toBase64());
}

} // namespace

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
    return funcs_ ? Packed(funcs_->GetGPSData()) : QVariant();
}

QVariant HostWebViewObject::JS2C_GetGridData(const QString& unused) {
    if (!funcs_)
        return {};
    const QVariant grid = funcs_->GetGridData(unused);
    return grid.isValid() ? Packed(grid.toList()) : QVariant();
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
