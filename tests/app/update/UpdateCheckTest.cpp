// The once-a-run version check against a version site on 127.0.0.1: reading the version
// files, the comparisons, the notice text, and the thread that shows the notice.
#include "AppTestSupport.h"
#include "shell/UiQText.h"
#include "VersionServer.h"
#include "settings/SettingsStore.h"
#include "update/CInetConnectionAsync.h"
#include "update/CUpdateDialog.h"
#include "update/UpdateSite.h"
#include "update/VersionCheck.h"
#include "update/VersionFetcher.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTcpServer>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace kestrel {
namespace {

constexpr const char* kViewerPath = "/0_recorder/viewer/Ravenlog4/Ravenlog4_version.txt";

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

std::optional<QString> Fetch(const test::VersionServer& server, const std::string& path) {
    return VersionFetcher().FetchVersion(Q(server.Url(path)));
}

TEST(VersionFetch, ReadsTheTextAfterTheMarkerInTheFirstBlockOnly) {
    test::VersionServer server;
    const std::string filler(1021, 'x');
    struct Case {
        const char* Name;
        std::string Body;
        std::optional<QString> Expected;
    } cases[] = {
        {"plain", "VER:2.0.0.1", QStringLiteral("2.0.0.1")},
        {"text before, first marker wins", "release\r\nVER:1.2.4A VER:9",
         QStringLiteral("1.2.4A VER:9")},
        {"trailing line break kept", "VER:1.2.3\r\n", QStringLiteral("1.2.3\r\n")},
        {"no marker", "version 2.0.0.1", std::nullopt},
        {"marker after the first 1024 bytes", std::string(1024, ' ') + "VER:2.0.0.1", std::nullopt},
        {"marker cut by the block's end", filler + "VER:2.0.0.1", std::nullopt},
        {"version cut at the block's end", std::string(1014, ' ') + "VER:2.0.0.1",
         QStringLiteral("2.0.0.")},
        {"CP932 text", "VER:2.1\x81\x69\x83\xC0\x81\x6A", QStringLiteral("2.1（β）")},
        {"empty file", "", QString()},
    };
    for (const Case& c : cases) {
        const std::string path = std::string("/") + c.Name;
        std::string escaped = path;
        for (char& ch : escaped)
            if (ch == ' ' || ch == ',')
                ch = '_';
        server.Set(escaped, {200, c.Body});
        EXPECT_EQ(Fetch(server, escaped), c.Expected) << c.Name;
    }
}

TEST(VersionFetch, FailsForErrorsAndRetriesOnlyABrokenRead) {
    test::VersionServer server;
    // An error page is no version file, even when it holds the marker.
    server.Set("/missing", {404, "VER:2.0.0.1"});
    EXPECT_EQ(Fetch(server, "/missing"), std::nullopt);
    EXPECT_EQ(server.Requests("/missing"), 1);

    server.Set("/broken", {200, "VER:2.0", /*BreakOff=*/true});
    EXPECT_EQ(Fetch(server, "/broken"), std::nullopt);
    EXPECT_EQ(server.Requests("/broken"), VersionFetcher::kReadAttempts);

    // Nobody listens on a port that was just given up.
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
    const quint16 closed = probe.serverPort();
    probe.close();
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(VersionFetcher().FetchVersion(QStringLiteral("http://127.0.0.1:%1/v").arg(closed)),
              std::nullopt);
    EXPECT_LT(clock.elapsed(), 3000);
    EXPECT_EQ(VersionFetcher().FetchVersion(QStringLiteral("file:///etc/hostname")), std::nullopt);
}

TEST(VersionFetch, AStopEndsAFetchThatWaitsForTheServer) {
    test::VersionServer server;
    server.Set("/slow", {200, "VER:2.0.0.1", false, 5000});
    std::atomic<bool> stop{false};
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        stop = true;
    });
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(VersionFetcher(&stop).FetchVersion(Q(server.Url("/slow"))), std::nullopt);
    EXPECT_LT(clock.elapsed(), 2000);
    stopper.join();
}

