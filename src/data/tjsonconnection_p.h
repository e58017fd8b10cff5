#pragma once
// Private pieces shared by the connection's source files.
#include <simdjson.h>

#include "data/tjsonconnection.h"

namespace kiosk {

// Fills the output parameters from an answer object; dotted names are paths into nested objects.
void FillOutputParams(simdjson::dom::object answer, TParams& params);

// The life of one query or post: the working table and the request object exist only inside
// it, and the state returns to csDisconnect however it ends.
class TjsonConnection::RequestScope {
public:
    RequestScope(TjsonConnection& c, TConnectState state) : c_(c)
    {
        c_.fcdsResult_ = std::make_unique<TDataSet>("FcdsResult");
        c_.SetState(state);
    }
    ~RequestScope()
    {
        c_.xmlHttp_.reset();
        c_.fcdsResult_.reset();
        c_.ForgetLargeAnswer();
        try {
            c_.SetState(csDisconnect);
        } catch (...) {
        }
    }
    RequestScope(const RequestScope&) = delete;
    RequestScope& operator=(const RequestScope&) = delete;

private:
    TjsonConnection& c_;
};

} // namespace kiosk
