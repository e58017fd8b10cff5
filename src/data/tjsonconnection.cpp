#include "data/tjsonconnection.h"

#include <algorithm>
#include <fstream>

#include "data/tablejson.h"
#include "data/tablejson_p.h"
#include "data/tjsonclientdataset.h"
#include "data/tjsonconnection_p.h"
#include "platform/textutil.h"

namespace kiosk {

using simdjson::dom::element;
using simdjson::dom::object;

namespace {

constexpr const char* kBadData = "服务器传输的数据格式有误！";
// An answer larger than the memory the kiosk has left: said in the kiosk's words, not the
// library's.
constexpr const char* kOutOfMemory = "内存不足，无法载入服务器返回的数据！";

Exception MissingKey(std::string_view key)
{
    return Exception("返回值中不存在“" + std::string(key) + "”参数");
}

// The detail of an error page: the text between the first "<pre>" and the "</pre>" after it,
// or the whole answer when it has no "<pre>".
std::string ErrorDetail(const std::string& body)
{
    const std::size_t start = body.find("<pre>");
    if (start == std::string::npos) return body;
    const std::size_t from = start + 5;
    const std::size_t end = body.find("</pre>", from);
    return body.substr(from, end == std::string::npos ? std::string::npos : end - from);
}

bool WalkPath(element current, std::string_view path, element& out)
{
    while (true) {
        const std::size_t dot = path.find('.');
        const std::string_view part = path.substr(0, dot);
        object o;
        if (current.get_object().get(o) || o.at_key(part).get(current)) return false;
        if (dot == std::string_view::npos) {
            out = current;
            return true;
        }
        path.remove_prefix(dot + 1);
    }
}

// ftBCD takes the value as a double; every other type its text form.
void StoreOutput(TParam& p, element value)
{
    if (value.is_null()) {
        p.Clear();
        return;
    }
    if (p.DataType() != ftBCD) {
        p.SetAsVariant(Value(tablejson::TextOf(value)));
        return;
    }
    double d = 0;
    switch (value.type()) {
    case simdjson::dom::element_type::INT64: d = static_cast<double>(std::int64_t(value)); break;
    case simdjson::dom::element_type::UINT64: d = static_cast<double>(std::uint64_t(value)); break;
    case simdjson::dom::element_type::DOUBLE: d = double(value); break;
    case simdjson::dom::element_type::BOOL: d = bool(value) ? 1 : 0; break;
    case simdjson::dom::element_type::STRING:
        if (Trim(std::string_view(value)).empty()) {
            p.Clear();
            return;
        }
        if (TryStrToFloat(Trim(std::string_view(value)), d)) break;
        [[fallthrough]];
    default: throw Exception("返回值中“" + p.Name() + "”参数不是数值");
    }
    p.SetAsVariant(Value(d));
}

bool HasNonBlankMessage(object answer, std::string& msg)
{
    element flag, message;
    if (answer.at_key("flag").get(flag) || answer.at_key("msg").get(message)) return false;
    msg = tablejson::TextOf(message);
    return !Trim(msg).empty();
}

} // namespace

// ---------------------------------------------------------------- life and properties

TjsonConnection::TjsonConnection(std::string name)
    : name_(std::move(name)), parser_(std::make_unique<simdjson::dom::parser>())
{
}

TjsonConnection::~TjsonConnection()
{
    for (TjsonClientDataSet* ds : dataSets_) ds->remoteServer_ = nullptr;
}

void TjsonConnection::SetURLHost(std::string value)
{
    const std::string start = UpperCase(std::string_view(value).substr(0, 8));
    connectWeb_ = start.starts_with("HTTP://") || start == "HTTPS://";
    urlHost_ = std::move(value);
}

void TjsonConnection::ReadTimeouts(const TIniFile& appIni)
{
    const long long connect = appIni.ReadInteger("server", "connecttimeout", http_.ConnectTimeoutMs);
    const long long total = appIni.ReadInteger("server", "timeout", http_.TimeoutMs);
    if (connect > 0) http_.ConnectTimeoutMs = static_cast<long>(connect);
    if (total > 0) http_.TimeoutMs = static_cast<long>(total);
}

std::string TjsonConnection::URLOf(std::string_view address) const
{
    std::string url = urlHost_ + std::string(address);
    if (address.find(".action") == std::string_view::npos) url += ".action";
    return url;
}

void TjsonConnection::Register(TjsonClientDataSet* dataSet)
{
    if (std::find(dataSets_.begin(), dataSets_.end(), dataSet) == dataSets_.end()) dataSets_.push_back(dataSet);
}

void TjsonConnection::Unregister(TjsonClientDataSet* dataSet)
{
    std::erase(dataSets_, dataSet);
}

TjsonClientDataSet* TjsonConnection::FindProvider(std::string_view providerName) const
{
    for (TjsonClientDataSet* ds : dataSets_)
        if (ds->ProviderName() == providerName) return ds;
    return nullptr;
}

TjsonClientDataSet& TjsonConnection::RequestingDataSet(std::string_view providerName) const
{
    if (TjsonClientDataSet* ds = FindProvider(providerName)) return *ds;
    throw Exception(Format("连接%s中找不到提供者“%s”", {name_, providerName}));
}

void TjsonConnection::SetState(TConnectState state)
{
    state_ = state;
    DoStateChange();
}

void TjsonConnection::WriteRequestFile(const std::string& fileName, std::string_view text) const
{
    std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!out) throw EInOutError("无法写入文件：" + fileName);
}

