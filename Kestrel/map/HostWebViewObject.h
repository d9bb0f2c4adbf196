#pragma once
// The object the map page reaches as `sample` over the web channel. Each JS2C_ method forwards
// to the bridge's operation of the same name; the page receives the result asynchronously.
#include <QObject>
#include <QString>
#include <QVariant>

namespace kestrel {

class IHostWebViewFuncs;

class HostWebViewObject : public QObject {
    Q_OBJECT
  public:
    explicit HostWebViewObject(QObject* parent = nullptr) : QObject(parent) {}

    void SetFuncs(IHostWebViewFuncs* funcs) { funcs_ = funcs; }

    Q_INVOKABLE QString TestMethod(const QString& stringParameter, int integerParameter);
    Q_INVOKABLE int JS2C_ConnectTest();
    Q_INVOKABLE QString JS2C_GetMapURL();
    Q_INVOKABLE QVariant JS2C_GetGPSData();
    Q_INVOKABLE QVariant JS2C_GetGridData(const QString& unused);
    Q_INVOKABLE QString JS2C_GetRelJpgNum();
    Q_INVOKABLE void JS2C_OnClickCrashPoint(int ifile, int igrid, int ipos, int valid, double lat,
                                            double lng, double speed, double direction);
    Q_INVOKABLE void JS2C_OnInitHtml();
    Q_INVOKABLE void JS2C_SetSend();
    Q_INVOKABLE QVariantMap JS2C_GetTileLayer();

  private:
    IHostWebViewFuncs* funcs_ = nullptr;
};

} // namespace kestrel
