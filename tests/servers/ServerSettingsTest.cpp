#include "servers/ServerProperties.h"

#include "TestService.h"

#include "common/FileUtilities.h"
#include "common/WideText.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quentry {
namespace {

ServerPackage Package(const std::wstring& name, bool selected = true) {
    return ServerPackage{name, L"2026", L"2026 rel. 2", selected};
}

// Configuration files below a scratch folder that stands for the machine's folders.
class ServerSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_folders.configFolder = m_scratch.File(L"ProgramData\\Zorvat");
        m_folders.programFilesFolder = m_scratch.File(L"Program Files");
    }
    void Write(const std::wstring& path, const std::string& bytes) {
        ASSERT_TRUE(ICBSFileUtilities::EnsureParentFolder(path));
        ASSERT_TRUE(test::WriteBytes(path, bytes));
    }
    ServerSettingsList Collect(const std::vector<ServerPackage>& packages) {
        ServerSettingsList list;
        const size_t count = CollectServerSettings(packages, m_languages, m_folders, list);
        EXPECT_EQ(count, list.size());
        return list;
    }

    test::ScratchFolder m_scratch;
    ServerFolders m_folders;
    LanguageTable m_languages;
};

TEST_F(ServerSettingsTest, EachPackageYieldsItsInterfaces) {
    const std::vector<ServerPackage> packages = {
        Package(L"Zorvat Main Product 2026"),           Package(L"Zorvat PellamServer 2026"),
        Package(L"Zorvat Tessaro Server 2026"),         Package(L"Zorvat Talvex Server 2026"),
        Package(L"Zorvat Talvex+XBRL Server x64 2026"), Package(L"Zorvat Brindle Server 2026"),
        Package(L"Zorvat Braxel Server Client 2026"),   Package(L"Zorvat Braxel Server 2026"),
        Package(L"Zorvat brindle server 2026")};
    ServerSettingsList list = Collect(packages);
    const std::wstring data = m_folders.configFolder;
    const struct {
        std::wstring label, prefix, service, display;
        int package, web, ssl, start;
        bool hasService, sslSupported, enableFixed;
    } expected[] = {
        {L"PellamServer", L"PL", L"ZorvatPellamServer", L"Zorvat PellamServer 2026 rel. 2", 1, 8088, 8083, 2,
         true, false, false},
        {L"Tessaro Server Admin Interface", L"TSRAdmin", L"ZorvatTessaroServer", L"Zorvat Tessaro Server", 2,
         8085, 8086, 2, true, true, false},
        {L"Tessaro Server Client Interface", L"TSRClient", L"Tessaro Server Client Interface",
         L"Tessaro Server Client Interface 2026 rel. 2", 2, 8083, 8084, 2, false, true, false},
        {L"Talvex Server", L"TVX", L"ZorvatTalvexServer", L"Zorvat Talvex Server 2026 rel. 2", 3, 8087, 463,
         3, true, true, false},
        {L"Talvex+XBRL Server", L"TXBRL", L"ZorvatTalvexXBRLServer", L"Zorvat Talvex+XBRL Server 2026 rel. 2",
         4, 8087, 463, 3, true, true, false},
        {L"Brindle Server", L"BR", L"ZorvatBrindle", L"Zorvat Brindle 2026 rel. 2", 5, 4646, 4647, 2, true,
         true, true},
        {L"BrindleWeb Server", L"BRWeb", L"ZorvatBrindleWeb", L"Zorvat Brindle Web 2026 rel. 2", 5, 8082,
         8089, 2, true, true, false},
        {L"Braxel Server", L"BX", L"ZorvatBraxelServer", L"Zorvat Braxel Server 2026 rel. 2", 7, 29800, 8091,
         2, true, false, false},
    };
    ASSERT_EQ(list.size(), std::size(expected));
    for (size_t i = 0; i < list.size(); ++i) {
        const ServerSettings& r = *list[i];
        SCOPED_TRACE(ToUtf8(r.label));
        EXPECT_EQ(r.label, expected[i].label);
        EXPECT_EQ(r.propertyPrefix, expected[i].prefix);
        EXPECT_EQ(r.serviceName, expected[i].service);
        EXPECT_EQ(r.displayName, expected[i].display);
        EXPECT_EQ(r.packageIndex, expected[i].package);
        EXPECT_EQ(r.ownerIndex, static_cast<int>(i));
        EXPECT_EQ(r.webPort, expected[i].web);
        EXPECT_EQ(r.sslPort, expected[i].ssl);
        EXPECT_EQ(r.startType, expected[i].start);
        EXPECT_EQ(r.hasService, expected[i].hasService);
        EXPECT_EQ(r.sslSupported, expected[i].sslSupported);
        EXPECT_EQ(r.enableFixed, expected[i].enableFixed);
        EXPECT_TRUE(r.webEnabled);
        EXPECT_FALSE(r.sslEnabled);
        EXPECT_EQ(r.accountKind, AccountLocalSystem);
        EXPECT_EQ(r.certificatePath, L"C:\\path_to\\certificate");
        EXPECT_EQ(r.privateKeyPath, L"C:\\path_to\\PrivateKey");
    }
    LinkServerOwners(list);
    EXPECT_EQ(list[2]->ownerIndex, 1); // the Tessaro client interface uses the admin interface's
    EXPECT_EQ(list[6]->ownerIndex, 5); // Brindle Web uses Brindle's
    EXPECT_EQ(list[0]->ownerIndex, 0);
}

