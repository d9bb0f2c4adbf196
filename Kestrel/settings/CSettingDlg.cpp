#include "settings/CSettingDlg.h"

#include "shell/AppEvent.h"
#include "shell/SharedFonts.h"
#include "shell/UiQText.h"
#include "skin/CSkinCheckButton.h"
#include "skin/SkinPictures.h"

#include <QFontMetrics>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QStringList>
#include <QtGlobal>

#include <iterator>

extern "C" {
#include <libavutil/avutil.h>
}

#ifndef KESTREL_VERSION
#define KESTREL_VERSION "0"
#endif

namespace kestrel {
namespace {

constexpr int kToggleSlots[CSettingDlg::kToggleCount] = {
    116, // ドライブサポート
    125, // 緊急録画停止
    126, // 駐車監視衝撃
    130, // 速度超過
};

QRect ToggleRect(int index) {
    const int column = index / 2;
    const int row = index % 2;
    return QRect(QPoint(40 + column * 200, 60 + row * 60),
                 QPoint(200 + column * 200, 120 + row * 60))
        .adjusted(0, 0, -1, -1);
}

} // namespace

CSettingDlg::CSettingDlg(QWidget* owner) : CSkinDialog(owner), owner_(owner) {
    setWindowFlag(Qt::Tool, true);
    setFont(SharedFonts::Font10());
    setWindowTitle(UiQText(124)); // 設定

    for (int i = 0; i < kToggleCount; ++i) {
        auto* button = new CSkinCheckButton(kFirstToggleId + i, UiQText(kToggleSlots[i]), this);
        button->setObjectName(QStringLiteral("Toggle%1").arg(kFirstToggleId + i));
        button->setFont(SharedFonts::Font10());
        button->SetImage(pictures::kCheckBox);
        button->setGeometry(ToggleRect(i));
        // The state is the pressed look alone; the button does not keep one of its own.
        button->setCheckable(false);
        button->PressedLook = 1;
        connect(button, &QAbstractButton::clicked, this, [this, i] { OnToggle(i); });
        button->show();
        button->repaint();
        toggles_[static_cast<size_t>(i)] = button;
    }

    resize(kWidth, kHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.left() + (area.width() - kWidth) / 2, area.top() + (area.height() - kHeight) / 2);
    }

    markerGroup_ = new QGroupBox(UiQText(129), this); // 加速度グラフ/マップアイコン表示設定
    markerGroup_->setObjectName(QStringLiteral("MarkerGroup"));
    markerGroup_->setGeometry(10, 30, 438, 160);
    versionGroup_ = new QGroupBox(UiQText(128), this); // バージョン情報
    versionGroup_->setObjectName(QStringLiteral("VersionGroup"));
    versionGroup_->setGeometry(10, 190, 438, 110);
    for (QGroupBox* group : {markerGroup_, versionGroup_}) {
        group->setFont(SharedFonts::Font10());
        group->lower();
        group->show();
    }

    version_ = new QLabel(VersionLines(), this);
    version_->setObjectName(QStringLiteral("VersionText"));
    version_->setFont(SharedFonts::Font10());
    version_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    version_->setGeometry(20, 210, 418, 60);
    version_->show();

    // The keys do not fit the version text's three lines; they go under its group box.
    keys_ = new QLabel(this);
    keys_->setObjectName(QStringLiteral("KeysText"));
    keys_->setFont(SharedFonts::Font10());
    keys_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    keys_->setText(KeyLines(QFontMetrics(keys_->font()), 418));
    keys_->setGeometry(20, 308, 418, 84);
    keys_->show();

    CreateCloseButton(kCloseId);
    hide();
}

int CSettingDlg::ToggleState(int index) const {
    if (index < 0 || index >= kToggleCount)
        return 0;
    return toggles_[static_cast<size_t>(index)]->PressedLook;
}

void CSettingDlg::OnToggle(int index) {
    CSkinCheckButton* button = toggles_[static_cast<size_t>(index)];
    button->PressedLook = button->PressedLook ? 0 : 1;
    button->repaint();
    PostAppEvent(owner_, WM_APP_SETTING_TOGGLE, index, button->PressedLook);
}

QString CSettingDlg::VersionLines() {
    return QStringLiteral("version %1\nKestrel %2\nQt %3, FFmpeg %4")
        .arg(QString::fromLatin1(kProgramVersion), QStringLiteral(KESTREL_VERSION),
             QString::fromLatin1(qVersion()), QString::fromLatin1(av_version_info()));
}

QStringList CSettingDlg::KeyEntries() {
    // The command names are the buttons' own texts; volume and full screen have none.
    const bool english = LanguageRow == 1;
    const QString volume = english ? QStringLiteral("volume") : QStringLiteral("音量");
    const QString fullScreen =
        english ? QStringLiteral("full screen") : QStringLiteral("フルスクリーン");
    const QString entries[] = {
        QStringLiteral("Space %1/%2").arg(UiQText(12), UiQText(11)),
        QStringLiteral("Home %1").arg(UiQText(20)),
        QStringLiteral("PgUp/PgDn %1/%2").arg(UiQText(13), UiQText(9)),
        QStringLiteral(", . %1").arg(UiQText(6)),
        QStringLiteral("← → 5 s"),
        QStringLiteral("↑ ↓ %1").arg(volume),
        QStringLiteral("[ ] %1/%2").arg(UiQText(17), UiQText(4)),
        QStringLiteral("F/Esc %1").arg(fullScreen),
        QStringLiteral("V %1").arg(UiQText(140)),
        QStringLiteral("Ctrl+O %1").arg(UiQText(10)),
    };
    return QStringList(std::begin(entries), std::end(entries));
}

QString CSettingDlg::KeyLines(const QFontMetrics& metrics, int width) {
    // Lines are broken between entries only, so that a key stays beside its command.
    const QString gap = QStringLiteral("   ");
    QStringList lines;
    for (const QString& entry : KeyEntries()) {
        if (!lines.isEmpty() && metrics.horizontalAdvance(lines.back() + gap + entry) <= width)
            lines.back() += gap + entry;
        else
            lines << entry;
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace kestrel
