#pragma once
// The skinned message dialog: the message on white, OK (and cancel for a question) at the
// bottom right, sized to the text.
#include "skin/CSkinDialog.h"

#include <QSize>
#include <QString>

class QLabel;
class QPushButton;

namespace kestrel {

class CMsgDlg : public CSkinDialog {
    Q_OBJECT
  public:
    enum Type { OkOnly = 0, OkCancel = 1 };
    enum Result { IdOk = 1, IdCancel = 2 };
    static constexpr int kMessageId = 1009;
    static constexpr int kCloseId = 2;

    // Builds and sizes the dialog; the caption is its title.
    CMsgDlg(const QString& text, const QString& caption, int type, QWidget* owner);

    // Width of the widest line and the sum of the line heights of `text` in `font`; lines end
    // at line feeds.
    static QSize MeasureText(const QString& text, const QFont& font);

    QLabel* Message() const { return message_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }

    void accept() override { done(IdOk); }
    void reject() override { done(IdCancel); }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void Arrange(int type, QWidget* owner);

    QLabel* message_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

} // namespace kestrel
