#include "skin/CLogoDlg.h"

#include "skin/CResourceImage.h"
#include "skin/SkinPictures.h"

#include <QMouseEvent>
#include <QPainter>

namespace kestrel {

CLogoDlg::CLogoDlg(const CResourceImage& bank, QWidget* parent) : QWidget(parent), bank_(bank) {}

void CLogoDlg::paintEvent(QPaintEvent*) {
    const QPixmap* picture = bank_.Picture(pictures::kLogo);
    if (!picture)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(rect(), *picture);
    painter.setPen(Qt::white);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

// A click on the panel belongs to the panel, not to the window behind it.
void CLogoDlg::mousePressEvent(QMouseEvent* event) {
    event->accept();
}

} // namespace kestrel
