// The English face: which locale chooses it, that its texts are complete and keep the
// Japanese texts' format fields, that the CSV file stays Japanese, and that every English text
// fits its control. The windows are also saved as pictures for a person to look at.
#include "AppTestSupport.h"
#include "CKestrelDlg.h"
#include "shell/UiQText.h"
#include "shell/UserLanguage.h"
#include "engine/ListExport.h"
#include "engine/UiTextTable.h"
#include "settings/CSettingDlg.h"
#include "skin/CMsgBox.h"
#include "skin/CMsgDlg.h"
#include "skin/CSkinCheckButton.h"
#include "sources/CSourceOpenDlg.h"
#include "update/CUpdateDialog.h"

#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <regex>
#include <string>

namespace kestrel {
namespace {

// Sets the locale variables for the object's life and puts them back afterwards.
class LocaleVariables {
  public:
    LocaleVariables(const char* all, const char* messages, const char* lang) {
        for (size_t i = 0; i < 3; ++i) {
            const char* old = std::getenv(kNames[i]);
            saved_[i] = old ? std::optional<std::string>(old) : std::nullopt;
        }
        Set("LC_ALL", all);
        Set("LC_MESSAGES", messages);
        Set("LANG", lang);
    }
    ~LocaleVariables() {
        for (size_t i = 0; i < 3; ++i)
            Set(kNames[i], saved_[i] ? saved_[i]->c_str() : nullptr);
        LanguageRow = 0;
    }

