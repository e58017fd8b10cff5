#include "core/dmpublic.h"

namespace kiosk {

namespace {
TDMPublic* g_module = nullptr;
}

TDMPublic* DMPublic() { return g_module; }

TParam& AddParam(TDataSet& ds, TFieldType type, const std::string& name, TParamType direction, int size)
{
    TParam& p = ds.Params().CreateParam(type, name, direction);
    p.SetSize(size);
    return p;
}

TDMPublic::TDMPublic()
{
    jcon.SetURLHost("http://127.0.0.1:8080/KtBusWeb/");

    jsonClientDataSetLogin.SetRemoteServer(&jcon);
    jsonClientDataSetLogin.SetDataSourceName("userinfos");
    jsonClientDataSetLogin.SetQueryAddress("system/login");
    jsonClientDataSetLogin.SetSaveAddress("system/login");
    AddParam(jsonClientDataSetLogin, ftString, "username", ptInput, 1000);
    AddParam(jsonClientDataSetLogin, ftString, "userpwd", ptInput, 1000);
    AddParam(jsonClientDataSetLogin, ftString, "ticketoutletcode", ptInput);
    AddParam(jsonClientDataSetLogin, ftInteger, "flag", ptOutput);
    AddParam(jsonClientDataSetLogin, ftString, "msg", ptOutput, 1000);
    AddParam(jsonClientDataSetLogin, ftBCD, "global.userinfo.id", ptOutput);
    AddParam(jsonClientDataSetLogin, ftString, "global.userinfo.name", ptOutput, 1000);
    AddParam(jsonClientDataSetLogin, ftBCD, "global.userinfo.orgid", ptOutput);
    AddParam(jsonClientDataSetLogin, ftString, "global.organization.name", ptOutput);
    AddParam(jsonClientDataSetLogin, ftString, "global.orgIDs", ptOutput);
    AddParam(jsonClientDataSetLogin, ftBCD, "global.department.id", ptOutput);
    AddParam(jsonClientDataSetLogin, ftString, "global.department.name", ptOutput);
    AddParam(jsonClientDataSetLogin, ftBCD, "global.organization.station.id", ptOutput);
    AddParam(jsonClientDataSetLogin, ftString, "global.userinfo.code", ptOutput);
    AddParam(jsonClientDataSetLogin, ftBCD, "global.ticketoutlets.id", ptOutput);
    AddParam(jsonClientDataSetLogin, ftString, "global.ticketoutlets.name", ptOutput);
    AddParam(jsonClientDataSetLogin, ftBCD, "global.organization.organ.id", ptOutput);
    AddParam(jsonClientDataSetLogin, ftString, "global.organization.organ.name", ptOutput);

    jcdsGetTicketLength.SetRemoteServer(&jcon);
    jcdsGetTicketLength.SetDataSourceName("billtypemap");
    jcdsGetTicketLength.SetQueryAddress("bill/listbilltype");

    g_module = this;
}

TDMPublic::~TDMPublic()
{
    if (g_module == this) g_module = nullptr;
}

TjsonClientDataSet& TDMPublic::ParameterDataSet()
{
    if (!parameterDataSet_) {
        parameterDataSet_ = std::make_unique<TjsonClientDataSet>("jcdsFindParameterValue");
        TjsonClientDataSet& ds = *parameterDataSet_;
        ds.SetRemoteServer(&jcon);
        ds.SetSaveAddress("system/findParameterValue");
        AddParam(ds, ftString, "code", ptInput);
        AddParam(ds, ftString, "orgid", ptInput);
        AddParam(ds, ftString, "parametervalue", ptOutput);
    }
    return *parameterDataSet_;
}

} // namespace kiosk