TEST_F(ServerSettingsTest, The64BitRuleForTheProgramFilesFolder) {
    EXPECT_EQ(ProgramFilesFolderFor(L"C:\\Program Files (x86)", L"Zorvat Talvex Server x64 2026"),
              L"C:\\Program Files");
    EXPECT_EQ(ProgramFilesFolderFor(L"C:\\Program Files (x86)", L"Zorvat Talvex Server 2026"),
              L"C:\\Program Files (x86)");
    EXPECT_EQ(ProgramFilesFolderFor(L"C:\\Program Files", L"Zorvat Talvex Server x64 2026"),
              L"C:\\Program Files");
    EXPECT_EQ(ProgramFilesFolderFor(L"C:\\Program Files (x86)", L"Zorvat Talvex Server X64 2026"),
              L"C:\\Program Files (x86)");
}

TEST_F(ServerSettingsTest, EveryServersFileIsRead) {
    const std::wstring data = m_folders.configFolder;
    Write(data + L"\\PellamServer\\server.cfg",
          "[Listen]\r\nport = 9088 \r\nactive=0\r\n[ListenSSL]\r\nport=9083\r\n"
          "[SSL]\r\ncertificate=\tC:\\pellam.crt\r\n");
    Write(data + L"\\TessaroServer\\tessaroserver.cfg",
          "[ListenAdmin]\r\nport=7085\r\nactive=1\r\n[ListenAdminSSL]\r\nport=7086\r\nactive=2\r\n"
          "[Listen]\r\nport=7083\r\nactive=0\r\n[ListenSSL]\r\nport=7084x\r\nactive=1\r\n"
          "[SSL]\r\ncertificate=C:\\t.crt\r\nprivate_key=C:\\t.key\r\n");
    Write(data + L"\\BrindleServer2026\\data\\brindle.ini",
          "[Listen]\r\nport=5646\r\n[ListenSSL]\r\nactive=1\r\n");
    Write(data + L"\\BrindleServer2026\\data\\brindleweb.ini",
          "[Listen]\r\nport=abc\r\n[SSL]\r\nprivate_key=K\r\n");
    Write(data + L"\\BraxelServer2026\\server_config.ini",
          "[BraxelServer]\r\nhttp.socket-port=39800\r\nhttp.enable=FALSE\r\n[SSL]\r\ncertificate=C:\\b."
          "crt\r\n");
    Write(m_folders.programFilesFolder + L"\\Zorvat\\TalvexServer2026\\etc\\server_config.xml",
          "<?xml version=\"1.0\"?>\r\n<config>\r\n<http.socket-port> 9087</http.socket-port>\r\n"
          "<http.enable>0</http.enable>\r\n<https.socket-port>9443</https.socket-port>\r\n"
          "<https.enable>1</https.enable>\r\n<!-- <https.certificate>C:\\old.crt</https.certificate> -->\r\n"
          "<https.private-key>C:\\tv.key</https.private-key>\r\n</config>\r\n");
    ServerSettingsList list =
        Collect({Package(L"Zorvat PellamServer 2026"), Package(L"Zorvat Tessaro Server 2026"),
                 Package(L"Zorvat Brindle Server 2026"), Package(L"Zorvat Braxel Server 2026"),
                 Package(L"Zorvat Talvex Server 2026"), Package(L"Zorvat Talvex+XBRL Server 2026")});
    ASSERT_EQ(list.size(), 8u);
    const struct {
        int web;
        bool webOn;
        int ssl;
        bool sslOn;
        std::wstring certificate, key;
    } expected[] = {
        {9088, false, 9083, false, L"C:\\pellam.crt", L"C:\\path_to\\PrivateKey"},
        {7085, true, 7086, true, L"C:\\t.crt", L"C:\\t.key"},
        {7083, false, 7084, true, L"C:\\t.crt", L"C:\\t.key"},
        {5646, true, 4647, true, L"C:\\path_to\\certificate", L"C:\\path_to\\PrivateKey"},
        {0, true, 8089, false, L"C:\\path_to\\certificate", L"K"},
        {39800, false, 8091, false, L"C:\\b.crt", L"C:\\path_to\\PrivateKey"},
        {9087, false, 9443, true, L"C:\\path_to\\certificate", L"C:\\tv.key"},
        {8087, true, 463, false, L"C:\\path_to\\certificate", L"C:\\path_to\\PrivateKey"}, // no file
    };
    for (size_t i = 0; i < list.size(); ++i) {
        const ServerSettings& r = *list[i];
        SCOPED_TRACE(ToUtf8(r.label));
        EXPECT_EQ(r.webPort, expected[i].web);
        EXPECT_EQ(r.webEnabled, expected[i].webOn);
        EXPECT_EQ(r.sslPort, expected[i].ssl);
        EXPECT_EQ(r.sslEnabled, expected[i].sslOn);
        EXPECT_EQ(r.certificatePath, expected[i].certificate);
        EXPECT_EQ(r.privateKeyPath, expected[i].key);
    }
}

