#pragma once
// The remote-server contract between a client dataset and its connection: the dataset calls
// these with its provider name, and the connection finds the dataset by that name among those
// registered with it.
#include <string>
#include <vector>

#include "platform/dataset.h"

namespace kiosk {

// What a query or a post of rows hands back: the rows, or the failure text.
struct TAppServerResult {
    TDataPacket Data;
    bool HasData = false;
    std::string Text;
};

class IAppServer {
public:
    virtual ~IAppServer() = default;

    // The query. `Params` carries all the dataset's parameters in and their output values out.
    // `RecsOut` is the number of rows, or negative when the query failed (-77: the server
    // answered with its own message); then `Text` of the result holds the failure text.
    virtual TAppServerResult AS_GetRecords(const std::string& ProviderName, int Count, int& RecsOut, int Options,
                                           const std::string& CommandText, TParams& Params) = 0;
    // The execute: sends the input parameters and fills the output parameters. Failures raise.
    virtual void AS_Execute(const std::string& ProviderName, const std::string& CommandText, TParams& Params) = 0;
    // The post of changed rows: `ErrorCount` is 1 and `Text` the failure text when it failed;
    // the result may carry refreshed rows.
    virtual TAppServerResult AS_ApplyUpdates(const std::string& ProviderName, const TDelta& Delta, int MaxErrors,
                                             int& ErrorCount) = 0;
    // Local provider components (none exist in this system).
    virtual std::vector<std::string> AS_GetProviderNames() = 0;
    virtual std::string AS_DataRequest(const std::string& ProviderName, const std::string& Data) = 0;
    virtual TParams AS_GetParams(const std::string& ProviderName) = 0;
    virtual std::string AS_RowRequest(const std::string& ProviderName, const std::string& Row, int RequestType) = 0;
};

} // namespace kiosk
