#pragma once
// What the map page may ask of the application, through the host object: the bridge
// implements it. Every call arrives on the user-interface thread.
#include <QString>
#include <QVariant>

namespace kestrel {

class IHostWebViewFuncs {
  public:
    virtual ~IHostWebViewFuncs() = default;
    // 1 while the tile server answers, else 0.
    virtual int ConnectTest() = 0;
    // The page has made its map.
    virtual void OnInitHtml() = 0;
    // The whole source's track and the current recording's: latitude, longitude and frame per
    // valid point, then the count of values before it; [0] for none.
    virtual QVariantList GetGPSData() = 0;
    // An invalid QVariant when the engine is not ready or has no current list.
    virtual QVariant GetGridData(const QString& unused) = 0;
    // The current frame as decimal text, "-1" when there is none.
    virtual QString GetRelJpgNum() = 0;
    virtual void OnClickCrashPoint(int ifile, int igrid, int ipos, int valid, double lat,
                                   double lng, double speed, double direction) = 0;
    // The URL of the map script the page loads.
    virtual QString GetMapURL() = 0;
    // The tile layer: "url" (a template with {z}, {x}, {y}) and "attribution".
    virtual QVariantMap GetTileLayer() = 0;
    // Asks the browser host for the update message.
    virtual void SetSend() = 0;
};

} // namespace kestrel
