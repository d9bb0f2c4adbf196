#pragma once
// Serves the tiles of a local tile folder to the map page under the viewer's own scheme:
// "kestrel-tiles:/Z/X/Y.png" is the file Z/X/Y.png of the folder, and nothing outside it.
#include <QString>
#include <QWebEngineUrlSchemeHandler>

namespace kestrel {

class LocalTileSchemeHandler : public QWebEngineUrlSchemeHandler {
    Q_OBJECT
  public:
    explicit LocalTileSchemeHandler(QString folder, QObject* parent = nullptr);
    void requestStarted(QWebEngineUrlRequestJob* job) override;

    // The file of `path` inside `folder`, or "" when the path is not a plain relative tile
    // path (no "..", no empty or hidden parts).
    static QString FileOf(const QString& folder, const QString& path);

  private:
    QString folder_;
};

} // namespace kestrel