  private:
    static void Set(const char* name, const char* value) {
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    static constexpr const char* kNames[3] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    std::optional<std::string> saved_[3];
};

TEST(EnglishFace, TheFirstSetLocaleVariableChoosesTheRow) {
    const std::pair<const char*, int> names[] = {
        {"en_US.UTF-8", 1033},
        {"en_GB@euro", 1033},
        {"en", 1033},
        {"EN_au", 1033},
        {"ja_JP.UTF-8", 1041},
        {"C", 0},
        {"C.UTF-8", 0},
        {"POSIX", 0},
        {"de_DE.UTF-8", 0},
        {"eng", 0},
        {"", 0},
    };
    for (const auto& [name, id] : names)
        EXPECT_EQ(UserLanguage::IdOfLocaleName(name), id) << name;

    const struct {
        const char* All;
        const char* Messages;
        const char* Lang;
        int Row;
    } cases[] = {
        {nullptr, nullptr, "en_US.UTF-8", 1},
        {nullptr, "ja_JP.UTF-8", "en_US.UTF-8", 0},
        {"en_GB.UTF-8", "ja_JP.UTF-8", "ja_JP.UTF-8", 1},
        {"", "", "en_US.UTF-8", 1}, // empty variables are not set
        {"C", nullptr, "en_US.UTF-8", 0},
        {nullptr, nullptr, nullptr, 0},
    };
    for (const auto& c : cases) {
        const LocaleVariables locale(c.All, c.Messages, c.Lang);
        EXPECT_EQ(UiTextTable::RowForLanguage(UserLanguage::DefaultId()), c.Row)
            << (c.All ? c.All : "-") << " " << (c.Messages ? c.Messages : "-") << " "
            << (c.Lang ? c.Lang : "-");
    }
}

// The printf fields of a text, in order.
std::string FieldsOf(std::string_view text) {
    static const std::regex field("%[-+ #0]*[0-9]*(\\.[0-9]+)?(l|ll|h)?[diouxXsScfegp%]");
    std::string fields;
    const std::string s(text);
    for (auto it = std::sregex_iterator(s.begin(), s.end(), field); it != std::sregex_iterator();
         ++it) {
        fields += it->str();
    }
    return fields;
}

TEST(EnglishFace, EveryTextIsThereWithTheSameFieldsAndLineBreaks) {
    for (int slot = 0; slot < 153; ++slot) {
        const std::string_view ja = UiTextTable::Text(0, slot);
        const std::string_view en = UiTextTable::Text(1, slot);
        EXPECT_FALSE(en.empty()) << slot;
        EXPECT_EQ(FieldsOf(en), FieldsOf(ja)) << slot;
        const auto breaks = [](std::string_view t) {
            size_t n = 0;
            for (size_t at = t.find("\r\n"); at != std::string_view::npos;
                 at = t.find("\r\n", at + 2))
                ++n;
            return n;
        };
        EXPECT_EQ(breaks(en), breaks(ja)) << slot;
        // No kana or kanji left behind (the fonts' face name is meant to stay): their UTF-8
        // lead bytes are 0xE3..0xE9.
        if (slot != 113) {
            const bool japanese = std::any_of(en.begin(), en.end(), [](char c) {
                const auto b = static_cast<unsigned char>(c);
                return b >= 0xE3 && b <= 0xE9;
            });
            EXPECT_FALSE(japanese) << slot << " " << en;
        }
    }
    EXPECT_EQ(UiTextTable::Text(1, 113), UiTextTable::Text(0, 113));
    EXPECT_TRUE(UiTextTable::Text(1, 153).empty());
}

TEST(EnglishFace, TheCsvFileKeepsItsJapaneseTexts) {
    LanguageRow = 0;
    const std::string japanese = CsvHeaderLine();
    LanguageRow = 1;
    EXPECT_EQ(CsvHeaderLine(), japanese);
    LanguageRow = 0;
}

QString ShotPath(const QString& name) {
    QDir().mkpath(QStringLiteral(KESTREL_SCREENSHOT_DIR));
    return QStringLiteral(KESTREL_SCREENSHOT_DIR "/%1.png").arg(name);
}

// Texts of `root`'s controls that do not fit the control at its fixed size.
QStringList Overflows(const QWidget* root) {
    QStringList out;
    for (const QWidget* w : root->findChildren<QWidget*>()) {
        const QFontMetrics metrics(w->font());
        QStringList lines;
        int room = w->width();
        if (const auto* check = qobject_cast<const CSkinCheckButton*>(w)) {
            lines << check->text();
            room -= 16;
        } else if (const auto* radio = qobject_cast<const QRadioButton*>(w)) {
            lines << radio->text();
            room -= 20;
        } else if (const auto* button = qobject_cast<const QPushButton*>(w)) {
            lines << button->text();
            room -= 8;
        } else if (const auto* group = qobject_cast<const QGroupBox*>(w)) {
            lines << group->title();
            room -= 16;
        } else if (const auto* label = qobject_cast<const QLabel*>(w)) {
            if (label->wordWrap() || label->textFormat() == Qt::RichText)
                continue;
            lines = label->text().split(QLatin1Char('\n'));
            if (lines.size() * metrics.lineSpacing() > label->height())
                out << QStringLiteral("%1: %2 lines").arg(w->objectName()).arg(lines.size());
        }
        for (const QString& line : lines) {
            if (!line.isEmpty() && metrics.horizontalAdvance(line) > room)
                out << QStringLiteral("%1: \"%2\"").arg(w->objectName(), line);
        }
    }
    // Check buttons take the width of their text: side by side, one text must not run into
    // the next button.
    const auto checks = root->findChildren<CSkinCheckButton*>();
    const auto extent = [](const CSkinCheckButton* b) {
        return QRect(b->pos(),
                     QSize(16 + QFontMetrics(b->font()).horizontalAdvance(b->text()), b->height()));
    };
    for (const CSkinCheckButton* a : checks) {
        for (const CSkinCheckButton* b : checks) {
            if (a != b && a->parentWidget() == b->parentWidget() && a->isVisible() &&
                b->isVisible() && a->x() < b->x() && extent(a).intersects(extent(b))) {
                out << QStringLiteral("\"%1\" runs into \"%2\"").arg(a->text(), b->text());
            }
        }
    }
    return out;
}

void Shoot(QWidget& widget, const QString& name) {
    widget.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
    QTest::qWait(30);
    EXPECT_TRUE(widget.grab().save(ShotPath(name))) << name.toStdString();
    const QStringList overflows = Overflows(&widget);
    EXPECT_TRUE(overflows.isEmpty())
        << name.toStdString() << ": " << overflows.join(QStringLiteral("; ")).toStdString();
}

TEST(EnglishFace, EveryWindowInEnglishFitsItsTexts) {
    test::TempWorkDir dir;
    const LocaleVariables locale(nullptr, nullptr, "en_US.UTF-8");
    CKestrelDlg window;
    ASSERT_TRUE(window.Initialise());
    ASSERT_EQ(LanguageRow, 1);
    Shoot(window, QStringLiteral("en-main-small"));
    window.OnCommand(CKestrelDlg::IdNextSize);
    Shoot(window, QStringLiteral("en-main-medium"));

    Shoot(*window.SettingsDialog(), QStringLiteral("en-settings"));
    window.SettingsDialog()->hide();

    CSourceOpenDlg source(&window);
    Shoot(source, QStringLiteral("en-source"));
    source.hide();

    int shot = 0;
    for (const int slot : {93, 99, 105, 48, 152}) {
        const int type = slot == 93 ? CMsgDlg::OkCancel : CMsgDlg::OkOnly;
        const QString caption = slot == 93   ? CMsgBox::QuestionCaption()
                                : slot == 48 ? UiQText(49)
                                             : CMsgBox::ErrorCaption();
        CMsgDlg box(UiQText(slot), caption, type, &window);
        Shoot(box, QStringLiteral("en-message-%1").arg(++shot));
        box.hide();
    }

    CUpdateDialog notice;
    notice.SetLinkText(UiQText(107) + QStringLiteral("\r\n\r\n") + UiQText(112) +
                       QStringLiteral(":\r\n") + UiQText(109) + QStringLiteral("2.0.0.0   →   ") +
                       UiQText(111) +
                       QStringLiteral("2.0.0.1\r\n\r\nURL : <a href=\"http://127.0.0.1/v\">"
                                      "http://127.0.0.1/v</a>"));
    Shoot(notice, QStringLiteral("en-update-notice"));
    notice.hide();
    CUpdateDialog runtime(CUpdateDialog::Variant::Centred);
    runtime.setWindowTitle(UiQText(151));
    runtime.SetLinkText(UiQText(152) + QStringLiteral("URL : <a href=\"https://127.0.0.1/r\">"
                                                      "https://127.0.0.1/r</a>\r\n"));
    Shoot(runtime, QStringLiteral("en-runtime-notice"));
    // The title strip holds the whole title.
    EXPECT_LE(QFontMetrics(runtime.font()).horizontalAdvance(runtime.windowTitle()),
              runtime.width() - 40);
    runtime.hide();
    window.Shutdown();
}

} // namespace
} // namespace kestrel
