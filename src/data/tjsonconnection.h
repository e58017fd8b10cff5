#pragma once
// TjsonConnection: the kiosk's only road to the station's application server. Each dataset
// request becomes one synchronous HTTP POST of a form-encoded body to URLHost + address +
// ".action"; the JSON answer fills the output parameters and, for a query, the rows. It also
// posts changed rows, can answer from a local folder instead of a server (a URLHost that does
// not begin with "HTTP://"), and can collect posted rows into one batch.
//
// Requests never overlap: all run on the user-interface thread. After any failure the
// connection is idle again (csDisconnect, no request object, no working table).
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "data/answertext.h"
#include "data/appserver.h"
#include "data/httpclient.h"
#include "platform/inifile.h"

namespace simdjson::dom {
class object;
class parser;
} // namespace simdjson::dom

namespace kiosk {

class TjsonClientDataSet;

enum TConnectState { csGetRecords, csApplyUpdates, csDownLoad, csDisconnect };

// The HTTP request in progress (XmlHttp): what is being sent where.
struct THttpRequest {
    std::string Verb;
    std::string URL;
    std::string Body;
};

class TjsonConnection : public IAppServer {
public:
    using TNotifyEvent = std::function<void(TjsonConnection&)>;

    explicit TjsonConnection(std::string name = "jcon");
    ~TjsonConnection() override;
    TjsonConnection(const TjsonConnection&) = delete;
    TjsonConnection& operator=(const TjsonConnection&) = delete;

    const std::string& Name() const { return name_; }

    // ---- published properties
    const std::string& URLHost() const { return urlHost_; }
    // Also sets web mode when the text begins with "HTTP://" or "HTTPS://" in any letter case.
    void SetURLHost(std::string value);
    const std::string& URLRead() const { return urlRead_; }
    void SetURLRead(std::string value) { urlRead_ = std::move(value); }
    const std::string& URLWrite() const { return urlWrite_; }
    void SetURLWrite(std::string value) { urlWrite_ = std::move(value); }
    const std::string& UserName() const { return http_.UserName; }
    void SetUserName(std::string value) { http_.UserName = std::move(value); }
    const std::string& Password() const { return http_.Password; }
    void SetPassword(std::string value) { http_.Password = std::move(value); }
    bool CreateRequestFile() const { return createRequestFile_; }
    void SetCreateRequestFile(bool value) { createRequestFile_ = value; }
    bool BatchUpdates() const { return batchUpdates_; }
    void SetBatchUpdates(bool value) { batchUpdates_ = value; }
    TNotifyEvent BeforeCommitUpdates;
    TNotifyEvent AfterCommitUpdates;
    TNotifyEvent OnStateChange;

    // Time-outs in milliseconds (connect 5,000 and total 30,000 by default).
    long ConnectTimeout() const { return http_.ConnectTimeoutMs; }
    void SetConnectTimeout(long ms) { http_.ConnectTimeoutMs = ms; }
    long Timeout() const { return http_.TimeoutMs; }
    void SetTimeout(long ms) { http_.TimeoutMs = ms; }
    // Takes `[server]` `connecttimeout` and `timeout` of App.ini (milliseconds) when present.
    void ReadTimeouts(const TIniFile& appIni);
    // The PEM file of a station's own certificate authority for an HTTPS server; empty trusts
    // the system's authorities only. Certificates are always verified.
    const std::string& CaFile() const { return http_.CaFile; }
    void SetCaFile(std::string path) { http_.CaFile = std::move(path); }
    // The session cookies the connection holds (Netscape cookie-file lines); empty before the
    // first request.
    std::string Cookies() const { return client_ ? client_->Cookies() : std::string(); }
    // Answers larger than this are refused (64 MB by default).
    std::size_t MaxAnswerBytes() const { return http_.MaxAnswerBytes; }
    void SetMaxAnswerBytes(std::size_t bytes) { http_.MaxAnswerBytes = bytes; }

    // ---- public properties
    IAppServer* AppServer() { return this; }
    IAppServer* GetServer() { return this; }
    int ProviderCount() const { return 0; }
    const std::string& DeltaJSON() const { return deltaJSON_; }
    // The request in progress; nullptr between requests.
    const THttpRequest* XmlHttp() const { return xmlHttp_.get(); }
    TConnectState State() const { return state_; }
    bool Connected() const { return true; }
    bool WebMode() const { return connectWeb_; }
    // The working result table of the request in progress; nullptr between requests.
    const TDataSet* WorkingTable() const { return fcdsResult_.get(); }

    // URLHost + address, with ".action" unless the address already contains it.
    std::string URLOf(std::string_view address) const;

