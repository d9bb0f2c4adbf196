#include "skin/CMsgBox.h"

#include "shell/UiQText.h"
#include "skin/CMsgDlg.h"

namespace kestrel {

int CMsgBox::Show(const QString& text, const QString& caption, int type) {
    CMsgDlg dialog(text, caption, type, owner_);
    return dialog.exec();
}

QString CMsgBox::QuestionCaption() {
    return UiQText(106);
}
QString CMsgBox::DoneCaption() {
    return UiQText(49);
}

} // namespace kestrel
