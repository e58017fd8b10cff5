// Posting changed rows, folder mode and batch commits of the connection.
#include <filesystem>
#include <fstream>
#include <iterator>

#include "data/tablejson.h"
#include "data/tablejson_p.h"
#include "data/tjsonclientdataset.h"
#include "data/tjsonconnection_p.h"
#include "platform/textutil.h"

namespace kiosk {

using simdjson::dom::element;
using simdjson::dom::object;

namespace {

Exception MissingKey(std::string_view key)
{
    return Exception("返回值中不存在“" + std::string(key) + "”参数");
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) throw EInOutError("无法打开文件：" + path);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    text.reserve(text.size() + THttpClient::kPadding);
    return text;
}

bool Exists(const std::string& path)
{
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

std::string InFolder(const std::string& folder, std::string_view name)
{
    std::string path = folder;
    if (!path.empty() && path.back() != '/') path += '/';
    return path + std::string(name);
}

// A request body becomes part of a file name in folder mode; it must stay one name.
void CheckFileNamePart(std::string_view part)
{
    if (part.find('/') != std::string_view::npos || part.find('\\') != std::string_view::npos ||
        part.find('\0') != std::string_view::npos)
        throw Exception("请求内容不能用作本地数据文件名");
}

struct DeltaField {
    int deltaIndex;
    std::string name;
    TFieldType type;
    TProviderFlags flags;
};

std::string ValueText(const Value& v, TFieldType type)
{
    return EncodeFieldText(dataconv::AsString(v, type), type);
}

} // namespace

// ---------------------------------------------------------------- delta text

std::string DeltaText(const TDelta& delta, const TjsonClientDataSet& requesting)
{
    std::vector<DeltaField> fields;
    for (int i = 0; i < delta.fieldDefs.Count(); ++i) {
        const TField* own = requesting.FindField(delta.fieldDefs[i].Name);
        if (!own) continue;
        const TProviderFlags flags = own->ProviderFlags();
        if (!(flags & pfInWhere)) continue;
        if (!(flags & (pfInUpdate | pfInKey)) && !requesting.CheckChange()) continue;
        fields.push_back({i, delta.fieldDefs[i].Name, delta.fieldDefs[i].DataType, flags});
    }
    const std::string& prefix = requesting.UpdateDataSet();
    std::string text;
    std::vector<std::pair<std::string, std::string>> remembered;
    int n = 0;
    auto key = [&](const std::string& field) { return prefix + "[" + std::to_string(n) + "]." + field; };
    auto head = [&](int opertype) { return prefix + "[" + std::to_string(n) + "].opertype=" + std::to_string(opertype); };
    for (const TDeltaRecord& row : delta.records) {
        std::string posted;
        switch (row.status) {
        case usUnmodified:
            remembered.clear();
            for (const auto& f : fields) {
                if (SameText(f.name, "opertype")) continue;
                remembered.emplace_back(key(f.name), ValueText(row.values[std::size_t(f.deltaIndex)], f.type));
            }
            if (requesting.CheckChange()) {
                posted = head(1);
                for (const auto& [k, v] : remembered) posted += "&" + k + "=" + v;
            }
            break;
        case usModified:
            posted = head(8);
            for (const auto& f : fields) {
                if ((f.flags & pfInKey) || !(f.flags & pfInUpdate) || SameText(f.name, "opertype") ||
                    !row.assigned[std::size_t(f.deltaIndex)])
                    continue;
                const std::string k = key(f.name), v = ValueText(row.values[std::size_t(f.deltaIndex)], f.type);
                bool replaced = false;
                for (auto& [rk, rv] : remembered)
                    if (rk == k) { rv = v; replaced = true; }
                if (!replaced) remembered.emplace_back(k, v);
            }
            for (const auto& [k, v] : remembered) posted += "&" + k + "=" + v;
            remembered.clear();
            ++n;
            break;
        case usInserted:
            posted = head(4);
            for (const auto& f : fields) {
                const Value& v = row.values[std::size_t(f.deltaIndex)];
                if (v.IsNull() || SameText(f.name, "opertype")) continue;
                posted += "&" + key(f.name) + "=" + ValueText(v, f.type);
            }
            ++n;
            break;
        case usDeleted:
            posted = head(2);
            for (const auto& f : fields) {
                if (!(f.flags & pfInKey)) continue;
                posted += "&" + key(f.name) + "=" + ValueText(row.values[std::size_t(f.deltaIndex)], f.type);
            }
            ++n;
            break;
        }
        if (!posted.empty()) text += "&" + posted;
    }
    return text;
}

// ---------------------------------------------------------------- posting rows

TAppServerResult TjsonConnection::AS_ApplyUpdates(const std::string& ProviderName, const TDelta& Delta, int,
                                                  int& ErrorCount)
{
    TAppServerResult result;
    ErrorCount = 0;
    try {
        TjsonClientDataSet* requesting = nullptr;
        for (TjsonClientDataSet* ds : dataSets_) {
            const std::string& commit = ds->CommitProvider().empty() ? ds->ProviderName() : ds->CommitProvider();
            if (commit == ProviderName) {
                requesting = ds;
                break;
            }
        }
        if (!requesting) requesting = &RequestingDataSet(ProviderName);
        const std::string deltaText = DeltaText(Delta, *requesting);
        if (deltaText.empty()) return result;
        if (batchUpdates_) {
            AddDeltaJSON(deltaText);
            return result;
        }
        if (!connectWeb_) {
            FolderPost(*requesting, deltaText, result);
            return result;
        }
        RequestScope scope(*this, csApplyUpdates);
        PostRows(*requesting, deltaText, requesting->Params(), result);
    } catch (const std::exception& e) {
        ErrorCount = 1;
        result = TAppServerResult{};
        result.Text = e.what();
    }
    return result;
}

void TjsonConnection::PostRows(TjsonClientDataSet& ds, const std::string& deltaText, TParams& params,
                               TAppServerResult& result)
{
    if (ds.SaveAddress().empty()) throw Exception(ds.Name() + "保存地址未设置！");
    const std::string body = deltaText + RequestBody(params);
    if (createRequestFile_) WriteRequestFile(ds.ProviderName() + "_Save.TXT", body);
    const object answer = Exchange("POST", URLOf(ds.SaveAddress()), body);
    if (createRequestFile_) WriteRequestFile(ds.ProviderName() + "_Back.TXT", answer_);
    FillOutputParams(answer, params);
    if (!ds.refreshAfterApplyUpdates()) return;
    const std::string& source = ds.DataSourceName();
    element rows, types, lengths;
    if (answer.at_key(source + "_type").get(types)) throw MissingKey(source + "_type");
    if (answer.at_key(source + "_typelength").get(lengths)) throw MissingKey(source + "_typelength");
    if (answer.at_key(source).get(rows)) throw MissingKey(source);
    TDataSet& table = *fcdsResult_;
    tablejson::LoadAnswerTable(table, rows, types, lengths);
    table.MergeChangeLog();
    result.Data = table.TakeData();
    result.HasData = true;
}

// ---------------------------------------------------------------- folder mode

void TjsonConnection::FolderPost(TjsonClientDataSet& ds, const std::string& deltaText, TAppServerResult& result)
{
    const std::string folder = urlHost_ + urlWrite_;
    if (createRequestFile_) WriteRequestFile(InFolder(folder, ds.ProviderName() + "_Save.XML"), deltaText);
    result.Data = tablejson::DataPacketFromXml(ReadAll(InFolder(folder, ds.ProviderName() + "_Back.XML")));
    result.HasData = true;
}

// The answer of a folder-mode query is a file of the folder URLHost + URLRead (+ ".action"):
// the one named by the provider name and the body, or the one REQUEST_DEFINE.txt maps the
// body to. It holds an answer as the server would send it.
void TjsonConnection::FolderQuery(TjsonClientDataSet& ds, const std::string& body, TParams& params, int& recsOut,
                                  TAppServerResult& result)
{
    const std::string& provider = ds.ProviderName();
    if (createRequestFile_) WriteRequestFile(InFolder(urlHost_ + urlRead_, provider + "_.txt"), body);
    std::string folder = urlHost_ + urlRead_;
    if (urlRead_.find(".action") == std::string::npos) folder += ".action";
    CheckFileNamePart(provider + body);
    std::string file = InFolder(folder, provider + body);
    if (!Exists(file) && Exists(InFolder(folder, "REQUEST_DEFINE"))) {
        TDataSet define;
        TTableJSon::CDSFromJSon(define, ReadAll(InFolder(folder, "REQUEST_DEFINE.txt")));
        if (define.Locate("CONTENT", Value(body))) {
            const std::string code = define.FieldByName("REQUEST_CODE").AsString();
            CheckFileNamePart(code);
            file = InFolder(folder, provider + "&=" + code);
        }
    }
    if (!Exists(file)) throw EInOutError("找不到本地数据文件：" + file);
    answer_ = ReadAll(file);
    QueryTable(ds, ParseAnswer(answer_), params, recsOut, result);
}

// ---------------------------------------------------------------- batches

void TjsonConnection::AddDeltaJSON(std::string_view ADeltaJSON)
{
    if (ADeltaJSON.empty()) deltaJSON_.clear();
    else deltaJSON_ += ADeltaJSON;
}

std::string TjsonConnection::ProviderNamesOfDataSets() const
{
    std::string names;
    for (const TjsonClientDataSet* ds : dataSets_) {
        if (!names.empty()) names += '#';
        names += ds->ProviderName();
    }
    return names;
}

void TjsonConnection::CommitUpdates()
{
    DoBeforeCommitUpdates();
    if (!deltaJSON_.empty()) {
        {
            RequestScope scope(*this, csApplyUpdates);
            const std::string names = ProviderNamesOfDataSets();
            if (createRequestFile_) WriteRequestFile(names + "_Save.xml", deltaJSON_);
            if (connectWeb_) {
                Exchange("POST", URLOf(urlWrite_), deltaJSON_);
                if (createRequestFile_) WriteRequestFile(names + "_Back.xml", answer_);
            }
        }
        if (batchUpdates_) {
            for (TjsonClientDataSet* ds : dataSets_) {
                if (!ds->Active() || ds->ChangeCount() == 0) continue;
                ds->MergeChangeLog();
                ds->CancelUpdates();
            }
        }
        deltaJSON_.clear();
    }
    DoAfterCommitUpdates();
}

void TjsonConnection::ApplyUpdates()
{
    const std::string saved = deltaJSON_;
    try {
        for (TjsonClientDataSet* ds : std::vector<TjsonClientDataSet*>(dataSets_)) {
            if (ds->State() == dsEdit || ds->State() == dsInsert) ds->Post();
            if (!ds->Active() || ds->ChangeCount() == 0) continue;
            if (batchUpdates_) ds->ApplyDelta();
            else ds->ApplyUpdates(0);
        }
        CommitUpdates();
    } catch (...) {
        deltaJSON_ = saved;
        throw;
    }
}

void TjsonConnection::CancelUpdates()
{
    for (TjsonClientDataSet* ds : std::vector<TjsonClientDataSet*>(dataSets_)) {
        ds->Cancel();
        if (!ds->Active() || ds->ChangeCount() == 0) continue;
        ds->CancelUpdates();
        ds->Close();
        ds->Open();
    }
}

} // namespace kiosk
