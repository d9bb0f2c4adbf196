#pragma once
// A modeless notice with links: the update notice of the version check, and, in its centred
// variant, the notice about the missing map runtime. A click on a link opens it in the user's
// browser; the close button hides the notice.
#include "skin/CSkinDialog.h"

#include <QString>

class QLabel;
class QPushButton;

namespace kestrel {

class CUpdateDialog : public CSkinDialog {
    Q_OBJECT
  public:
    enum class Variant {
        Update,  // 640 x 360 on the primary screen
        Centred, // 640 x 320 on the desktop, with wider margins
    };
    static constexpr int kLinkId = 1007;
    static constexpr int kCloseId = 2;
    // The strip at the bottom that keeps the window's own colour; above it the notice is white.
    static constexpr int kButtonStrip = 50;

    // Without a parent the notice is a window of its own on the desktop.
    explicit CUpdateDialog(Variant variant = Variant::Update, QWidget* parent = nullptr);

    // The notice: plain text with CR LF line breaks and <a href="..."> links.
    void SetLinkText(const QString& markup);
    QString LinkText() const { return markup_; }

    QLabel* Link() const { return link_; }
    QPushButton* DismissButton() const { return close_; }
    // The close button was used since the notice was last shown.
    bool IsClosed() const { return closed_; }

    // What the link control shows for `markup`: line breaks and runs of blanks kept.
    static QString DisplayMarkup(const QString& markup);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void Place();
    void OpenLink(const QString& link);

    Variant variant_;
    QString markup_;
    QLabel* link_ = nullptr;
    QPushButton* close_ = nullptr;
    bool closed_ = false;
};

} // namespace kestrel