    // What one exchange makes of the server's answer: decoded by its charset, failed by a status
    // other than 200 (and 0), parsed as a JSON object (leniently when strict JSON cannot read
    // it). The object lives until the next answer. Each request reads its answer here.
    simdjson::dom::object ReadAnswer(THttpAnswer answer);

    // ---- datasets whose remote server this is (in registration order)
    const std::vector<TjsonClientDataSet*>& DataSets() const { return dataSets_; }
    TjsonClientDataSet* FindProvider(std::string_view providerName) const;

    // ---- connection-level operations (row posting and batches)
    virtual void ApplyUpdates();
    virtual void CommitUpdates();
    virtual void CancelUpdates();
    void AddDeltaJSON(std::string_view ADeltaJSON);
    virtual void DownLoadFile(const std::string& AURL, const std::string& ASourceFileName,
                              const std::string& ATargetFileName);

    // ---- IAppServer
    TAppServerResult AS_GetRecords(const std::string& ProviderName, int Count, int& RecsOut, int Options,
                                   const std::string& CommandText, TParams& Params) override;
    void AS_Execute(const std::string& ProviderName, const std::string& CommandText, TParams& Params) override;
    TAppServerResult AS_ApplyUpdates(const std::string& ProviderName, const TDelta& Delta, int MaxErrors,
                                     int& ErrorCount) override;
    std::vector<std::string> AS_GetProviderNames() override { return {}; }
    std::string AS_DataRequest(const std::string& ProviderName, const std::string& Data) override;
    TParams AS_GetParams(const std::string& ProviderName) override;
    std::string AS_RowRequest(const std::string& ProviderName, const std::string& Row, int RequestType) override;

protected:
    virtual void DoAfterCommitUpdates() { if (AfterCommitUpdates) AfterCommitUpdates(*this); }
    virtual void DoBeforeCommitUpdates() { if (BeforeCommitUpdates) BeforeCommitUpdates(*this); }
    virtual void DoStateChange() { if (OnStateChange) OnStateChange(*this); }

private:
    friend class TjsonClientDataSet;
    class RequestScope;

    void Register(TjsonClientDataSet* dataSet);
    void Unregister(TjsonClientDataSet* dataSet);
    void SetState(TConnectState state);
    TjsonClientDataSet& RequestingDataSet(std::string_view providerName) const;
    // One HTTP exchange; returns the parsed answer object (valid until the next request).
    simdjson::dom::object Exchange(std::string_view verb, const std::string& url, std::string body);
    simdjson::dom::object ParseAnswer(std::string& text);
    bool ParseStrict(std::string& text, simdjson::dom::object& answer);
    // After a request: the text and parser memory of a large answer are given back, so one
    // large answer does not stay with the kiosk for the rest of the run.
    void ForgetLargeAnswer() noexcept;
    void QueryTable(TjsonClientDataSet& ds, simdjson::dom::object answer, TParams& params, int& recsOut,
                    TAppServerResult& result);
    void PostRows(TjsonClientDataSet& ds, const std::string& deltaText, TParams& params, TAppServerResult& result);
    void FolderQuery(TjsonClientDataSet& ds, const std::string& body, TParams& params, int& recsOut,
                     TAppServerResult& result);
    void FolderPost(TjsonClientDataSet& ds, const std::string& deltaText, TAppServerResult& result);
    void WriteRequestFile(const std::string& fileName, std::string_view text) const;
    std::string ProviderNamesOfDataSets() const;

    std::string name_;
    std::string urlHost_;
    std::string urlRead_;
    std::string urlWrite_;
    bool connectWeb_ = false;
    bool createRequestFile_ = false;
    bool batchUpdates_ = false;
    std::string deltaJSON_;
    TConnectState state_ = csDisconnect;
    THttpOptions http_;
    std::unique_ptr<THttpClient> client_;
    std::unique_ptr<TCharsetDecoder> decoder_;
    std::unique_ptr<THttpRequest> xmlHttp_;
    std::unique_ptr<TDataSet> fcdsResult_;
    std::unique_ptr<simdjson::dom::parser> parser_;
    std::string answer_;
    std::vector<TjsonClientDataSet*> dataSets_;
};

// The body of a request: "&name=value" for each input parameter that is not null, values in
// their text form through the string encoding of EncodeFieldText.
std::string RequestBody(const TParams& params);
// The delta text of a post of changed rows: the changed rows of `delta` keyed by the requesting
// dataset's UpdateDataSet prefix, filtered and flagged by its fields.
std::string DeltaText(const TDelta& delta, const TjsonClientDataSet& requesting);

} // namespace kiosk
