#pragma once
// The station service: maps "/KtBusWeb/<address>.action" to an endpoint, decodes the body,
// runs the endpoint on this thread's database connection and makes sure every answer carries
// "flag", "msg" and every declared output key, in refusals too. Independent of the HTTP library.
#include "answer.h"
#include "calendar.h"
#include "request.h"
#include "session.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace stationd {

struct Call {
    Database& db;
    const DemoClock& clock;
    const Request& request;
    Json& answer;
    Table* table; // the query's table; null for an execute
};

using Handler = std::function<void(Call&)>;

struct Endpoint {
    std::string address;
    std::string source;                // data source name of a query; empty for an execute
    std::vector<std::string> outputs;  // output keys besides "flag" and "msg" (dotted allowed)
    std::vector<Column> columns;       // a query's columns, also sent with an empty refusal
    bool alwaysTable = false;          // the screen reads flag/msg after a successful open
    Handler handler;
};

void AddSystemEndpoints(std::vector<Endpoint>& endpoints);
void AddBaseEndpoints(std::vector<Endpoint>& endpoints);
void AddCheckEndpoints(std::vector<Endpoint>& endpoints);
void AddSlipEndpoints(std::vector<Endpoint>& endpoints);

struct Reply {
    int status = 200;
    std::string contentType;
    std::string body;
    std::string flag;    // for the request log: the answer's flag, or the status
    std::string params;  // for the request log: the parameters, secrets masked
    std::string setCookie; // a Set-Cookie header: the session the staff login opened
    std::int64_t userId = 0; // the staff user a successful login answered
};

// What the service reads of one HTTP request.
struct HttpCall {
    std::string method;
    std::string path;
    std::string body;
    std::string remote;
    std::string cookie; // the Cookie header
};

// The station's settings of the HTTP side.
struct ServiceOptions {
    int sessionTimeoutMinutes = 0; // 0: a session lasts until logout
    bool secureCookies = false;    // served over TLS: the session cookie is marked Secure
};

// The addresses a kiosk reaches before its staff login: everything else wants the session.
bool OpenWithoutSession(const std::string& address);
// The detail of the refusal of a request without a valid session.
inline constexpr const char* kNotLoggedIn = "用户未登录或登录已超时，请重新登录！";

class StationService {
public:
    StationService(std::string databasePath, DemoClock clock, ServiceOptions options = {});

    Reply Handle(const HttpCall& call) const;
    const std::vector<Endpoint>& Endpoints() const { return endpoints_; }

private:
    Database& ThreadDatabase() const;
    Reply Answer(const Endpoint& endpoint, const Request& request) const;
    void KeepSession(const std::string& address, const std::string& sessionId, Reply& reply) const;

    std::string databasePath_;
    DemoClock clock_;
    ServiceOptions options_;
    Sessions sessions_;
    std::vector<Endpoint> endpoints_;
    std::map<std::string, std::size_t> byAddress_;
};

// An HTML error page whose detail the kiosk finds between <pre> and </pre>.
Reply ErrorPage(int status, const std::string& detail);

} // namespace stationd