TEST(VersionCheckRules, NormalisationDropsLettersAndStopsBeforeTheThirdDot) {
    const std::pair<const char*, const char*> cases[] = {
        {"1.2.3A", "1.2.3"},
        {"1.2.3.0", "1.2.3"},
        {"1.2.3C", "1.2.3"},
        {"1.2.3", "1.2.3"},
        {"v1.10.2.7", "1.10.2"},
        {"1.2.3\r\n", "1.2.3\r\n"},
        {"", ""},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(VersionCheck::Normalise(QString::fromLatin1(in)), QString::fromLatin1(out)) << in;
}

// One check against the test site, recorder version `device`.
struct CheckRun {
    test::VersionServer Server;
    VersionCheck::Site Site() const {
        return {Q(Server.Url(kViewerPath)), Q(Server.Url("/viewer.html")),
                Q(Server.Url("/fw/version.txt")), Q(Server.Url("/fw/page.html"))};
    }
    std::optional<VersionCheck::Findings> Run(const QString& device) const {
        const VersionFetcher fetcher;
        return VersionCheck::Run(device, Site(),
                                 [&](const QString& url) { return fetcher.FetchVersion(url); });
    }
};

TEST(VersionCheckRules, ViewerAndRecorderComparisons) {
    struct Case {
        const char* Device;
        std::string ViewerFile;
        std::string RecorderFile;
        bool ViewerUpdate;
        bool RecorderUpdate;
    } cases[] = {
        {"", "VER:2.0.0.0", "", false, false},
        {"", "VER:2.0.0.1", "", true, false},
        {"", "VER: 2.0.0.0", "", true, false},
        {"", "VER:1.9.0.0", "", true, false}, // any difference counts
        {"1.2.3.0", "VER:2.0.0.0", "VER:1.2.3", false, false},
        {"1.2.3A", "VER:2.0.0.0", "VER:1.2.4A", false, true},
        {"1.2.3A", "VER:2.0.0.0", "VER:1.2.3\r\n", false, true},
        {"1.2.3A", "VER:2.0.0.0", "no marker", false, false},
        {"1.2.3", "VER:2.0.0.0", "VER:1.2.4", false, false}, // no model code: not asked
    };
    for (const Case& c : cases) {
        CheckRun run;
        run.Server.Set(kViewerPath, {200, c.ViewerFile});
        if (!c.RecorderFile.empty())
            run.Server.Set("/fw/version.txt", {200, c.RecorderFile});
        const auto findings = run.Run(QString::fromLatin1(c.Device));
        ASSERT_TRUE(findings) << c.Device << " " << c.ViewerFile;
        EXPECT_EQ(findings->ViewerUpdate, c.ViewerUpdate) << c.Device << " " << c.ViewerFile;
        EXPECT_EQ(findings->RecorderUpdate, c.RecorderUpdate) << c.Device << " " << c.RecorderFile;
        if (std::string(c.Device).empty() || c.Device == std::string("1.2.3")) {
            EXPECT_EQ(run.Server.Requests("/fw/version.txt"), 0) << c.Device;
        }
    }
}

TEST(VersionCheckRules, AFailingViewerFetchSuppressesTheWholeNotice) {
    CheckRun run;
    run.Server.Set("/fw/version.txt", {200, "VER:1.2.4A"});
    // The viewer's version file is missing (404): nothing at all, the recorder update too.
    EXPECT_FALSE(run.Run(QStringLiteral("1.2.3A")));
    EXPECT_EQ(run.Server.Requests("/fw/version.txt"), 1);
    run.Server.Set(kViewerPath, {200, "no marker here"});
    EXPECT_FALSE(run.Run(QStringLiteral("1.2.3A")));
}

TEST(VersionCheckRules, BothUpdatesInOneNoticeWithTheExactText) {
    CheckRun run;
    run.Server.Set(kViewerPath, {200, "VER:2.0.0.1"});
    run.Server.Set("/fw/version.txt", {200, "VER:1.2.4A"});
    const auto findings = run.Run(QStringLiteral("1.2.3A"));
    ASSERT_TRUE(findings);
    const QString recorderPage = Q(run.Server.Url("/fw/page.html"));
    const QString viewerPage = Q(run.Server.Url("/viewer.html"));
    const QString expected = UiQText(107) + "\r\n\r\n" + UiQText(110) + ":\r\n" + UiQText(109) +
                             "1.2.3.A   →   " + UiQText(111) + "1.2.4.A\r\n\r\nURL : <a href=\"" +
                             recorderPage + "\">" + recorderPage + "</a>\r\n\r\n\r\n" +
                             UiQText(112) + ":\r\n" + UiQText(109) + "2.0.0.0   →   " +
                             UiQText(111) + "2.0.0.1\r\n\r\nURL : <a href=\"" + viewerPage + "\">" +
                             viewerPage + "</a>\r\n";
    EXPECT_EQ(VersionCheck::NoticeText(*findings), expected);

    VersionCheck::Findings viewerOnly;
    viewerOnly.ViewerUpdate = true;
    viewerOnly.LatestViewer = QStringLiteral("2.0.0.1");
    viewerOnly.ViewerPage = viewerPage;
    EXPECT_EQ(VersionCheck::NoticeText(viewerOnly),
              UiQText(107) + "\r\n\r\n" + UiQText(112) + ":\r\n" + UiQText(109) + "2.0.0.0   →   " +
                  UiQText(111) + "2.0.0.1\r\n\r\nURL : <a href=\"" + viewerPage + "\">" +
                  viewerPage + "</a>");
    EXPECT_TRUE(VersionCheck::NoticeText(VersionCheck::Findings{}).isEmpty());
}

TEST(VersionCheckRules, AVersionFileCannotAddMarkupToTheNotice) {
    VersionCheck::Findings findings;
    findings.ViewerUpdate = true;
    findings.LatestViewer = QStringLiteral("<a href=\"http://elsewhere/\">2.1</a>");
    findings.ViewerPage = QStringLiteral("http://site/viewer.html");
    const QString text = VersionCheck::NoticeText(findings);
    EXPECT_EQ(text.count(QStringLiteral("<a ")), 1);
    EXPECT_FALSE(text.contains(QStringLiteral("elsewhere/\">")));
}

TEST(UpdateSiteConfig, HostAndModelAddresses) {
    test::TempWorkDir dir;
    SettingsStore::CaptureSettingsFolder();
    EXPECT_FALSE(UpdateSite::Host());
    EXPECT_FALSE(UpdateSite::SiteFor(QStringLiteral("1.2.3A")));
    const std::pair<const char*, const char*> hosts[] = {
        {"", ""},
        {"ftp://files.example.net", ""},
        {"downloads.example.net", "http://downloads.example.net"},
        {"https://downloads.example.net/", "https://downloads.example.net"},
        {"http://127.0.0.1:8080", "http://127.0.0.1:8080"},
    };
    for (const auto& [value, expected] : hosts) {
        ASSERT_TRUE(WriteSetting("UPDATE", "HOST", value));
        const auto host = UpdateSite::Host();
        EXPECT_EQ(host ? host->toString() : QString(), QString::fromLatin1(expected)) << value;
    }
    ASSERT_TRUE(WriteSetting("UPDATE", "VERSION_A", "/fw/a.txt"));
    ASSERT_TRUE(WriteSetting("UPDATE", "PAGE_A", "https://other.example.org/a.html"));
    ASSERT_TRUE(WriteSetting("UPDATE", "VERSION_C", "javascript:alert(1)"));
    const auto a = UpdateSite::SiteFor(QStringLiteral("1.2.3A"));
    ASSERT_TRUE(a);
    EXPECT_EQ(
        a->ViewerVersionUrl,
        QStringLiteral("http://127.0.0.1:8080/0_recorder/viewer/Ravenlog4/Ravenlog4_version.txt"));
    EXPECT_EQ(a->ViewerPageUrl,
              QStringLiteral("http://127.0.0.1:8080/0_recorder/viewer/Ravenlog4/viewer.html"));
    EXPECT_EQ(a->RecorderVersionUrl, QStringLiteral("http://127.0.0.1:8080/fw/a.txt"));
    EXPECT_EQ(a->RecorderPageUrl, QStringLiteral("https://other.example.org/a.html"));
    EXPECT_TRUE(UpdateSite::SiteFor(QStringLiteral("1.2.3C"))->RecorderVersionUrl.isEmpty());
    EXPECT_TRUE(UpdateSite::SiteFor(QStringLiteral("1.2.3.0"))->RecorderVersionUrl.isEmpty());
}

class UpdateThread : public testing::Test {
  protected:
    void SetUp() override { SettingsStore::CaptureSettingsFolder(); }
    void Configure() {
        ASSERT_TRUE(WriteSetting("UPDATE", "HOST", server.Base()));
        ASSERT_TRUE(WriteSetting("UPDATE", "VERSION_0", "/fw/0.txt"));
        ASSERT_TRUE(WriteSetting("UPDATE", "PAGE_0", "/fw/0.html"));
    }
    test::TempWorkDir dir;
    test::VersionServer server;
};

TEST_F(UpdateThread, WithNoSiteConfiguredNothingIsContacted) {
    UpdateSite::WriteDefaults();
    CInetConnectionAsync connection;
    EXPECT_FALSE(connection.StartUpdateCheck(QStringLiteral("1.2.3.0")));
    QTest::qWait(100);
    EXPECT_EQ(server.Requests(), 0);
    EXPECT_EQ(connection.Notice(), nullptr);
}

TEST_F(UpdateThread, RunsOncePerRunAndShowsTheNotice) {
    Configure();
    server.Set(kViewerPath, {200, "VER:2.0.0.0"});
    server.Set("/fw/0.txt", {200, "VER:1.2.4"});
    CInetConnectionAsync connection;
    ASSERT_TRUE(connection.StartUpdateCheck(QStringLiteral("1.2.3.0")));
    EXPECT_FALSE(connection.StartUpdateCheck(QStringLiteral("1.2.3.0")));
    ASSERT_TRUE(test::PumpUntil([&] { return connection.Notice() != nullptr; }, 10000));
    CUpdateDialog* notice = connection.Notice();
    EXPECT_TRUE(notice->isVisible());
    EXPECT_EQ(notice->windowTitle(), UiQText(108));
    EXPECT_TRUE(notice->LinkText().contains(QStringLiteral("1.2.3.0   →   ")));
    EXPECT_TRUE(notice->LinkText().contains(Q(server.Url("/fw/0.html"))));
    EXPECT_EQ(server.Requests(kViewerPath), 1);
    EXPECT_EQ(server.Requests("/fw/0.txt"), 1);
    connection.Stop();
    EXPECT_EQ(connection.Notice(), nullptr);
}

TEST_F(UpdateThread, NoUpdateShowsNothingAndAStopEndsAWaitingCheck) {
    Configure();
    server.Set(kViewerPath, {200, "VER:2.0.0.0"});
    {
        CInetConnectionAsync connection;
        ASSERT_TRUE(connection.StartUpdateCheck(QString()));
        ASSERT_TRUE(test::PumpUntil([&] { return connection.Finished(); }, 10000));
        QCoreApplication::processEvents();
        EXPECT_EQ(connection.Notice(), nullptr);
    }
    server.Set(kViewerPath, {200, "VER:2.0.0.1", false, 5000});
    CInetConnectionAsync connection;
    ASSERT_TRUE(connection.StartUpdateCheck(QString()));
    QTest::qWait(100);
    QElapsedTimer clock;
    clock.start();
    connection.Stop();
    EXPECT_LT(clock.elapsed(), 1500);
    QCoreApplication::processEvents();
    EXPECT_EQ(connection.Notice(), nullptr);
    EXPECT_FALSE(connection.StartUpdateCheck(QString()));
}

} // namespace
} // namespace kestrel
