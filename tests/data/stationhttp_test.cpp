// The transport against servers that behave as station servers run: the session cookie of the
// staff login, answers in GBK and other declared charsets, redirects, answers that only a
// lenient JSON reader takes, and HTTPS with the station's own certificate authority.
#include <gtest/gtest.h>


#include <functional>
#include <mutex>
#include <thread>

#include "data/answertext.h"
#include "data/tjsonclientdataset.h"
#include "data/tjsonconnection.h"
#include "stationstub.h"
#include "support/encodetext.h"
#include "support/tempfolder.h"
#include "support/testca.h"

using namespace kiosk;
using kiosk::test::StationStub;

namespace {

std::string ErrorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "no error";
}

// An execute with the outputs "flag" and "msg", as the screens make them.
struct Command {
    explicit Command(TjsonConnection& jcon, const std::string& address) : ds("cmd")
    {
        ds.SetRemoteServer(&jcon);
        ds.SetSaveAddress(address);
        ds.Params().CreateParam(ftBCD, "flag", ptOutput);
        ds.Params().CreateParam(ftString, "msg", ptOutput);
    }
    std::string Msg()
    {
        ds.Execute();
        return ds.ParamByName("msg").AsString();
    }
    TjsonClientDataSet ds;
};

class StationHttp : public ::testing::Test {
protected:
    StationHttp()
    {
        jcon.SetURLHost(server.BaseURL());
        jcon.SetConnectTimeout(2000);
        jcon.SetTimeout(3000);
    }
    StationStub server;
    TjsonConnection jcon;
};

} // namespace

// ---------------------------------------------------------------- session cookie

TEST_F(StationHttp, staffLoginSessionRidesOnEveryLaterRequestAndIsWrittenNowhere)
{
    std::mutex mutex;
    std::vector<std::string> cookies;
    server.On("/KtBusWeb/system/login.action", [&](const httplib::Request& req, httplib::Response& res) {
        std::lock_guard lock(mutex);
        cookies.push_back(req.get_header_value("Cookie"));
        res.set_header("Set-Cookie", "JSESSIONID=5A1B2C3D; Path=/KtBusWeb; HttpOnly");
        res.set_content(R"({"flag":1,"msg":"登录成功"})", "application/json;charset=utf-8");
    });
    server.On("/KtBusWeb/bill/listbilltype.action", [&](const httplib::Request& req, httplib::Response& res) {
        std::lock_guard lock(mutex);
        cookies.push_back(req.get_header_value("Cookie"));
        res.set_content(R"({"flag":1,"msg":""})", "application/json;charset=utf-8");
    });
    test::TempFolder cwd;
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(cwd.path());
    EXPECT_EQ(Command(jcon, "system/login").Msg(), "登录成功");
    Command(jcon, "bill/listbilltype").Msg();
    Command(jcon, "bill/listbilltype").Msg();
    std::filesystem::current_path(previous);
    EXPECT_EQ(cookies, (std::vector<std::string>{"", "JSESSIONID=5A1B2C3D", "JSESSIONID=5A1B2C3D"}));
    EXPECT_NE(jcon.Cookies().find("JSESSIONID\t5A1B2C3D"), std::string::npos) << jcon.Cookies();
    EXPECT_TRUE(std::filesystem::is_empty(cwd.path())) << "the cookies stay in memory";

    TjsonConnection other;  // another kiosk process: no session
    other.SetURLHost(server.BaseURL());
    Command(other, "bill/listbilltype").Msg();
    EXPECT_EQ(cookies.back(), "");
}

// ---------------------------------------------------------------- charsets

struct CharsetCase {
    const char* name;
    const char* contentType;
    const char* charset;  // the answer's bytes; nullptr: UTF-8
    bool bom;
};

class AnswerCharsets : public StationHttp, public ::testing::WithParamInterface<CharsetCase> {};

TEST_P(AnswerCharsets, areDecodedByTheDeclaredCharset)
{
    const CharsetCase& c = GetParam();
    const std::string text = R"({"flag":1,"msg":"检票成功！粤A12345 张建国，20元"})";
    std::string body = c.charset ? kiosk::test::EncodeText(text, c.charset) : text;
    if (c.bom) body.insert(0, "\xEF\xBB\xBF");
    server.On("/KtBusWeb/x.action", [&](const httplib::Request&, httplib::Response& res) {
        res.set_content(body, c.contentType);
    });
    EXPECT_EQ(Command(jcon, "x").Msg(), "检票成功！粤A12345 张建国，20元");
}

