// The settlement slip printed by the template engine: a one-page slip of 60 items and 10 list
// rows laid out onto the recording printer (BM_SlipLayout, every page rendered to an image)
// and printed by the PDF printer (BM_SlipToPdf, goal under 100 ms per slip); and the bar
// pattern encoders for a 13-digit EAN and a 20-character Code 128 (encodes per second).
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <filesystem>
#include <memory>

#include "data/tjsonconnection.h"
#include "print/barcode.h"
#include "print/qt/kestprint.h"
#include "print/qt/qtprintplatform.h"
#include "print/recordingprintplatform.h"
#include "print/templateserver.h"
#include "support/tempfolder.h"

using namespace kiosk;

namespace {

// prefix + number; written out, as g++ 12 at -O3 misreads "literal" + std::string.
std::string Numbered(const char* prefix, int number, const char* suffix = "")
{
    std::string text(prefix);
    text += std::to_string(number);
    text += suffix;
    return text;
}

test::ItemRecord Item(int kind, int left, int top, std::string code = {}, std::optional<std::string> parameter = {})
{
    test::ItemRecord item;
    item.valuetype = kind;
    item.left = left;
    item.top = top;
    item.itemcode = std::move(code);
    item.parameter = std::move(parameter);
    return item;
}

// 60 items: 6 lines, 20 fixed texts, 16 single values, 10 list columns, 4 amount digits in
// each kind, a date-time, the amount in capitals and a barcode.
void AddSlipTemplate(test::TemplateServer& server)
{
    test::TemplateRecord record;
    record.rowperpage = 10;
    server.AddTemplate(record);
    for (int i = 0; i < 6; ++i) {
        auto line = Item(0, 0, 120 * i);
        line.width = 2000;
        line.height = i == 0 ? 1200 : 0;
        server.AddItem(line);
    }
    for (int i = 0; i < 20; ++i) {
        auto text = Item(1, 20 + 500 * (i % 4), 140 + 60 * (i / 4));
        text.title = Numbered("标题", i, "：");
        server.AddItem(text);
    }
    for (int i = 0; i < 16; ++i)
        server.AddItem(Item(2, 200 + 500 * (i % 4), 140 + 60 * (i / 4), Numbered("v", i), i % 2 ? "%s" : "%.2f"));
    for (int i = 0; i < 10; ++i) {
        auto column = Item(2, 20 + 180 * i, 440, Numbered("c", i), i < 5 ? std::nullopt : std::optional<std::string>("%.2f"));
        column.islist = true;
        server.AddItem(column);
    }
    for (int i = 0; i < 4; ++i) {
        server.AddItem(Item(3, 220 + 100 * i, 900, "amount", std::to_string(3 - i)));
        server.AddItem(Item(4, 220 + 100 * i, 840, "amount", std::to_string(3 - i)));
    }
    server.AddItem(Item(5, 1220, 1020, "printtime", "yyyy年mm月dd日 hh:nn"));
    server.AddItem(Item(7, 1020, 900, "amount", "人民币%s"));
    auto barcode = Item(6, 20, 1020, "billno", "bcCode128B");
    barcode.height = 120;
    server.AddItem(barcode);
}

struct Slip {
    test::TemplateServer server;
    TjsonConnection connection;

    Slip()
    {
        AddSlipTemplate(server);
        connection.SetURLHost(server.BaseURL());
    }

    std::unique_ptr<TKestPrint> Engine(IPrintPlatform& printers)
    {
        auto engine = std::make_unique<TKestPrint>(nullptr, "默认结算单", connection, printers);
        for (int i = 0; i < 16; ++i) (*engine->SingleValue)[Numbered("v", i)] = Numbered("", 100 + i, ".5");
        (*engine->SingleValue)["amount"] = "1234.56";
        (*engine->SingleValue)["billno"] = "00012345";
        for (int r = 0; r < 10; ++r) {
            TPrintValues row;
            for (int c = 0; c < 10; ++c) row[Numbered("c", c)] = std::to_string(r * 10 + c);
            engine->MultipleValue->push_back(row);
        }
        return engine;
    }
};

void BM_SlipLayout(benchmark::State& state)
{
    Slip slip;
    test::TRecordingPrintPlatform printers;
    auto engine = slip.Engine(printers);
    for (auto _ : state) {
        engine->Print();
        printers.jobs.clear();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SlipLayout)->Unit(benchmark::kMillisecond);

void BM_SlipToPdf(benchmark::State& state)
{
    Slip slip;
    test::TempFolder folder;
    TQtPrintPlatform printers(folder.str(), TQtPrintPlatform::Mode::Pdf);
    auto engine = slip.Engine(printers);
    for (auto _ : state) {
        engine->Print();
        state.PauseTiming();
        std::filesystem::remove(printers.LastPdfFile());
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SlipToPdf)->Unit(benchmark::kMillisecond);

void BM_EncodeEan13(benchmark::State& state)
{
    for (auto _ : state) benchmark::DoNotOptimize(MakeBarPattern(TBarType::bcCodeEAN13, "6901234567892", 2, kCheckSumNone, 2.0));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EncodeEan13);

void BM_EncodeCode128(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(MakeBarPattern(TBarType::bcCode128B, "KIOSK-SLIP-000123/AB", 2, kCheckSumNone, 2.0));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EncodeCode128);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
