#pragma once
// TDMPublic: the application-wide data module, home of the one connection `jcon` and of the
// staff-login datasets. Created once by the program body and reachable as DMPublic().
#include <memory>

#include "data/tjsonclientdataset.h"
#include "data/tjsonconnection.h"

namespace kiosk {

class TDMPublic {
public:
    TDMPublic();
    TDMPublic(const TDMPublic&) = delete;
    TDMPublic& operator=(const TDMPublic&) = delete;
    ~TDMPublic();

    TjsonConnection jcon{"jcon"};
    TjsonClientDataSet jsonClientDataSetLogin{"jsonClientDataSetLogin"};
    TjsonClientDataSet jcdsGetTicketLength{"jcdsGetTicketLength"};

    // The system parameter request, made on first use and kept for the run.
    TjsonClientDataSet& ParameterDataSet();

private:
    std::unique_ptr<TjsonClientDataSet> parameterDataSet_;
};

// The module of the run; nullptr before the program body creates it. The program body owns
// it; creating one makes it current, destroying the current one clears the reference.
TDMPublic* DMPublic();

// Declares a parameter on a dataset with its declared size (0: none).
TParam& AddParam(TDataSet& ds, TFieldType type, const std::string& name, TParamType direction, int size = 0);

} // namespace kiosk
