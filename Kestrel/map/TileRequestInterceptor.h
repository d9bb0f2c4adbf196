#pragma once
// Names the viewer on every request of the map page: a User-Agent with Kestrel and its version
// and a Referer, as tile servers' usage policies ask.
#include <QWebEngineUrlRequestInterceptor>

namespace kestrel {

class TileRequestInterceptor : public QWebEngineUrlRequestInterceptor {
    Q_OBJECT
  public:
    explicit TileRequestInterceptor(QObject* parent = nullptr);
    void interceptRequest(QWebEngineUrlRequestInfo& info) override;

  private:
    QByteArray userAgent_;
};

} // namespace kestrel
