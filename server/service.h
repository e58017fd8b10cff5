#pragma once
// The station service: maps "/KtBusWeb/<address>.action" to an endpoint, decodes the body,
// runs the endpoint on this thread's database connection and makes sure every answer carries
// "flag", "msg" and every declared output key, in refusals too. Independent of the HTTP library.
#include "answer.h"
#include "calendar.h"
#include "request.h"

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
};

class StationService {
public:
    StationService(std::string databasePath, DemoClock clock);

    Reply Handle(const std::string& method, const std::string& path, const std::string& body,
                 const std::string& remote) const;
    const std::vector<Endpoint>& Endpoints() const { return endpoints_; }

private:
    Database& ThreadDatabase() const;
    Reply Answer(const Endpoint& endpoint, const Request& request) const;

    std::string databasePath_;
    DemoClock clock_;
    std::vector<Endpoint> endpoints_;
    std::map<std::string, std::size_t> byAddress_;
};

// An HTML error page whose detail the kiosk finds between <pre> and </pre>.
Reply ErrorPage(int status, const std::string& detail);

} // namespace stationd
