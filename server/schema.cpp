#include "schema.h"

namespace stationd {

// Money is kept in integer cents, rates in hundredths of a percent; days as "yyyy-mm-dd",
// times of day as "hh:nn", moments as "yyyy-mm-dd hh:nn:ss".
void CreateSchema(Database& db)
{
    db.Script(R"SQL(
CREATE TABLE meta(key TEXT PRIMARY KEY, value TEXT NOT NULL);
CREATE TABLE organization(id INTEGER PRIMARY KEY, name TEXT NOT NULL, parentid INTEGER, stationid INTEGER);
CREATE TABLE station(id INTEGER PRIMARY KEY, code TEXT NOT NULL, name TEXT NOT NULL, colortype TEXT NOT NULL DEFAULT '');
CREATE TABLE department(id INTEGER PRIMARY KEY, name TEXT NOT NULL, orgid INTEGER NOT NULL);
CREATE TABLE ticketoutlet(id INTEGER PRIMARY KEY, code TEXT NOT NULL UNIQUE, name TEXT NOT NULL,
  shortname TEXT NOT NULL, orgid INTEGER NOT NULL, isself INTEGER NOT NULL DEFAULT 0);
CREATE TABLE userinfo(id INTEGER PRIMARY KEY, code TEXT NOT NULL UNIQUE, name TEXT NOT NULL, password TEXT NOT NULL,
  orgid INTEGER NOT NULL, departmentid INTEGER NOT NULL, isactive INTEGER NOT NULL DEFAULT 1);
CREATE TABLE parameter(code TEXT NOT NULL, orgid INTEGER NOT NULL, value TEXT NOT NULL, name TEXT NOT NULL,
  PRIMARY KEY(code, orgid));
CREATE TABLE billtype(id INTEGER PRIMARY KEY, code TEXT NOT NULL UNIQUE, name TEXT NOT NULL, ticketnolength INTEGER NOT NULL);
CREATE TABLE billinuse(id INTEGER PRIMARY KEY, billtypecode TEXT NOT NULL, startno INTEGER NOT NULL,
  endno INTEGER NOT NULL, nextno INTEGER NOT NULL, isactive INTEGER NOT NULL DEFAULT 1);
CREATE TABLE unit(id INTEGER PRIMARY KEY, name TEXT NOT NULL, fullname TEXT NOT NULL, balanceunit TEXT NOT NULL);
CREATE TABLE deductitem(id INTEGER PRIMARY KEY, unitid INTEGER NOT NULL, code TEXT NOT NULL, name TEXT NOT NULL,
  mode TEXT NOT NULL CHECK(mode IN ('rate','perticket')), value INTEGER NOT NULL,
  kind TEXT NOT NULL CHECK(kind IN ('station','agent','fuel','other')), orderno INTEGER NOT NULL);
CREATE TABLE vehiclebrandmodel(id INTEGER PRIMARY KEY, name TEXT NOT NULL, seatnum INTEGER NOT NULL);
CREATE TABLE vehiclespace(id INTEGER PRIMARY KEY, name TEXT NOT NULL, ispassengerseat INTEGER NOT NULL,
  seattype TEXT NOT NULL, picture TEXT);
CREATE TABLE vehicleseatplandetail(id INTEGER PRIMARY KEY, brandmodelid INTEGER NOT NULL, rowno INTEGER NOT NULL,
  colno INTEGER NOT NULL, width INTEGER NOT NULL, height INTEGER NOT NULL, vehiclespaceid INTEGER NOT NULL,
  seatno INTEGER NOT NULL, remarks TEXT NOT NULL DEFAULT '', createby INTEGER, createtime TEXT, updateby INTEGER,
  updatetime TEXT);
CREATE INDEX seatplan_brand ON vehicleseatplandetail(brandmodelid, rowno, colno);
CREATE TABLE vehicle(id INTEGER PRIMARY KEY, vehicleno TEXT NOT NULL UNIQUE, seatnum INTEGER NOT NULL,
  brandmodelid INTEGER, brandname TEXT NOT NULL, vehicletype TEXT NOT NULL, unitid INTEGER NOT NULL,
  cardno TEXT, password TEXT, steward TEXT NOT NULL DEFAULT '', parkname TEXT NOT NULL DEFAULT '');
CREATE TABLE driver(id INTEGER PRIMARY KEY, name TEXT NOT NULL, idcard TEXT NOT NULL UNIQUE);
CREATE TABLE vehicledriver(vehicleid INTEGER NOT NULL, driverid INTEGER NOT NULL, orderno INTEGER NOT NULL,
  PRIMARY KEY(vehicleid, driverid));
CREATE TABLE route(id INTEGER PRIMARY KEY, name TEXT NOT NULL, distance INTEGER NOT NULL);
CREATE TABLE routestop(routeid INTEGER NOT NULL, stationid INTEGER NOT NULL, orderno INTEGER NOT NULL,
  distance INTEGER NOT NULL, fare INTEGER NOT NULL, PRIMARY KEY(routeid, stationid));
CREATE TABLE ticketentrance(id INTEGER PRIMARY KEY, code TEXT NOT NULL, name TEXT NOT NULL, orgid INTEGER NOT NULL);
CREATE TABLE schedule(id INTEGER PRIMARY KEY, code TEXT NOT NULL, routeid INTEGER NOT NULL, departtime TEXT NOT NULL,
  departstationid INTEGER NOT NULL, endstationid INTEGER NOT NULL, islinework INTEGER NOT NULL,
  ticketentranceid INTEGER);
CREATE TABLE scheduleplan(id INTEGER PRIMARY KEY, scheduleid INTEGER NOT NULL, code TEXT NOT NULL,
  routeid INTEGER NOT NULL, departdate TEXT NOT NULL, departtime TEXT NOT NULL, departstationid INTEGER NOT NULL,
  endstationid INTEGER NOT NULL, seatnum INTEGER NOT NULL, islinework INTEGER NOT NULL,
  isovertime INTEGER NOT NULL DEFAULT 0, isreported INTEGER NOT NULL DEFAULT 0,
  isdeparted INTEGER NOT NULL DEFAULT 0, status TEXT NOT NULL DEFAULT '0', statusname TEXT NOT NULL DEFAULT '正常',
  reason TEXT NOT NULL DEFAULT '', vehicleparkname TEXT NOT NULL DEFAULT '', ticketentranceid INTEGER);
CREATE INDEX plan_day ON scheduleplan(departdate, departstationid);
CREATE TABLE vehiclereport(id INTEGER PRIMARY KEY, vehicleid INTEGER NOT NULL, scheduleplanid INTEGER NOT NULL,
  departdate TEXT NOT NULL, reportorgid INTEGER NOT NULL, reporttime TEXT NOT NULL,
  isactive INTEGER NOT NULL DEFAULT 1, isdeparted INTEGER NOT NULL DEFAULT 0);
CREATE INDEX report_vehicle ON vehiclereport(vehicleid, departdate);
CREATE INDEX report_plan ON vehiclereport(scheduleplanid);
CREATE TABLE tickettype(id INTEGER PRIMARY KEY, code TEXT NOT NULL UNIQUE, name TEXT NOT NULL,
  category TEXT NOT NULL CHECK(category IN ('full','half','discount','free')), isarm INTEGER NOT NULL DEFAULT 0,
  soldpicture TEXT);
CREATE TABLE vehiclespacesoldpicture(vehiclespaceid INTEGER NOT NULL, tickettypecode TEXT NOT NULL,
  soldpicture TEXT NOT NULL, PRIMARY KEY(vehiclespaceid, tickettypecode));
CREATE TABLE seatstatuspicture(seatstatus TEXT PRIMARY KEY, name TEXT NOT NULL, picture TEXT NOT NULL);
CREATE TABLE seatreserve(scheduleplanid INTEGER NOT NULL, seatno INTEGER NOT NULL, status TEXT NOT NULL,
  hint TEXT NOT NULL DEFAULT '', PRIMARY KEY(scheduleplanid, seatno));
CREATE TABLE departinvoice(id INTEGER PRIMARY KEY, departinvoicesno TEXT NOT NULL UNIQUE,
  scheduleplanid INTEGER NOT NULL, vehiclereportid INTEGER NOT NULL, vehicleid INTEGER NOT NULL,
  departdate TEXT NOT NULL, printtime TEXT NOT NULL, printip TEXT NOT NULL DEFAULT '', printorgid INTEGER NOT NULL,
  ticketoutletid INTEGER, checkedname TEXT NOT NULL DEFAULT '', ticketnum INTEGER NOT NULL,
  freetickets INTEGER NOT NULL, armtickets INTEGER NOT NULL, totalamount INTEGER NOT NULL,
  stationfee INTEGER NOT NULL, agentfee INTEGER NOT NULL, fueladditionfee INTEGER NOT NULL,
  otherfee INTEGER NOT NULL, balanceamount INTEGER NOT NULL, issupplement INTEGER NOT NULL DEFAULT 0,
  reprints INTEGER NOT NULL DEFAULT 0, remarks TEXT NOT NULL DEFAULT '');
CREATE INDEX invoice_vehicle ON departinvoice(vehicleid, departdate);
CREATE TABLE departinvoicededuct(id INTEGER PRIMARY KEY, departinvoicesid INTEGER NOT NULL, code TEXT NOT NULL,
  name TEXT NOT NULL, deductmoney INTEGER NOT NULL, orderno INTEGER NOT NULL);
CREATE INDEX deduct_invoice ON departinvoicededuct(departinvoicesid, orderno);
CREATE TABLE departinvoicedetail(id INTEGER PRIMARY KEY, departinvoicesid INTEGER NOT NULL,
  fromstationid INTEGER NOT NULL, reachstationid INTEGER NOT NULL, fullpeople INTEGER NOT NULL,
  halfpeople INTEGER NOT NULL, discountpeople INTEGER NOT NULL, freepeople INTEGER NOT NULL, price INTEGER NOT NULL,
  distance INTEGER NOT NULL, totalamount INTEGER NOT NULL, stationfee INTEGER NOT NULL, agentfee INTEGER NOT NULL,
  deductions INTEGER NOT NULL, balanceprice INTEGER NOT NULL, orderno INTEGER NOT NULL);
CREATE INDEX detail_invoice ON departinvoicedetail(departinvoicesid, orderno);
CREATE TABLE ticket(id INTEGER PRIMARY KEY, ticketno TEXT NOT NULL UNIQUE, scheduleplanid INTEGER NOT NULL,
  departdate TEXT NOT NULL, seatno INTEGER NOT NULL, tickettypecode TEXT NOT NULL, price INTEGER NOT NULL,
  departstationid INTEGER NOT NULL, reachstationid INTEGER NOT NULL, ticketoutletid INTEGER,
  selltime TEXT NOT NULL, status TEXT NOT NULL DEFAULT '0', ischecked INTEGER NOT NULL DEFAULT 0,
  checkmode TEXT, checktime TEXT, checkstationid INTEGER, checkip TEXT, ticketentrance TEXT,
  vehiclereportid INTEGER, departinvoicesid INTEGER);
CREATE INDEX ticket_plan ON ticket(scheduleplanid, seatno);
CREATE INDEX ticket_report ON ticket(vehiclereportid);
CREATE INDEX ticket_invoice ON ticket(departinvoicesid);
CREATE TABLE printtemplate(id INTEGER PRIMARY KEY, name TEXT NOT NULL, templatetype TEXT NOT NULL,
  printername TEXT NOT NULL, width INTEGER NOT NULL, "left" INTEGER NOT NULL, top INTEGER NOT NULL,
  height INTEGER NOT NULL, heightcorrection INTEGER NOT NULL, rowperpage INTEGER NOT NULL,
  columnsperpage INTEGER NOT NULL, rowspace INTEGER NOT NULL);
CREATE TABLE printtemplateitem(id INTEGER PRIMARY KEY, printtemplateid INTEGER NOT NULL, orderno INTEGER NOT NULL,
  isprint INTEGER NOT NULL, valuetype INTEGER NOT NULL, "left" INTEGER NOT NULL, top INTEGER NOT NULL,
  width INTEGER NOT NULL, height INTEGER NOT NULL, title TEXT, fontname TEXT NOT NULL, fontsize INTEGER NOT NULL,
  islist INTEGER NOT NULL, itemcode TEXT NOT NULL DEFAULT '', parameter TEXT);
CREATE INDEX item_template ON printtemplateitem(printtemplateid, orderno);
)SQL");
}

} // namespace stationd
