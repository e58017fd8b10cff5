// stationd as a servlet container holds a kiosk: the staff login opens a session (JSESSIONID),
// every address but the connection test, the login and the open lookup refuses a request without
// it (HTTP 401, the detail in <pre>), a logout or a fresh database ends it, a restart on the same
// database keeps it; answers in GBK when asked, and HTTPS with a given certificate.
#include "support/stationd_fixture.h"
#include "support/testca.h"

#include <gtest/gtest.h>

#include <iconv.h>
#include <sys/wait.h>

#include <cstdlib>
#include <regex>

namespace stationd::test {
namespace {

const char* kForm = "application/x-www-form-urlencoded;charset=utf-8";
const Params kLogin = {{"username", "kiosk01"}, {"userpwd", "123456"}, {"ticketoutletcode", "ZZ01"}};

std::string PreDetail(const std::string& page)
{
    const auto open = page.find("<pre>");
    const auto close = page.find("</pre>");
    return open == std::string::npos || close == std::string::npos ? std::string() : page.substr(open + 5, close - open - 5);
}

httplib::Result PostWith(const Stationd& server, const std::string& cookie, const std::string& address,
                         const Params& params = {})
{
    auto client = server.AnonymousClient();
    httplib::Headers headers;
    if (!cookie.empty())
        headers.emplace("Cookie", cookie);
    return client.Post(("/KtBusWeb/" + address + ".action").c_str(), headers, KioskBody(params), kForm);
}

// "JSESSIONID=…" of a Set-Cookie header.
std::string CookieOf(const httplib::Result& result)
{
    const std::string header = result ? result->get_header_value("Set-Cookie") : std::string();
    return header.substr(0, header.find(';'));
}

TEST(Sessions, loginOpensTheSessionThatEveryOtherAddressWants)
{
    Stationd server;
    for (const char* open : {"system/testConn", "system/helpNoAuth"}) {
        const auto result = PostWith(server, "", open, {{"secretKey", "KESTKEY"}, {"helpType", "VehiclenoHelp"}});
        ASSERT_TRUE(result);
        EXPECT_EQ(result->status, 200) << open;
        EXPECT_FALSE(result->has_header("Set-Cookie")) << open;
    }
    for (const std::string cookie : {"", "JSESSIONID=0123456789ABCDEF0123456789ABCDEF", "OTHER=1"}) {
        for (const char* closed : {"bill/listbilltype", "system/logout", "checkticket/checkbyTicketno",
                                   "base/qryVehiclebyIdcard", "system/help"}) {
            const auto result = PostWith(server, cookie, closed);
            ASSERT_TRUE(result);
            EXPECT_EQ(result->status, 401) << closed << " with " << cookie;
            EXPECT_EQ(PreDetail(result->body), "用户未登录或登录已超时，请重新登录！") << result->body;
        }
    }

    const auto refused = PostWith(server, "", "system/login", {{"username", "kiosk01"}, {"userpwd", "x"}, {"ticketoutletcode", "ZZ01"}});
    ASSERT_TRUE(refused);
    EXPECT_FALSE(refused->has_header("Set-Cookie")) << "a refused login opens no session";

    const auto login = PostWith(server, "", "system/login", kLogin);
    ASSERT_TRUE(login);
    const std::string header = login->get_header_value("Set-Cookie");
    EXPECT_TRUE(std::regex_match(header, std::regex("JSESSIONID=[0-9A-F]{32}; Path=/KtBusWeb; HttpOnly"))) << header;
    const std::string session = CookieOf(login);
    const auto types = PostWith(server, "a=b; " + session, "bill/listbilltype");
    ASSERT_TRUE(types);
    EXPECT_EQ(types->status, 200);
    EXPECT_NE(types->body.find("billtypemap"), std::string::npos);

    // A second login starts a new session; the one it came with ends.
    const std::string again = CookieOf(PostWith(server, session, "system/login", kLogin));
    EXPECT_NE(again, session);
    EXPECT_EQ(PostWith(server, session, "bill/listbilltype")->status, 401);
    EXPECT_EQ(PostWith(server, again, "system/logout")->status, 200);
    EXPECT_EQ(PostWith(server, again, "bill/listbilltype")->status, 401) << "the logout ended the session";
}

TEST(Sessions, aRestartOnTheSameDatabaseKeepsThemAndAFreshOneDoesNot)
{
    Stationd first;
    const std::string session = CookieOf(PostWith(first, "", "system/login", kLogin));
    ASSERT_EQ(first.Stop(), 0);
    Stationd again(first, {false, {}});
    EXPECT_EQ(PostWith(again, session, "bill/listbilltype")->status, 200);
    ASSERT_EQ(again.Stop(), 0);
    Stationd fresh(first, {true, {}});
    EXPECT_EQ(PostWith(fresh, session, "bill/listbilltype")->status, 401);
}

std::string FromGbk(const std::string& text)
{
    iconv_t cd = iconv_open("UTF-8", "GBK");
    std::string in = text, out(text.size() * 2 + 16, '\0');
    char* from = in.data();
    char* to = out.data();
    std::size_t fromLeft = in.size(), toLeft = out.size();
    const auto rc = iconv(cd, &from, &fromLeft, &to, &toLeft);
    iconv_close(cd);
    EXPECT_NE(rc, static_cast<std::size_t>(-1)) << "not GBK";
    out.resize(out.size() - toLeft);
    return out;
}

TEST(StationdCharset, gbkAnswersAndErrorPagesNameTheirCharset)
{
    Stationd server({true, {"--charset", "GBK"}});
    const auto login = PostWith(server, "", "system/login", kLogin);
    ASSERT_TRUE(login);
    EXPECT_EQ(login->get_header_value("Content-Type"), "application/json;charset=GBK");
    EXPECT_EQ(Json::parse(FromGbk(login->body))["global"]["organization"]["name"], "广州市汽车客运站");
    EXPECT_EQ(login->body.find("广州"), std::string::npos) << "the bytes are GBK, not UTF-8";

    const auto page = PostWith(server, "", "checkticket/checkbyTicketno");
    EXPECT_EQ(page->get_header_value("Content-Type"), "text/html;charset=GBK");
    EXPECT_EQ(PreDetail(FromGbk(page->body)), "用户未登录或登录已超时，请重新登录！");
    EXPECT_NE(page->body.find("<meta charset=\"GBK\">"), std::string::npos);
}

TEST(StationdOptions, refusesAnUnknownCharsetAndHalfATlsPair)
{
    for (const std::vector<std::string>& bad : {std::vector<std::string>{"--charset", "no-such-charset"},
                                               std::vector<std::string>{"--tls-cert", "x.pem"}}) {
        std::string command = std::string(std::getenv("KIOSK_BIN_DIR")) + "/stationd --port 0 --db /nonexistent/x.db";
        for (const auto& arg : bad)
            command += " " + arg;
        EXPECT_EQ(WEXITSTATUS(std::system((command + " > /dev/null 2>&1").c_str())), 2) << command;
    }
}

TEST(StationdTls, servesHttpsWithTheGivenCertificateAndMarksTheCookieSecure)
{
    kiosk::test::TempFolder folder;
    const auto ca = kiosk::test::MakeTestCA(folder.path());
    if (ca.caFile.empty())
        GTEST_SKIP() << "the openssl command is not installed";
    Stationd server({true, {"--tls-cert", ca.certFile, "--tls-key", ca.keyFile}});
    server.SetCaFile(ca.caFile);
    EXPECT_EQ(server.Scheme(), "https");
    EXPECT_EQ(server.URLHost().rfind("https://127.0.0.1:", 0), 0u);
    const auto login = PostWith(server, "", "system/login", kLogin);
    ASSERT_TRUE(login) << httplib::to_string(login.error());
    EXPECT_NE(login->get_header_value("Set-Cookie").find("; Secure"), std::string::npos);
    EXPECT_EQ(server.Post("bill/listbilltype")["flag"], 1);

    httplib::Client plain("http://127.0.0.1:" + std::to_string(server.Port()));
    plain.set_connection_timeout(2);
    plain.set_read_timeout(2);
    const auto refused = plain.Post("/KtBusWeb/system/testConn.action", "&secretKey=KESTKEY", kForm);
    EXPECT_TRUE(!refused || refused->status != 200) << "plain HTTP is not served on the TLS port";
}

} // namespace
} // namespace stationd::test