void TjsonConnection::DownLoadFile(const std::string&, const std::string&, const std::string&) {}

// ---------------------------------------------------------------- request and answer

namespace {

// A parameter's value as a request carries it: a number in plain decimal, a Boolean as "True"
// or "False", a date by its parameter's type (a date-time always with its time, midnight too).
std::string RequestValueText(const TParam& p)
{
    const Value& value = p.AsVariant();
    if (value.kind() == Value::Kind::Float) return FloatToPlainStr(value.number());
    if (value.kind() == Value::Kind::DateTime && p.DataType() == ftDateTime) return value.dateTime().DateTimeText();
    return p.AsString();
}

} // namespace

std::string RequestBody(const TParams& params)
{
    std::string body;
    for (const TParam& p : params) {
        if (p.ParamType() != ptInput || p.IsNull()) continue;
        body += '&';
        body += p.Name();
        body += '=';
        body += EncodeFieldText(RequestValueText(p), ftString);
    }
    return body;
}

void FillOutputParams(object answer, TParams& params)
{
    for (TParam& p : params) {
        if (p.ParamType() != ptOutput) continue;
        const std::string& name = p.Name();
        element value;
        const std::size_t dot = name.find('.');
        if (dot == std::string::npos) {
            if (answer.at_key(name).get(value)) throw MissingKey(name);
        } else {
            element first;
            if (answer.at_key(std::string_view(name).substr(0, dot)).get(first)) throw MissingKey(name);
            if (!first.is_object()) continue;
            if (!WalkPath(first, std::string_view(name).substr(dot + 1), value)) throw MissingKey(name);
        }
        StoreOutput(p, value);
    }
}

bool TjsonConnection::ParseStrict(std::string& text, object& answer)
{
    if (text.capacity() < text.size() + THttpClient::kPadding) text.reserve(text.size() + THttpClient::kPadding);
    const std::size_t skip = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    element doc;
    const simdjson::error_code error = parser_->parse(text.data() + skip, text.size() - skip, false).get(doc);
    // The parser's own memory for an answer too large for the kiosk.
    if (error == simdjson::MEMALLOC) throw std::bad_alloc();
    return !error && !doc.get_object().get(answer);
}

// Strict JSON first, on the fast path; an answer that it cannot read is read once more
// leniently and, rewritten as strict JSON, parsed again.
object TjsonConnection::ParseAnswer(std::string& text)
{
    object answer;
    if (ParseStrict(text, answer)) return answer;
    if (std::optional<std::string> strict = LenientToStrictJson(text)) {
        text = std::move(*strict);
        if (ParseStrict(text, answer)) return answer;
    }
    throw Exception(std::string("服务器返回的数据不是JSON对象，") + kBadData);
}

object TjsonConnection::ReadAnswer(THttpAnswer answer)
{
    const std::string charset = CharsetOf(answer.ContentType);
    if (!IsUtf8Charset(charset)) {
        if (!decoder_) decoder_ = std::make_unique<TCharsetDecoder>();
        decoder_->ToUtf8(answer.Body, charset, THttpClient::kPadding);
    }
    if (answer.Status != 200 && answer.Status != 0)
        throw Exception("服务器返回出错：httpStatus:" + IntToStr(answer.Status) + " " + answer.StatusText + "\r" +
                        ErrorDetail(answer.Body));
    answer_ = std::move(answer.Body);
    return ParseAnswer(answer_);
}

void TjsonConnection::ForgetLargeAnswer() noexcept
{
    // Answers up to this size are the everyday ones: their memory is reused by the next request.
    constexpr std::size_t kKeptAnswerBytes = std::size_t(1) << 20;
    if (answer_.capacity() > kKeptAnswerBytes) std::string().swap(answer_);
    try {
        if (parser_->capacity() > kKeptAnswerBytes) parser_ = std::make_unique<simdjson::dom::parser>();
    } catch (const std::bad_alloc&) {
        // The large parser stays; the next answer reuses it.
    }
}

