#pragma once
// The message box every part of the user interface reports through: failures with the caption
// "ERROR", questions with "確認", finished jobs with "終了".
#include <QString>

class QWidget;

namespace kestrel {

class CMsgBox {
  public:
    explicit CMsgBox(QWidget* owner = nullptr) : owner_(owner) {}

    // Shows the message modally over the owner; type 0 offers OK, type 1 OK and cancel.
    // Returns 1 for OK, 2 for cancel or when the box was closed.
    int Show(const QString& text, const QString& caption, int type = 0);

    static QString ErrorCaption() { return QStringLiteral("ERROR"); }
    static QString QuestionCaption();
    static QString DoneCaption();

  private:
    QWidget* owner_;
};

} // namespace kestrel
