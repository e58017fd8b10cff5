#pragma once
// A small station server on 127.0.0.1 for the print engine: answers
// system/queryPrinttemplate and system/queryPrinttemplateitem from the templates and items the
// test puts in, filtered as the kiosk asks, and records every request body.
#include <httplib.h>
#include <nlohmann/json.hpp>

#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace kiosk::test {

struct TemplateRecord {
    std::int64_t id = 1;
    std::string name = "默认结算单";
    std::string printername = "Slip Printer";
    int width = 2000, left = 50, top = 50, height = 1300, heightcorrection = 1200;
    int rowperpage = 6, columnsperpage = 1, rowspace = 10;
};

struct ItemRecord {
    int valuetype = 1;
    int left = 0, top = 0, width = 0, height = 0;
    std::optional<std::string> title;
    int fontsize = 10;
    std::optional<bool> islist = false;
    std::string itemcode;
    std::optional<std::string> parameter;
    bool isprint = true;
    std::string fontname = "微软雅黑";
    std::int64_t printtemplateid = 1;
};

class TemplateServer {
public:
    TemplateServer();
    ~TemplateServer();
    TemplateServer(const TemplateServer&) = delete;
    TemplateServer& operator=(const TemplateServer&) = delete;

    // http://127.0.0.1:<port>/KtBusWeb/
    std::string BaseURL() const;

    void AddTemplate(const TemplateRecord& record);
    void AddItem(const ItemRecord& item);
    // Request bodies by path ("system/queryPrinttemplate" …), in order.
    std::vector<std::string> Bodies(const std::string& address) const;

private:
    void Handle(const httplib::Request& req, httplib::Response& res);
    nlohmann::ordered_json TemplatesAnswer(const std::string& body) const;
    nlohmann::ordered_json ItemsAnswer(const std::string& body) const;

    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::vector<TemplateRecord> templates_;
    std::vector<ItemRecord> items_;
    std::vector<std::pair<std::string, std::string>> requests_;
};

} // namespace kiosk::test
