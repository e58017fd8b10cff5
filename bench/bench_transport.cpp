// The transport on loopback against a small fixed-answer server: an execute of six inputs and
// four outputs (in the session of a staff login, so the cookie engine sends its cookie) against
// a raw libcurl POST of the same body on a kept-alive handle, a new connection per request, the
// same execute over HTTPS on a kept-alive connection, and a query of 1,000 ticket rows against
// loading the same answer, a raw fetch of it, and the same answer in GBK.
#include <benchmark/benchmark.h>

#include <curl/curl.h>
#include <httplib.h>

#include <unistd.h>

#include <filesystem>
#include <memory>
#include <thread>

#include <simdjson.h>

#include "data/tablejson_p.h"
#include "data/tjsonclientdataset.h"
#include "support/encodetext.h"
#include "support/testca.h"
#include "ticketanswer.h"

namespace {

using namespace kiosk;

const char* const kExecuteAnswer = R"({"flag":1,"msg":"","scheduleplanid":7001,"reportid":"5001"})";

class FixedServer {
public:
    explicit FixedServer(std::unique_ptr<httplib::Server> server)
        : rows_(bench::TicketListAnswer(1000)), gbkRows_(kiosk::test::EncodeText(rows_, "GBK")), server_(std::move(server))
    {
        server_->set_tcp_nodelay(true);
        server_->set_keep_alive_max_count(1000000);
        server_->Post("/KtBusWeb/system/login.action", [](const httplib::Request&, httplib::Response& res) {
            res.set_header("Set-Cookie", "JSESSIONID=0123456789ABCDEF0123456789ABCDEF; Path=/KtBusWeb; HttpOnly");
            res.set_content(R"({"flag":1,"msg":""})", "application/json;charset=utf-8");
        });
        server_->Post("/KtBusWeb/checkticket/checkbyTicketno.action", [](const httplib::Request&, httplib::Response& res) {
            res.set_content(kExecuteAnswer, "application/json");
        });
        server_->Post("/KtBusWeb/checkticket/queryCheckedticket.action", [this](const httplib::Request&, httplib::Response& res) {
            res.set_content(rows_, "application/json;charset=utf-8");
        });
        server_->Post("/KtBusWeb/gbk/queryCheckedticket.action", [this](const httplib::Request&, httplib::Response& res) {
            res.set_content(gbkRows_, "application/json;charset=GBK");
        });
        port_ = server_->bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_->listen_after_bind(); });
        while (!server_->is_running()) std::this_thread::yield();
    }
    ~FixedServer()
    {
        server_->stop();
        thread_.join();
    }
    std::string Base(const char* scheme = "http") const
    {
        return std::string(scheme) + "://127.0.0.1:" + std::to_string(port_) + "/KtBusWeb/";
    }
    const std::string& Rows() const { return rows_; }

private:
    std::string rows_;
    std::string gbkRows_;
    std::unique_ptr<httplib::Server> server_;
    int port_ = 0;
    std::thread thread_;
};

FixedServer& Server()
{
    static FixedServer server(std::make_unique<httplib::Server>());
    return server;
}

// The same server behind TLS, with a certificate of a CA made for the run.
struct TlsServer {
    std::filesystem::path folder = std::filesystem::temp_directory_path() / ("bench_transport_ca." + std::to_string(getpid()));
    test::TestCA ca;
    std::unique_ptr<FixedServer> server;
    TlsServer()
    {
        std::filesystem::create_directories(folder);
        ca = test::MakeTestCA(folder);
        if (!ca.caFile.empty())
            server = std::make_unique<FixedServer>(
                std::make_unique<httplib::SSLServer>(ca.certFile.c_str(), ca.keyFile.c_str()));
    }
    ~TlsServer()
    {
        server.reset();
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
};

TlsServer& Tls()
{
    static TlsServer server;
    return server;
}

void MakeCheck(TjsonClientDataSet& ds)
{
    ds.SetSaveAddress("checkticket/checkbyTicketno");
    for (const char* name : {"checkstationid", "vehiclereportid", "ticketno", "ticketentrance", "ip", "islazycheck"})
        ds.Params().CreateParam(ftString, name, ptInput);
    ds.ParamByName("checkstationid").SetAsInteger(101);
    ds.ParamByName("vehiclereportid").SetAsString("5001");
    ds.ParamByName("ticketno").SetAsString("0001234567");
    ds.ParamByName("ticketentrance").SetAsString("A1");
    ds.ParamByName("ip").SetAsString("10.0.0.5");
    ds.ParamByName("islazycheck").SetAsBoolean(false);
    ds.Params().CreateParam(ftBCD, "flag", ptOutput);
    ds.Params().CreateParam(ftString, "msg", ptOutput);
    ds.Params().CreateParam(ftBCD, "scheduleplanid", ptOutput);
    ds.Params().CreateParam(ftString, "reportid", ptOutput);
}

const std::string kBody = "&checkstationid=101&vehiclereportid=5001&ticketno=0001234567&ticketentrance=A1&ip=10.0.0.5&islazycheck=False";

std::size_t Collect(char* data, std::size_t size, std::size_t count, void* user)
{
    static_cast<std::string*>(user)->append(data, size * count);
    return size * count;
}

CURL* RawHandle(curl_slist* headers, std::string& sink)
{
    CURL* h = curl_easy_init();
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &Collect);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(h, CURLOPT_POSTFIELDS, kBody.c_str());
    curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE, static_cast<long>(kBody.size()));
    return h;
}