INSTANTIATE_TEST_SUITE_P(
    Transport, AnswerCharsets,
    ::testing::Values(CharsetCase{"gbk", "application/json;charset=GBK", "GBK", false},
                      CharsetCase{"gbkLowerQuoted", "application/json; charset=\"gbk\"", "GBK", false},
                      CharsetCase{"gb18030", "text/plain;charset=GB18030", "GB18030", false},
                      CharsetCase{"gb2312", "application/json;charset=gb2312", "GB2312", false},
                      CharsetCase{"utf8Declared", "application/json;charset=UTF-8", nullptr, false},
                      CharsetCase{"noCharsetIsUtf8", "application/json", nullptr, false},
                      CharsetCase{"utf8WithBom", "application/json;charset=utf-8", nullptr, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StationHttp, gbkErrorPageDetailAndBadBytesAreReadableAndAnUnknownCharsetIsSaid)
{
    server.On("/KtBusWeb/fail.action", [](const httplib::Request&, httplib::Response& res) {
        res.status = 401;
        res.set_content(kiosk::test::EncodeText("<html><body><pre>用户未登录</pre></body></html>", "GBK"), "text/html;charset=GBK");
    });
    EXPECT_EQ(ErrorOf([&] { Command(jcon, "fail").Msg(); }), "服务器返回出错：httpStatus:401 Unauthorized\r用户未登录");

    server.On("/KtBusWeb/bad.action", [](const httplib::Request&, httplib::Response& res) {
        res.set_content(kiosk::test::EncodeText(R"({"flag":0,"msg":"票号)", "GBK") + "\x81\x20" + R"("})", "application/json;charset=GBK");
    });
    EXPECT_EQ(Command(jcon, "bad").Msg(), "票号\xEF\xBF\xBD ");

    server.On("/KtBusWeb/odd.action", [](const httplib::Request&, httplib::Response& res) {
        res.set_content(R"({"flag":1,"msg":""})", "application/json;charset=x-klingon");
    });
    EXPECT_EQ(ErrorOf([&] { Command(jcon, "odd").Msg(); }), "服务器返回的字符集“x-klingon”无法识别");
    EXPECT_EQ(jcon.XmlHttp(), nullptr);
}

TEST(AnswerText, charsetOfContentType)
{
    EXPECT_EQ(CharsetOf("application/json;charset=GBK"), "GBK");
    EXPECT_EQ(CharsetOf("text/html; Charset = gb2312 ; q=1"), "gb2312");
    EXPECT_EQ(CharsetOf("application/json; charset=\"UTF-8\""), "UTF-8");
    EXPECT_EQ(CharsetOf("application/json"), "");
    EXPECT_TRUE(IsUtf8Charset(""));
    EXPECT_TRUE(IsUtf8Charset("utf8"));
    EXPECT_FALSE(IsUtf8Charset("GBK"));
}

// ---------------------------------------------------------------- redirects

TEST_F(StationHttp, redirectsAreFollowedAsBrowsersFollowThemForAFewHops)
{
    std::mutex mutex;
    std::vector<std::string> seen;
    auto record = [&](const httplib::Request& req) {
        std::lock_guard lock(mutex);
        seen.push_back(req.method + " " + req.path + " " + req.body);
    };
    auto redirect = [&](int status, std::string to) {
        return [&, status, to](const httplib::Request& req, httplib::Response& res) {
            record(req);
            res.status = status;
            res.set_header("Location", to);
        };
    };
    server.On("/KtBusWeb/moved.action", redirect(302, "/KtBusWeb/new/moved.action"));
    server.On("/KtBusWeb/kept.action", redirect(307, "/KtBusWeb/new/kept.action"));
    server.On("/KtBusWeb/loop.action", redirect(307, "/KtBusWeb/loop.action"));
    auto answer = [&](const httplib::Request& req, httplib::Response& res) {
        record(req);
        res.set_content(R"({"flag":1,"msg":"到了"})", "application/json");
    };
    server.On("/KtBusWeb/new/moved.action", answer);
    server.On("/KtBusWeb/new/kept.action", answer);
    httplib::Server& raw = server.Raw();
    raw.Get("/KtBusWeb/new/moved.action", answer);

    Command moved(jcon, "moved");
    moved.ds.Params().CreateParam(ftString, "a", ptInput).SetAsString("1");
    EXPECT_EQ(moved.Msg(), "到了");
    Command kept(jcon, "kept");
    kept.ds.Params().CreateParam(ftString, "a", ptInput).SetAsString("2");
    EXPECT_EQ(kept.Msg(), "到了");
    EXPECT_EQ(seen, (std::vector<std::string>{"POST /KtBusWeb/moved.action &a=1", "GET /KtBusWeb/new/moved.action ",
                                              "POST /KtBusWeb/kept.action &a=2", "POST /KtBusWeb/new/kept.action &a=2"}));

    const std::string loop = ErrorOf([&] { Command(jcon, "loop").Msg(); });
    EXPECT_EQ(loop.rfind("无法连接服务器:", 0), 0u) << loop;
    EXPECT_NE(loop.find("redirect"), std::string::npos) << loop;
}

// ---------------------------------------------------------------- lenient JSON

TEST_F(StationHttp, answersOnlyALenientReaderTakesAreReadAndGarbageStillFails)
{
    server.Answer("/KtBusWeb/lenient.action", "{'flag':1, /* 成功 */ 'msg':'好',\n// trailing\n 'n':[1,2,],}");
    Command c(jcon, "lenient");
    c.ds.Params().CreateParam(ftString, "n", ptOutput);
    EXPECT_EQ(c.Msg(), "好");
    EXPECT_EQ(c.ds.ParamByName("n").AsString(), "[1,2]");
    for (const char* bad : {"{'flag':1,'msg':'x'", "{'flag':1} extra", "['flag']", "<html>oops</html>"}) {
        server.Answer("/KtBusWeb/bad.action", bad);
        EXPECT_EQ(ErrorOf([&] { Command(jcon, "bad").Msg(); }), "服务器返回的数据不是JSON对象，服务器传输的数据格式有误！")
            << bad;
    }
}

TEST_F(StationHttp, lenientQueryAnswerLoadsItsRows)
{
    server.Answer("/KtBusWeb/q.action", "{'rows':[{'id':7,'name':'甲',},],'rows_type':{'id':'Long','name':'String'},"
                                        "'rows_typelength':{},'flag':1,'msg':'',}");
    TjsonClientDataSet ds("q");
    ds.SetRemoteServer(&jcon);
    ds.SetQueryAddress("q");
    ds.SetDataSourceName("rows");
    ds.Open();
    ASSERT_EQ(ds.RecordCount(), 1);
    EXPECT_EQ(ds.FieldByName("id").AsLargeInt(), 7);
    EXPECT_EQ(ds.FieldByName("name").AsString(), "甲");
}

// ---------------------------------------------------------------- HTTPS

TEST(StationHttps, verifiesTheServerWithTheStationsCaAndRefusesAnother)
{
    test::TempFolder folder;
    const test::TestCA ca = test::MakeTestCA(folder.path());
    if (ca.caFile.empty()) GTEST_SKIP() << "the openssl command is not installed";
    httplib::SSLServer tls(ca.certFile.c_str(), ca.keyFile.c_str());
    ASSERT_TRUE(tls.is_valid());
    tls.set_tcp_nodelay(true);
    std::string cookie;
    tls.Post("/KtBusWeb/system/login.action", [&](const httplib::Request& req, httplib::Response& res) {
        cookie = req.get_header_value("Cookie");
        res.set_header("Set-Cookie", "JSESSIONID=TLS1; Path=/KtBusWeb; Secure; HttpOnly");
        res.set_content(R"({"flag":1,"msg":"安全"})", "application/json;charset=utf-8");
    });
    const int port = tls.bind_to_any_port("127.0.0.1");
    std::thread thread([&] { tls.listen_after_bind(); });
    while (!tls.is_running()) std::this_thread::yield();

    TjsonConnection jcon;
    jcon.SetURLHost("https://127.0.0.1:" + std::to_string(port) + "/KtBusWeb/");
    jcon.SetTimeout(5000);
    const std::string untrusted = ErrorOf([&] { Command(jcon, "system/login").Msg(); });
    EXPECT_EQ(untrusted.rfind("无法连接服务器:", 0), 0u) << untrusted;
    jcon.SetCaFile(ca.otherCaFile);
    EXPECT_EQ(ErrorOf([&] { Command(jcon, "system/login").Msg(); }).rfind("无法连接服务器:", 0), 0u);
    jcon.SetCaFile(ca.caFile);
    EXPECT_EQ(Command(jcon, "system/login").Msg(), "安全");
    EXPECT_EQ(Command(jcon, "system/login").Msg(), "安全");
    EXPECT_EQ(cookie, "JSESSIONID=TLS1") << "a Secure cookie goes back over HTTPS";
    tls.stop();
    thread.join();
}
