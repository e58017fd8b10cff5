#include "print/templateserver.h"

#include <chrono>
#include <cstring>

namespace kiosk::test {

namespace {

using Json = nlohmann::ordered_json;

std::string Unescape(std::string value)
{
    const std::pair<const char*, const char*> escapes[] = {
        {"&quot;", "\""}, {"&lt;", "<"}, {"&gt;", ">"}, {"%25", "%"}, {"%3F", "?"}, {"&amp;", "&"}};
    for (const auto& [from, to] : escapes)
        for (std::size_t at; (at = value.find(from)) != std::string::npos;) value.replace(at, std::strlen(from), to);
    return value;
}

// The value of "&name=value" in a kiosk request body (values never contain a raw '&').
std::optional<std::string> BodyValue(const std::string& body, const std::string& name)
{
    const std::string key = "&" + name + "=";
    const auto at = body.find(key);
    if (at == std::string::npos) return std::nullopt;
    const auto start = at + key.size();
    const auto end = body.find('&', start);
    return Unescape(body.substr(start, end == std::string::npos ? std::string::npos : end - start));
}

Json Nullable(const std::optional<std::string>& v) { return v ? Json(*v) : Json(nullptr); }

} // namespace

TemplateServer::TemplateServer()
{
    server_.set_tcp_nodelay(true);
    server_.Post(".*", [this](const httplib::Request& req, httplib::Response& res) { Handle(req, res); });
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

TemplateServer::~TemplateServer()
{
    server_.stop();
    thread_.join();
}

std::string TemplateServer::BaseURL() const { return "http://127.0.0.1:" + std::to_string(port_) + "/KtBusWeb/"; }

void TemplateServer::AddTemplate(const TemplateRecord& record)
{
    std::lock_guard lock(mutex_);
    templates_.push_back(record);
}

void TemplateServer::AddItem(const ItemRecord& item)
{
    std::lock_guard lock(mutex_);
    items_.push_back(item);
}

std::vector<std::string> TemplateServer::Bodies(const std::string& address) const
{
    std::lock_guard lock(mutex_);
    std::vector<std::string> bodies;
    for (const auto& [path, body] : requests_)
        if (path == "/KtBusWeb/" + address + ".action") bodies.push_back(body);
    return bodies;
}

void TemplateServer::Handle(const httplib::Request& req, httplib::Response& res)
{
    std::lock_guard lock(mutex_);
    requests_.emplace_back(req.path, req.body);
    Json answer;
    if (req.path == "/KtBusWeb/system/queryPrinttemplate.action")
        answer = TemplatesAnswer(req.body);
    else if (req.path == "/KtBusWeb/system/queryPrinttemplateitem.action")
        answer = ItemsAnswer(req.body);
    else {
        res.status = 404;
        return;
    }
    res.set_content(answer.dump(), "application/json;charset=utf-8");
}

Json TemplateServer::TemplatesAnswer(const std::string& body) const
{
    const auto id = BodyValue(body, "filter_EQL_pt!id");
    const auto name = BodyValue(body, "filter_EQS_pt!name");
    Json rows = Json::array();
    for (const auto& t : templates_) {
        if (id && std::to_string(t.id) != *id) continue;
        if (name && t.name != *name) continue;
        rows.push_back({{"id", t.id}, {"name", t.name}, {"templatetype", "结算单"}, {"printername", t.printername},
                        {"width", t.width}, {"left", t.left}, {"top", t.top}, {"height", t.height},
                        {"heightcorrection", t.heightcorrection}, {"rowperpage", t.rowperpage},
                        {"columnsperpage", t.columnsperpage}, {"rowspace", t.rowspace}});
    }
    return {{"printtemplatelist", rows},
            {"printtemplatelist_type",
             {{"id", "Long"}, {"name", "String"}, {"templatetype", "String"}, {"printername", "String"},
              {"width", "Integer"}, {"left", "Integer"}, {"top", "Integer"}, {"height", "Integer"},
              {"heightcorrection", "Integer"}, {"rowperpage", "Integer"}, {"columnsperpage", "Integer"},
              {"rowspace", "Integer"}}},
            {"printtemplatelist_typelength", Json::object()},
            {"flag", 1},
            {"msg", ""}};
}

Json TemplateServer::ItemsAnswer(const std::string& body) const
{
    const auto id = BodyValue(body, "filter_EQL_pti!printtemplate.id");
    Json rows = Json::array();
    std::int64_t itemId = 0;
    for (const auto& i : items_) {
        ++itemId;
        if (!id || std::to_string(i.printtemplateid) != *id) continue;
        rows.push_back({{"id", itemId}, {"printtemplateid", i.printtemplateid}, {"isprint", i.isprint},
                        {"valuetype", i.valuetype}, {"left", i.left}, {"top", i.top}, {"width", i.width},
                        {"height", i.height}, {"title", Nullable(i.title)}, {"fontname", i.fontname},
                        {"fontsize", i.fontsize}, {"islist", i.islist ? Json(*i.islist) : Json(nullptr)},
                        {"itemcode", i.itemcode}, {"parameter", Nullable(i.parameter)}});
    }
    return {{"printtemplateitemlist", rows},
            {"printtemplateitemlist_type",
             {{"id", "Long"}, {"printtemplateid", "Long"}, {"isprint", "Boolean"}, {"valuetype", "Integer"},
              {"left", "Integer"}, {"top", "Integer"}, {"width", "Integer"}, {"height", "Integer"},
              {"title", "String"}, {"fontname", "String"}, {"fontsize", "Integer"}, {"islist", "Boolean"},
              {"itemcode", "String"}, {"parameter", "String"}}},
            {"printtemplateitemlist_typelength", {{"title", 200}}},
            {"flag", 1},
            {"msg", ""}};
}

} // namespace kiosk::test