curl_slist* FormHeaders()
{
    curl_slist* list = curl_slist_append(nullptr, "Content-Type: application/x-www-form-urlencoded;charset=utf-8");
    return curl_slist_append(list, "Expect:");
}

void StaffLogin(TjsonConnection& jcon)
{
    TjsonClientDataSet login("login");
    login.SetRemoteServer(&jcon);
    login.SetSaveAddress("system/login");
    login.Params().CreateParam(ftBCD, "flag", ptOutput);
    login.Execute();
}

void ExecuteRoundTrips(benchmark::State& state, TjsonConnection& jcon)
{
    StaffLogin(jcon);
    if (jcon.Cookies().find("JSESSIONID") == std::string::npos) state.SkipWithError("no session cookie");
    TjsonClientDataSet ds("jscdCheckByTicketno");
    ds.SetRemoteServer(&jcon);
    MakeCheck(ds);
    for (auto _ : state) {
        ds.Execute();
        benchmark::DoNotOptimize(ds.ParamByName("flag").AsInteger());
    }
}

void BM_ExecuteRoundTrip(benchmark::State& state)
{
    TjsonConnection jcon;
    jcon.SetURLHost(Server().Base());
    ExecuteRoundTrips(state, jcon);
}

void BM_ExecuteRoundTripHttps(benchmark::State& state)
{
    if (!Tls().server) {
        state.SkipWithError("the openssl command is not installed");
        return;
    }
    TjsonConnection jcon;
    jcon.SetURLHost(Tls().server->Base("https"));
    jcon.SetCaFile(Tls().ca.caFile);
    ExecuteRoundTrips(state, jcon);
}

void RawRoundTrips(benchmark::State& state, const std::string& url, bool newConnection)
{
    curl_slist* headers = FormHeaders();
    std::string sink;
    CURL* kept = newConnection ? nullptr : RawHandle(headers, sink);
    if (kept) curl_easy_setopt(kept, CURLOPT_URL, url.c_str());
    for (auto _ : state) {
        sink.clear();
        CURL* h = kept ? kept : RawHandle(headers, sink);
        if (!kept) curl_easy_setopt(h, CURLOPT_URL, url.c_str());
        if (curl_easy_perform(h) != CURLE_OK) state.SkipWithError("request failed");
        if (!kept) curl_easy_cleanup(h);
        benchmark::DoNotOptimize(sink.data());
    }
    if (kept) curl_easy_cleanup(kept);
    curl_slist_free_all(headers);
}

void BM_RawCurlRoundTrip(benchmark::State& state)
{
    RawRoundTrips(state, Server().Base() + "checkticket/checkbyTicketno.action", false);
}

void BM_NewConnectionRoundTrip(benchmark::State& state)
{
    RawRoundTrips(state, Server().Base() + "checkticket/checkbyTicketno.action", true);
}

void BM_RawCurlFetch1000Rows(benchmark::State& state)
{
    RawRoundTrips(state, Server().Base() + "checkticket/queryCheckedticket.action", false);
}

void BM_TableLoad1000Rows(benchmark::State& state)
{
    const simdjson::padded_string text(Server().Rows());
    simdjson::dom::parser parser;
    for (auto _ : state) {
        TDataSet cds("cdsResult");
        simdjson::dom::element doc = parser.parse(text);
        tablejson::LoadAnswerTable(cds, doc["ticketlist"], doc["ticketlist_type"], doc["ticketlist_typelength"]);
        benchmark::DoNotOptimize(cds.RecordCount());
    }
}

void QueryRows(benchmark::State& state, const char* address)
{
    TjsonConnection jcon;
    jcon.SetURLHost(Server().Base());
    TjsonClientDataSet ds("jscdQryCheckeds");
    ds.SetRemoteServer(&jcon);
    ds.SetQueryAddress(address);
    ds.SetDataSourceName("ticketlist");
    ds.Params().CreateParam(ftLargeint, "filter_EQL_sp!id", ptInput).SetAsLargeInt(7001);
    for (auto _ : state) {
        ds.Close();
        ds.Open();
        benchmark::DoNotOptimize(ds.RecordCount());
    }
    if (ds.RecordCount() != 1000) state.SkipWithError("the rows did not load");
}

void BM_Query1000Rows(benchmark::State& state) { QueryRows(state, "checkticket/queryCheckedticket"); }
void BM_Query1000RowsGbk(benchmark::State& state) { QueryRows(state, "gbk/queryCheckedticket"); }

BENCHMARK(BM_ExecuteRoundTrip)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ExecuteRoundTripHttps)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RawCurlRoundTrip)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_NewConnectionRoundTrip)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TableLoad1000Rows)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RawCurlFetch1000Rows)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Query1000Rows)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Query1000RowsGbk)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    curl_global_init(CURL_GLOBAL_DEFAULT);
    benchmark::Initialize(&argc, argv);
    Server();
    Tls();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