object TjsonConnection::Exchange(std::string_view verb, const std::string& url, std::string body)
{
    xmlHttp_ = std::make_unique<THttpRequest>(THttpRequest{std::string(verb), url, std::move(body)});
    if (!client_) client_ = std::make_unique<THttpClient>();
    return ReadAnswer(client_->Post(url, xmlHttp_->Body, http_));
}

// ---------------------------------------------------------------- query

TAppServerResult TjsonConnection::AS_GetRecords(const std::string& ProviderName, int, int& RecsOut, int Options,
                                                const std::string&, TParams& Params)
{
    TAppServerResult result;
    RecsOut = 0;
    if (Options == -1) return result;
    RequestScope scope(*this, csGetRecords);
    try {
        TjsonClientDataSet& ds = RequestingDataSet(ProviderName);
        std::string body = RequestBody(Params);
        if (!ds.CommandText().empty()) body += "&param=" + ds.CommandText();
        if (!connectWeb_) {
            FolderQuery(ds, body, Params, RecsOut, result);
            return result;
        }
        if (createRequestFile_) WriteRequestFile(ProviderName + "_.txt", body);
        if (ds.QueryAddress().empty()) throw Exception(ds.Name() + "未设置查询地址！");
        const object answer = Exchange("post", URLOf(ds.QueryAddress()), std::move(body));
        QueryTable(ds, answer, Params, RecsOut, result);
    } catch (const std::bad_alloc&) {
        RecsOut = -1;
        result = TAppServerResult{};
        result.Text = kOutOfMemory;
    } catch (const std::exception& e) {
        RecsOut = -1;
        result = TAppServerResult{};
        result.Text = e.what();
    }
    return result;
}

// Steps of a query after the exchange: the table's three keys, the -77 rule, then (guarded)
// the output parameters and the rows.
void TjsonConnection::QueryTable(TjsonClientDataSet& ds, object answer, TParams& params, int& recsOut,
                                 TAppServerResult& result)
{
    const std::string& source = ds.DataSourceName();
    element rows, types, lengths;
    if (answer.at_key(source).get(rows)) throw MissingKey(source);
    std::string msg;
    if (answer.at_key(source + "_type").get(types)) {
        if (HasNonBlankMessage(answer, msg)) {
            recsOut = -77;
            result.Text = msg;
            return;
        }
        throw MissingKey(source + "_type");
    }
    if (answer.at_key(source + "_typelength").get(lengths)) {
        if (HasNonBlankMessage(answer, msg)) {
            recsOut = -77;
            result.Text = msg;
            return;
        }
        throw MissingKey(source + "_typelength");
    }
    try {
        FillOutputParams(answer, params);
        TDataSet& table = *fcdsResult_;
        tablejson::LoadAnswerTable(table, rows, types, lengths);
        recsOut = table.RecordCount();
        if (ds.MergeLog()) table.MergeChangeLog();
        result.Data = table.TakeData();
        result.HasData = true;
    } catch (const std::bad_alloc&) {
        throw Exception(kOutOfMemory);
    } catch (const std::exception& e) {
        throw Exception(std::string(e.what()) + kBadData);
    }
}

// ---------------------------------------------------------------- execute

void TjsonConnection::AS_Execute(const std::string& ProviderName, const std::string&, TParams& Params)
{
    TjsonClientDataSet& ds = RequestingDataSet(ProviderName);
    if (ds.SaveAddress().empty()) throw Exception(ds.Name() + "保存地址未设置！");
    if (!connectWeb_) throw Exception(ds.Name() + "：本地文件模式下不能执行保存请求！");
    struct ClearRequest {
        TjsonConnection& connection;
        ~ClearRequest()
        {
            connection.xmlHttp_.reset();
            connection.ForgetLargeAnswer();
        }
    } clear{*this};
    const object answer = Exchange("post", URLOf(ds.SaveAddress()), RequestBody(Params));
    FillOutputParams(answer, Params);
}

// ---------------------------------------------------------------- local providers

std::string TjsonConnection::AS_DataRequest(const std::string& ProviderName, const std::string&)
{
    throw Exception(Format("Provider not exported: %s", {ProviderName}));
}

TParams TjsonConnection::AS_GetParams(const std::string& ProviderName)
{
    throw Exception(Format("Provider not exported: %s", {ProviderName}));
}

std::string TjsonConnection::AS_RowRequest(const std::string& ProviderName, const std::string&, int)
{
    throw Exception(Format("Provider not exported: %s", {ProviderName}));
}

} // namespace kiosk