TEST_F(ServerSettingsTest, WithoutAConfigurationFolderNothingIsFound) {
    m_folders.configFolder.clear();
    ServerSettingsList list = Collect({Package(L"Zorvat Brindle Server 2026")});
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0]->webPort, 4646);
}

TEST_F(ServerSettingsTest, ExistingServicesGiveTheirSettings) {
    test::TestService web(L"ZorvatBrindleWeb", L"Zorvat Brindle Web old", SERVICE_DEMAND_START, L".\\user");
    test::TestService braxel(L"ZorvatBraxelServer", L"Zorvat Braxel old", SERVICE_AUTO_START, L"", true);
    test::TestService pellam(L"ZorvatPellamServer", L"Zorvat Pellam old", SERVICE_DISABLED,
                             L"NT AUTHORITY\\NetworkService");
    ASSERT_TRUE(web.Created());
    ASSERT_TRUE(braxel.Created());
    ASSERT_TRUE(pellam.Created());
    ServerSettingsList list =
        Collect({Package(L"Zorvat Brindle Server 2026"), Package(L"Zorvat Braxel Server 2026"),
                 Package(L"Zorvat PellamServer 2026")});
    ASSERT_EQ(list.size(), 4u);
    // No service named ZorvatBrindle: the defaults stay.
    EXPECT_EQ(list[0]->startType, StartAutomatic);
    EXPECT_EQ(list[0]->accountKind, AccountLocalSystem);
    EXPECT_EQ(list[1]->startType, StartOnDemand);
    EXPECT_EQ(list[1]->accountKind, AccountOtherUser);
    EXPECT_EQ(list[1]->userName, L"user");
    EXPECT_EQ(list[1]->password, L"");
    EXPECT_EQ(list[1]->displayName, L"Zorvat Brindle Web 2026 rel. 2");
    EXPECT_EQ(list[2]->startType, StartAutomaticDelayed);
    EXPECT_EQ(list[2]->accountKind, AccountLocalSystem);
    EXPECT_EQ(list[2]->userName, L"LocalSystem");
    EXPECT_EQ(list[3]->startType, StartDisabled);
    EXPECT_EQ(list[3]->accountKind, AccountNetworkService);
    // The page shows PellamServer as automatic delayed unless the command line says otherwise.
    ApplyServerCommandLine(list, 3, {});
    EXPECT_EQ(list[3]->startType, StartAutomaticDelayed);
    // With the user account, Next always passes the account and its (encrypted) password.
    std::vector<std::wstring> properties;
    const auto result = BuildServerProperties(
        list, {Package(L"a"), Package(L"b"), Package(L"c")}, properties, nullptr,
        [](std::wstring_view text) { return std::optional<std::wstring>(L"<" + std::wstring(text) + L">"); },
        {});
    EXPECT_EQ(result.status, ServerPropertiesStatus::Built);
    EXPECT_EQ(result.text, L"BRWeb_Service_Username=\"user\" BRWeb_Service_Password=\"<>\" ");
}

