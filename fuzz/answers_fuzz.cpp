// One generated server answer through the kiosk's real client code: a station server on
// 127.0.0.1 answers every request with the input, and the kiosk runs a query on it, loads the
// seat picture caches, the seat states and a brand model's plan and paints the check view,
// and creates the print engine on it and prints with the query's rows as values. The answer
// carries each list under its own key (rows, vehiclespacelist, tickettypemap,
// seatstatuspicturemap, vehiclespacesoldpicturemap, seatstatuslist,
// vehicleseatplandetaillist, printtemplatelist, printtemplateitemlist).
// Errors are the kiosk's kiosk::Exception; anything else is a fault, and so is an input that
// runs past libFuzzer's -timeout or -rss_limit_mb, or a picture cache over its budget.
#include <httplib.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <unistd.h>

#include "core/coreservices.h"
#include "core/logininfo.h"
#include "core/sysservice.h"
#include "data/tjsonconnection.h"
#include "platform/exception.h"
#include "print/qt/kestprint.h"
#include "seatplan/seatpichelp.h"
#include "seatplan/seatplanloader.h"
#include "seatplan/view/seatpicturecache.h"
#include "seatplan/view/seatplanchecked.h"

namespace {

void Check(bool ok)
{
    if (!ok) std::abort();
}

// Serves the current input for every address.
class AnswerServer {
public:
    AnswerServer()
    {
        server_.set_tcp_nodelay(true);
        server_.Post(".*", [this](const httplib::Request&, httplib::Response& res) {
            std::lock_guard lock(mutex_);
            res.set_content(answer_, "application/json;charset=utf-8");
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~AnswerServer()
    {
        server_.stop();
        thread_.join();
    }
    AnswerServer(const AnswerServer&) = delete;
    AnswerServer& operator=(const AnswerServer&) = delete;
    std::string BaseURL() const { return "http://127.0.0.1:" + std::to_string(port_) + "/KtBusWeb/"; }
    void Set(std::string answer)
    {
        std::lock_guard lock(mutex_);
        answer_ = std::move(answer);
    }

private:
    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
    std::mutex mutex_;
    std::string answer_;
};

// A printer whose page is a small fixed picture, whatever paper the template asks for: the
// engine's arithmetic and drawing run in full, the memory of a page does not follow the paper.
class SmallPagePrinter : public kiosk::IPrintPlatform {
public:
    std::vector<std::string> Printers() const override { return {"Slip Printer"}; }
    std::string DefaultPrinter() const override { return "Slip Printer"; }
    void SelectPrinter(const std::string&) override {}
    std::string SelectedPrinter() const override { return "Slip Printer"; }
    int DpiX() const override { return 203; }
    int DpiY() const override { return 203; }
    int ScreenDpi() const override { return 96; }
    void SetPaperSize(const kiosk::TPaperSettings&) override {}
    kiosk::IPrintCanvas& BeginJob(const std::string&, int) override
    {
        page_ = QImage(400, 300, QImage::Format_RGB32);
        page_.fill(Qt::white);
        painter_ = std::make_unique<QPainter>(&page_);
        canvas_ = std::make_unique<kiosk::TPainterCanvas>(*painter_, DpiY());
        return *canvas_;
    }
    void EndJob() override { Finish(); }
    void AbortJob() override { Finish(); }

private:
    void Finish()
    {
        canvas_.reset();
        painter_.reset();
    }
    QImage page_;
    std::unique_ptr<QPainter> painter_;
    std::unique_ptr<kiosk::TPainterCanvas> canvas_;
};

struct World {
    World()
    {
        static int argc = 1;
        static char arg0[] = "fuzz_answers";
        static char* argv[] = {arg0, nullptr};
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QApplication>(argc, argv);
        folder = std::filesystem::temp_directory_path() / ("fuzz_answers_" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
        kiosk::RegisterCoreServices(folder.string() + "/");
        auto user = std::make_shared<kiosk::TLoginUserInfo>();
        user->StationID = 7;
        kiosk::GetSysInfo()->setLoginUserInfo(user);
        connection.SetURLHost(server.BaseURL());
        kiosk::SetSeatPlanConnection(&connection);
    }
    ~World()
    {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
    std::unique_ptr<QApplication> app;
    std::filesystem::path folder;
    AnswerServer server;
    kiosk::TjsonConnection connection;
    SmallPagePrinter printers;
};

World& TheWorld()
{
    static World world;
    return world;
}

// The query: rows of "rows" become the print engine's values.
void Query(World& w, kiosk::TPrintValues& single, kiosk::TPrintRows& rows)
{
    auto ds = kiosk::NewSeatPlanQuery("jcdsFuzz", "base/fuzz", "rows", &w.connection);
    try {
        ds->Open();
        for (ds->First(); !ds->Eof() && rows.size() < 50; ds->Next()) {
            kiosk::TPrintValues row;
            for (int i = 0; i < ds->FieldCount(); ++i) row[ds->Fields(i).FieldName()] = ds->Fields(i).AsString();
            if (single.empty()) single = row;
            rows.push_back(std::move(row));
        }
    } catch (const kiosk::Exception&) {
    }
}

void SeatPlan(World& w)
{
    kiosk::TSeatPictureCache& cache = kiosk::TSeatPictureCache::Instance();
    cache.Clear();
    try {
        cache.EnsureVehiclespaces();
        cache.EnsureSeatPictures();
    } catch (const kiosk::Exception&) {
    }
    Check(cache.DecodedBytes() <= kiosk::TSeatPictureCache::kPictureBudget);
    kiosk::TSeatPicHelp help(&w.connection);
    try {
        help.qrySeatstatus(1, false);
    } catch (const kiosk::Exception&) {
    }
    kiosk::TSeatPlanChecked view;
    view.setDefaultcellwidth(95);
    view.setDefaultcellheight(100);
    view.setDefaultcolcount(11);
    // Handing the states over loads the seat pictures, whose queries fail like any other.
    try {
        view.setSelectSeatStatus(help.selectSeatStatus);
        view.setSeatsStatus(help.seatsStatus);
        view.setSeatsTickettype(help.seatsTickettype);
        view.setSeatsticketno(help.seatticketno);
        view.setSeatsreachstationname(help.seatStation);
        view.setSeatscolor(help.seatscolor);
        view.setBrandModelid(1);
    } catch (const kiosk::Exception&) {
    }
    view.resize(400, 300);
    QImage screen(400, 300, QImage::Format_RGB32);
    view.render(&screen);
    Check(cache.DecodedBytes() <= kiosk::TSeatPictureCache::kPictureBudget);
}

void Print(World& w, const kiosk::TPrintValues& single, const kiosk::TPrintRows& rows)
{
    try {
        kiosk::TKestPrint engine(nullptr, "默认结算单", w.connection, w.printers);
        *engine.SingleValue = single;
        *engine.MultipleValue = rows;
        engine.Print();
    } catch (const kiosk::Exception&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    World& w = TheWorld();
    w.server.Set(std::string(reinterpret_cast<const char*>(data), size));
    kiosk::TPrintValues single;
    kiosk::TPrintRows rows;
    Query(w, single, rows);
    SeatPlan(w);
    Print(w, single, rows);
    return 0;
}
