#include "settings/CSettingDlg.h"

#include "shell/AppEvent.h"
#include "shell/SharedFonts.h"
#include "shell/UiQText.h"
#include "skin/CSkinCheckButton.h"
#include "skin/SkinPictures.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QtGlobal>

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
    keys_ = new QLabel(KeyLines(), this);
    keys_->setObjectName(QStringLiteral("KeysText"));
    keys_->setFont(SharedFonts::Font10());
    keys_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    keys_->setWordWrap(true);
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

QString CSettingDlg::KeyLines() {
    // The command names are the buttons' own texts; volume and full screen have none.
    const bool english = LanguageRow == 1;
    const QString volume = english ? QStringLiteral("volume") : QStringLiteral("音量");
    const QString fullScreen =
        english ? QStringLiteral("full screen") : QStringLiteral("フルスクリーン");
    return QStringLiteral("Space %1/%2   Home %3   PgUp/PgDn %4/%5   , .  %6   ←/→ 5 s   "
                          "↑/↓ %7   [ ] %8/%9   F/Esc %10   V %11   Ctrl+O %12")
        .arg(UiQText(12), UiQText(11), UiQText(20), UiQText(13), UiQText(9), UiQText(6), volume,
             UiQText(17), UiQText(4))
        .arg(fullScreen, UiQText(140), UiQText(10));
}

} // namespace kestrel