TEST_F(ServerSettingsTest, TheCommandLineIsApplied) {
    ServerSettingsList list =
        Collect({Package(L"Zorvat Tessaro Server 2026"), Package(L"Zorvat Brindle Server 2026"),
                 Package(L"Zorvat PellamServer 2026")});
    ASSERT_EQ(list.size(), 5u);
    const std::vector<std::wstring> properties = {
        L"TSRAdmin_Service_StartType=disabled",
        L"TSR_Service_StartType=demand",
        L"TSRAdmin_WebServer_Port=1111",
        L"TSRClient_WebServer_Enabled=0",
        L"tsr_SSLWebServer_Certificate=  \"C:\\a b.crt\"  ",
        L"BR_Service_password=secret",
        L"br_service_username=MACHINE\\bob",
        L"BRWeb_SSLWebServer_Port=80a",
        L"BRWeb_Service_Username=NT AUTHORITY\\LocalService",
        L"BRWeb_Service_Password=pw",
        L"BR_WebServer_Host=example",
        L"NOUNDERSCORE=1",
        L"BR_NoEquals",
        L"BR_Service_DisplayName=\"My Brindle\"",
        L"PL_Service_StartType=Demand",
    };
    const std::vector<std::wstring> before = properties;
    ApplyServerCommandLine(list, 3, properties);
    EXPECT_EQ(properties, before);
    const ServerSettings& admin = *list[0];
    const ServerSettings& client = *list[1];
    const ServerSettings& brindle = *list[2];
    const ServerSettings& web = *list[3];
    const ServerSettings& pellam = *list[4];
    EXPECT_EQ(admin.startType, StartOnDemand);
    EXPECT_EQ(admin.webPort, 1111);
    EXPECT_EQ(admin.certificatePath, L"C:\\a b.crt");
    EXPECT_EQ(client.webEnabled, false);
    EXPECT_EQ(client.startType, StartAutomatic);
    EXPECT_EQ(client.ownerIndex, 0);
    EXPECT_EQ(brindle.password, L"");
    EXPECT_EQ(brindle.accountKind, AccountOtherUser);
    EXPECT_EQ(brindle.userName, L"MACHINE\\bob");
    EXPECT_EQ(brindle.displayName, L"My Brindle");
    EXPECT_EQ(web.sslPort, 80);
    EXPECT_EQ(web.accountKind, AccountLocalService);
    EXPECT_EQ(web.password, L"pw");
    EXPECT_EQ(web.ownerIndex, 2);
    EXPECT_EQ(pellam.startType, StartOnDemand);
    // The snapshot is taken after the command line.
    for (const auto& r : list) {
        EXPECT_EQ(r->initialStartType, r->startType);
        EXPECT_EQ(r->initialWebPort, r->webPort);
        EXPECT_EQ(r->initialUserName, r->userName);
        EXPECT_EQ(r->initialCertificatePath, r->certificatePath);
    }
}

// A question that records what it was asked and gives a fixed answer.
class RecordingQuestion : public IPasswordQuestion {
public:
    explicit RecordingQuestion(std::optional<std::wstring> answer) : m_answer(std::move(answer)) {}
    std::optional<std::wstring> AskPassword(const std::wstring& displayName,
                                            const std::wstring& userName) override {
        asked.push_back(displayName + L"|" + userName);
        return m_answer;
    }
    std::vector<std::wstring> asked;

private:
    std::optional<std::wstring> m_answer;
};

