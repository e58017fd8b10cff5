#include "service.h"

#include <memory>

namespace stationd {

namespace {

constexpr std::string_view kPrefix = "/KtBusWeb/";
constexpr std::string_view kSuffix = ".action";

const char* StatusText(int status)
{
    switch (status) {
    case 400: return "Bad Request";
    case 401: return "Unauthorized";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 413: return "Payload Too Large";
    default: return "Internal Server Error";
    }
}

std::string HtmlEscape(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '&')
            out += "&amp;";
        else if (c == '<')
            out += "&lt;";
        else if (c == '>')
            out += "&gt;";
        else
            out.push_back(c);
    }
    return out;
}

bool IsSecret(const std::string& name)
{
    return name == "userpwd" || name == "vehicle.gprs" || name == "secretKey";
}

std::string LogParams(const FormParams& params)
{
    std::string out;
    for (const auto& [name, value] : params) {
        if (!out.empty())
            out += ' ';
        out += name + "=" + (IsSecret(name) ? std::string("***") : value);
    }
    return out;
}

std::string FlagText(const Json& answer)
{
    const auto& flag = answer["flag"];
    return flag.is_string() ? flag.get<std::string>() : flag.dump();
}

} // namespace

Reply ErrorPage(int status, const std::string& detail)
{
    Reply reply;
    reply.status = status;
    reply.contentType = "text/html;charset=utf-8";
    const std::string title = "HTTP Status " + std::to_string(status) + " - " + StatusText(status);
    reply.body = "<html><head><meta charset=\"utf-8\"><title>" + title + "</title></head><body><h1>" + title +
                 "</h1><pre>" + HtmlEscape(detail) + "</pre></body></html>";
    reply.flag = std::to_string(status);
    return reply;
}

bool OpenWithoutSession(const std::string& address)
{
    return address == "system/testConn" || address == "system/login" || address == "system/helpNoAuth";
}

StationService::StationService(std::string databasePath, DemoClock clock, ServiceOptions options)
    : databasePath_(std::move(databasePath)), clock_(std::move(clock)), options_(options),
      sessions_(options.sessionTimeoutMinutes)
{
    Sessions::Prepare(ThreadDatabase());
    AddSystemEndpoints(endpoints_);
    AddBaseEndpoints(endpoints_);
    AddCheckEndpoints(endpoints_);
    AddSlipEndpoints(endpoints_);
    for (std::size_t i = 0; i < endpoints_.size(); ++i)
        byAddress_.emplace(endpoints_[i].address, i);
}

Database& StationService::ThreadDatabase() const
{
    // Each worker thread keeps its own connection (and its prepared statements) for its life.
    thread_local std::string path;
    thread_local std::unique_ptr<Database> db;
    if (!db || path != databasePath_) {
        db = std::make_unique<Database>(databasePath_);
        path = databasePath_;
    }
    return *db;
}

Reply StationService::Handle(const HttpCall& call) const
{
    const std::string& path = call.path;
    if (path.size() <= kPrefix.size() + kSuffix.size() || path.compare(0, kPrefix.size(), kPrefix) != 0 ||
        path.compare(path.size() - kSuffix.size(), kSuffix.size(), kSuffix) != 0)
        return ErrorPage(404, "没有这个地址：" + path);
    const std::string address = path.substr(kPrefix.size(), path.size() - kPrefix.size() - kSuffix.size());
    const auto found = byAddress_.find(address);
    if (found == byAddress_.end())
        return ErrorPage(404, "没有这个地址：" + address);
    if (call.method != "POST")
        return ErrorPage(405, "地址" + address + "只接受POST请求");
    // The login filter: as a servlet application answers a request of nobody logged in.
    const std::string sessionId = SessionIdOf(call.cookie);
    if (!OpenWithoutSession(address) && !sessions_.Touch(ThreadDatabase(), sessionId))
        return ErrorPage(401, kNotLoggedIn);
    FormParams params;
    try {
        params = ParseFormBody(call.body);
    } catch (const FormError& e) {
        return ErrorPage(400, std::string("请求内容格式错误：") + e.what());
    }
    const Request request(address, std::move(params), call.remote);
    Reply reply;
    try {
        reply = Answer(endpoints_[found->second], request);
    } catch (const std::exception& e) {
        reply = ErrorPage(500, std::string("服务器内部错误：") + e.what());
    }
    reply.params = LogParams(request.Params());
    KeepSession(address, sessionId, reply);
    return reply;
}

// A successful staff login opens a new session (the one before, if any, ends: a login never
// carries an old session on); a logout ends it.
void StationService::KeepSession(const std::string& address, const std::string& sessionId, Reply& reply) const
{
    if (reply.status != 200 || reply.flag != "1")
        return;
    if (address == "system/login") {
        Database& db = ThreadDatabase();
        sessions_.Close(db, sessionId);
        reply.setCookie = SessionCookie(sessions_.Open(db, reply.userId), options_.secureCookies);
    } else if (address == "system/logout") {
        sessions_.Close(ThreadDatabase(), sessionId);
    }
}

Reply StationService::Answer(const Endpoint& endpoint, const Request& request) const
{
    Json answer = Json::object();
    answer["flag"] = 1;
    answer["msg"] = "";
    const bool isQuery = !endpoint.source.empty();
    Table table(endpoint.columns);
    bool sendTable = isQuery;
    try {
        Call call{ThreadDatabase(), clock_, request, answer, isQuery ? &table : nullptr};
        endpoint.handler(call);
    } catch (const Refused& e) {
        answer = Json::object();
        answer["flag"] = 0;
        answer["msg"] = e.what();
        table = Table(endpoint.columns);
    } catch (const BadInput& e) {
        answer = Json::object();
        answer["flag"] = 0;
        answer["msg"] = e.what();
        table = Table(endpoint.columns);
        sendTable = isQuery && endpoint.alwaysTable;
    }
    for (const auto& output : endpoint.outputs)
        if (!HasOutput(answer, output))
            SetOutput(answer, output, nullptr);
    if (sendTable)
        table.WriteTo(answer, endpoint.source);
    Reply reply;
    reply.contentType = "application/json;charset=utf-8";
    reply.body = answer.dump(-1, ' ', false, Json::error_handler_t::replace);
    reply.flag = FlagText(answer);
    if (const Json* id = FindOutput(answer, "global.userinfo.id"); id && id->is_number_integer())
        reply.userId = id->get<std::int64_t>();
    return reply;
}

} // namespace stationd