std::optional<std::wstring> Bracketed(std::wstring_view text) {
    return L"[" + std::wstring(text) + L"]\r\n";
}

TEST_F(ServerSettingsTest, NextBuildsThePropertiesOfTheChanges) {
    const std::vector<ServerPackage> packages = {
        Package(L"Zorvat Brindle Server 2026"), Package(L"Zorvat Tessaro Server 2026"),
        Package(L"Zorvat PellamServer 2026"), Package(L"Zorvat Braxel Server 2026", false)};
    struct Case {
        const char* name;
        std::function<void(ServerSettingsList&)> change;
        std::vector<std::wstring> commandLine;
        std::wstring text;
        std::vector<std::wstring> remaining;
    };
    const std::vector<Case> cases = {
        {"NothingChanged",
         [](ServerSettingsList&) {},
         {L"BRWeb_WebServer_Port=9000"},
         L"",
         {L"BRWeb_WebServer_Port=9000"}},
        {"OnlyTheBrindleWebPort",
         [](ServerSettingsList& l) { l[1]->webPort = 9000; },
         {L"A=1", L"BRWeb_WebServer_Port=8082", L"BRWeb_WebServer_Port=8083", L"BRWEB_WebServer_Port=1"},
         L"BRWeb_WebServer_Port=9000 ",
         {L"A=1", L"BRWEB_WebServer_Port=1"}},
        {"CertificateOfTheBrindleWebTabGoesToItsOwner",
         [](ServerSettingsList& l) { l[l[1]->ownerIndex]->certificatePath = L"C:\\new.crt"; },
         {},
         L"BR_SSLWebServer_Certificate=\"C:\\new.crt\" ",
         {}},
        {"SwitchedOffAndSsl",
         [](ServerSettingsList& l) {
             l[0]->webEnabled = false;
             l[0]->sslEnabled = true;
             l[0]->sslPort = 4700;
             l[0]->privateKeyPath = L"C:\\k";
         },
         {},
         L"BR_WebServer_Enabled=0 BR_SSLWebServer_Port=4700 BR_SSLWebServer_Enabled=1 "
         L"BR_SSLWebServer_PrivateKey=\"C:\\k\" ",
         {}},
        {"TessaroAdminServiceUsesTsr",
         [](ServerSettingsList& l) {
             l[2]->startType = StartDisabled;
             l[2]->webPort = 1;
             l[2]->certificatePath = L"C:\\c";
             l[2]->accountKind = AccountNetworkService;
         },
         {L"TSR_Service_StartType=auto"},
         L"TSRAdmin_WebServer_Port=1 TSR_SSLWebServer_Certificate=\"C:\\c\" "
         L"TSR_Service_StartType=\"disabled\" "
         L"TSR_Service_Username=\"NT AUTHORITY\\NetworkService\" ",
         {}},
        {"PellamHasNoSslAndItsDelayedDefaultIsNotPassed",
         [](ServerSettingsList& l) {
             l[4]->sslPort = 1;
             l[4]->sslEnabled = true;
         },
         {},
         L"",
         {}},
        {"PellamStartChangedByTheUser",
         [](ServerSettingsList& l) { l[4]->startType = StartAutomatic; },
         {},
         L"PL_Service_StartType=\"auto\" ",
         {}},
        {"UnselectedPackageGivesNothing", [](ServerSettingsList& l) { l[5]->webPort = 1; }, {}, L"", {}},
        {"UserAccountWithAKnownPassword",
         [](ServerSettingsList& l) {
             l[1]->accountKind = AccountOtherUser;
             l[1]->userName = L"M\\u";
             l[1]->password = L"pw";
         },
         {L"BRWeb_Service_Password=old", L"BRWeb_Service_Username=x"},
         L"BRWeb_Service_Username=\"M\\u\" BRWeb_Service_Password=\"[pw]\r\n\" ",
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ServerSettingsList list = Collect(packages);
        ASSERT_EQ(list.size(), 6u);
        ApplyServerCommandLine(list, packages.size(), {});
        c.change(list);
        std::vector<std::wstring> properties = c.commandLine;
        RecordingQuestion question(L"asked");
        const ServerPropertiesResult result =
            BuildServerProperties(list, packages, properties, &question, Bracketed, {});
        EXPECT_EQ(result.status, ServerPropertiesStatus::Built);
        EXPECT_EQ(result.text, c.text);
        EXPECT_EQ(properties, c.remaining);
        EXPECT_TRUE(question.asked.empty());
    }
}

TEST_F(ServerSettingsTest, APasswordIsAskedForWhenNoneIsKnown) {
    const std::vector<ServerPackage> packages = {Package(L"Zorvat Brindle Server 2026")};
    ServerSettingsList list = Collect(packages);
    ApplyServerCommandLine(list, 1, {});
    list[0]->accountKind = AccountOtherUser;
    list[0]->userName = L"M\\bob";
    std::vector<std::wstring> properties = {L"BR_Service_Username=x"};
    {
        RecordingQuestion declined(std::nullopt);
        const auto result = BuildServerProperties(list, packages, properties, &declined, Bracketed, {});
        EXPECT_EQ(result.status, ServerPropertiesStatus::Cancelled);
        EXPECT_EQ(result.text, L"");
        EXPECT_EQ(declined.asked, std::vector<std::wstring>{L"Zorvat Brindle 2026 rel. 2|M\\bob"});
        EXPECT_EQ(properties, std::vector<std::wstring>{L"BR_Service_Username=x"});
    }
    RecordingQuestion answered(L"s3cret");
    auto result = BuildServerProperties(list, packages, properties, &answered, Bracketed, {});
    EXPECT_EQ(result.status, ServerPropertiesStatus::Built);
    EXPECT_EQ(result.text, L"BR_Service_Username=\"M\\bob\" BR_Service_Password=\"[s3cret]\r\n\" ");
    EXPECT_TRUE(properties.empty());
    // Known now: the next Next asks no more, and still sends both.
    RecordingQuestion again(L"other");
    result = BuildServerProperties(list, packages, properties, &again, Bracketed, {});
    EXPECT_TRUE(again.asked.empty());
    EXPECT_EQ(result.text, L"BR_Service_Username=\"M\\bob\" BR_Service_Password=\"[s3cret]\r\n\" ");
}

TEST_F(ServerSettingsTest, AQuietRunAsksNothing) {
    const std::vector<ServerPackage> packages = {Package(L"Zorvat Brindle Server 2026")};
    ServerSettingsList list = Collect(packages);
    ApplyServerCommandLine(list, 1, {L"BR_Service_Username=M\\bob"});
    std::vector<std::wstring> properties;
    const auto result = BuildServerProperties(list, packages, properties, nullptr, Bracketed, {});
    EXPECT_EQ(result.status, ServerPropertiesStatus::Built);
    EXPECT_EQ(result.text, L"BR_Service_Username=\"M\\bob\" BR_Service_Password=\"[]\r\n\" ");
}

TEST_F(ServerSettingsTest, APasswordIsNeverPassedInPlainText) {
    const std::vector<ServerPackage> packages = {Package(L"Zorvat Brindle Server 2026")};
    ServerSettingsList list = Collect(packages);
    const std::vector<std::wstring> commandLine = {L"BR_Service_Username=M\\bob", L"BR_Service_Password=pw",
                                                   L"BR_WebServer_Port=1"};
    ApplyServerCommandLine(list, 1, commandLine);
    list[0]->webPort = 2;
    std::vector<std::wstring> properties = commandLine;
    std::vector<std::wstring> logged;
    const auto result = BuildServerProperties(
        list, packages, properties, nullptr, [](std::wstring_view) { return std::optional<std::wstring>(); },
        [&](int level, std::wstring_view line) {
            EXPECT_EQ(level, LogError);
            logged.emplace_back(line);
        });
    EXPECT_EQ(result.status, ServerPropertiesStatus::Failed);
    EXPECT_EQ(result.text, L"");
    EXPECT_EQ(properties, commandLine);
    const std::wstring line =
        L"The password of the service ZorvatBrindle cannot be encrypted; it is not passed on "
        L"in plain text.";
    EXPECT_EQ(result.logText, line);
    EXPECT_EQ(logged, std::vector<std::wstring>{line});
}

} // namespace
} // namespace quentry
